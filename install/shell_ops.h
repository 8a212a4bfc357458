#pragma once
// One SHFileOperationA call on one-item lists made from text buffers: the buffer's two trailing
// zero bytes end the list. Both return SHFileOperationA's result unchanged (0 = success).
#include "base/text_buffer.h"

int ShellDeleteList(TextBuffer& list, bool permanent);
int ShellCopyList(TextBuffer& from, TextBuffer& to, unsigned operation, bool renameOnCollision, bool noConfirmation,
                  bool showProgress, bool noErrorUi);
