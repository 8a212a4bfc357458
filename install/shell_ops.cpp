#include "install/shell_ops.h"

#include <windows.h>
#include <shellapi.h>

#include "install/shell_flags.h"

namespace {

// The text is followed by two zero bytes already; writing the second one again makes the
// one-item list explicit at the call.
const char* AsList(TextBuffer& buffer)
{
    if (!buffer.Data()) buffer.ResizeDiscard(0);
    buffer.Data()[buffer.Length() + 1] = 0;
    return buffer.Data();
}

int RunOperation(UINT function, TextBuffer& from, TextBuffer* to, uint16_t flags)
{
    if (from.HoldsZeroByte() || (to && to->HoldsZeroByte())) return kShellZeroInPath;
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = function;
    operation.pFrom = AsList(from);
    operation.pTo = to ? AsList(*to) : nullptr;
    operation.fFlags = flags;
    return SHFileOperationA(&operation);
}

}  // namespace

int ShellDeleteList(TextBuffer& list, bool permanent)
{
    return RunOperation(FO_DELETE, list, nullptr, DeleteOperationFlags(permanent));
}

int ShellCopyList(TextBuffer& from, TextBuffer& to, unsigned operation, bool renameOnCollision, bool noConfirmation,
                  bool showProgress, bool noErrorUi)
{
    return RunOperation(operation, from, &to, CopyOperationFlags(renameOnCollision, noConfirmation, showProgress, noErrorUi));
}
