// ShowMessage: the formatter's message box, owned by the dialog on screen.
#include <windows.h>

#include "app/globals.h"
#include "base/format.h"

int ShowMessage(unsigned type, const char* caption, const char* format, ...)
{
    TextBuffer message(TextBuffer::NoShrink);
    message.ResizeDiscard(300);
    message.data[0] = message.data[1] = 0;

    va_list args;
    va_start(args, format);
    FormatTextV(message, 0, format, args);
    va_end(args);

    return MessageBoxA(CurrentDialog, message.data, caption, type);
}
