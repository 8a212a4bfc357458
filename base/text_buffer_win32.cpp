// The text buffer operations that call the platform.
#include <windows.h>

#include "base/process_win32.h"
#include "base/text_buffer.h"

int32_t TextBuffer::ReadWindowText(HWND window, bool useMessages)
{
    int32_t n = useMessages ? static_cast<int32_t>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0))
                            : GetWindowTextLengthA(window);
    if (n < 0) n = 0;
    ResizeDiscard(n);
    if (n > 0) {
        const int32_t got = useMessages
            ? static_cast<int32_t>(SendMessageA(window, WM_GETTEXT, n + 1, reinterpret_cast<LPARAM>(data_)))
            : GetWindowTextA(window, data_, n + 1);
        // The text may have shrunk between the two calls, or the window may be gone.
        if (got < length_) SetLength(got < 0 ? 0 : got, false);
    }
    return length_;
}

TextBuffer& TextBuffer::LoadResourceString(unsigned id)
{
    if (capacity_ < 100) ResizeDiscard(100);
    int got = LoadStringA(ModuleInstance, id, data_, capacity_ + 1);
    // A count equal to the room means the string may have been cut: load again with far more.
    if (got == capacity_) {
        if (capacity_ < 10000) ResizeDiscard(10000);
        got = LoadStringA(ModuleInstance, id, data_, capacity_);
    }
    if (got < 0) got = 0;
    SetLength(got, false);
    return *this;
}

char* TextBuffer::ConvertToWide(const char* text)
{
    if (text && text != data_) {
        const int32_t n = static_cast<int32_t>(strlen(text));
        if (n == 0) return AssignText("").data_;
        ResizeDiscard(2 * n);
        const int units = MultiByteToWideChar(CP_ACP, 0, text, n, reinterpret_cast<wchar_t*>(data_), n);
        Terminate(2 * (units > 0 ? units : 0));
        return data_;
    }
    if (length_ == 0) {
        if (data_) data_[0] = data_[1] = 0;
        return data_;
    }
    // The conversion reads from the old block, so a new one is always taken.
    const int32_t n = length_;
    ForceNewBlock();
    char* oldBlock;
    ResizeDetach(2 * n, true, &oldBlock);
    const int units = MultiByteToWideChar(CP_ACP, 0, oldBlock, n, reinterpret_cast<wchar_t*>(data_), n);
    FreeBlock(oldBlock);
    Terminate(2 * (units > 0 ? units : 0));
    return data_;
}
