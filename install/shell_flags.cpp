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
    const char* dot = strrchr(name, '.');
    if (dot == name) dot = nullptr;
    const size_t stemLength = dot ? static_cast<size_t>(dot - name) : strlen(name);
    const char* extension = dot ? dot : "";

    char number[16] = "";
    if (n > 1) {
        char digits[12];
        int count = 0;
        for (unsigned v = static_cast<unsigned>(n); v; v /= 10) digits[count++] = static_cast<char>('0' + v % 10);
        int at = 0;
        number[at++] = ' ';
        number[at++] = '(';
        while (count) number[at++] = digits[--count];
        number[at++] = ')';
        number[at] = 0;
    }
    static const char kCopy[] = " - Copy";
    const size_t total = stemLength + strlen(kCopy) + strlen(number) + strlen(extension);
    if (outSize <= 0 || total + 1 > static_cast<size_t>(outSize)) return false;
    char* p = out;
    memcpy(p, name, stemLength);
    p += stemLength;
    const char* parts[] = {kCopy, number, extension};
    for (const char* part : parts) {
        const size_t length = strlen(part);
        memcpy(p, part, length);
        p += length;
    }
    *p = 0;
    return true;
}
