#pragma once
// The fFlags of the two shell file operation wrappers, kept apart from the platform so that the
// exact values are pinned by tests.
#include <stdint.h>

enum : uint16_t {
    ShellSilent = 0x0004,             // FOF_SILENT
    ShellRenameOnCollision = 0x0008,  // FOF_RENAMEONCOLLISION
    ShellNoConfirmation = 0x0010,     // FOF_NOCONFIRMATION
    ShellAllowUndo = 0x0040,          // FOF_ALLOWUNDO
    ShellFilesOnly = 0x0080,          // FOF_FILESONLY
    ShellNoErrorUi = 0x0400,          // FOF_NOERRORUI
};

uint16_t CopyOperationFlags(bool renameOnCollision, bool noConfirmation, bool showProgress, bool noErrorUi);
uint16_t DeleteOperationFlags(bool permanent);

// The name of the n-th copy of a file kept beside the original, in the form the "Info" message
// promises ("copied as \"Copy of...\""): "Copy of List.zvl" for 1, "Copy (2) of List.zvl" for 2,
// and so on. False when the result does not fit in outSize bytes.
bool MakeCopyName(const char* name, int n, char* out, int outSize);
