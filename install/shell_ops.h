#pragma once
// One SHFileOperationA call on one-item lists made from text buffers: the buffer's two trailing
// zero bytes end the list. Both return SHFileOperationA's result unchanged (0 = success), or
// kShellZeroInPath without calling the shell when a text holds a zero byte before its end: the
// shell would read it as the end of one path and the start of another.
#include "base/text_buffer.h"

constexpr int kShellZeroInPath = 0x7104;

int ShellDeleteList(TextBuffer& list, bool permanent);
int ShellCopyList(TextBuffer& from, TextBuffer& to, unsigned operation, bool renameOnCollision, bool noConfirmation,
                  bool showProgress, bool noErrorUi);
