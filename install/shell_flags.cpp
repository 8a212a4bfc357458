#include "install/shell_flags.h"

#include <string.h>

uint16_t CopyOperationFlags(bool renameOnCollision, bool noConfirmation, bool showProgress, bool noErrorUi)
{
    uint16_t flags = ShellAllowUndo | ShellFilesOnly;
    if (renameOnCollision) flags |= ShellRenameOnCollision;
    if (noConfirmation) flags |= ShellNoConfirmation;
    if (!showProgress) flags |= ShellSilent;
    if (noErrorUi) flags |= ShellNoErrorUi;
    return flags;
}

uint16_t DeleteOperationFlags(bool permanent)
{
    uint16_t flags = ShellSilent | ShellNoConfirmation | ShellFilesOnly | ShellNoErrorUi;
    if (!permanent) flags |= ShellAllowUndo;
    return flags;
}

bool MakeCopyName(const char* name, int n, char* out, int outSize)
{
    // "Copy of " or "Copy (n) of ", then the whole name.
    char prefix[24] = "Copy ";
    int at = 5;
    if (n > 1) {
        char digits[12];
        int count = 0;
        for (unsigned v = static_cast<unsigned>(n); v; v /= 10) digits[count++] = static_cast<char>('0' + v % 10);
        prefix[at++] = '(';
        while (count) prefix[at++] = digits[--count];
        prefix[at++] = ')';
        prefix[at++] = ' ';
    }
    memcpy(prefix + at, "of ", 4);
    at += 3;
    const size_t nameLength = strlen(name);
    if (outSize <= 0 || at + nameLength + 1 > static_cast<size_t>(outSize)) return false;
    memcpy(out, prefix, static_cast<size_t>(at));
    memcpy(out + at, name, nameLength + 1);
    return true;
}
