#pragma once
// An open kernel handle (a file, a folder, a token), closed when it goes out of scope on every
// path, as RegKey does for keys. CreateFileA's INVALID_HANDLE_VALUE and the null of the other
// calls both mean none.
#include <windows.h>

class OwnedHandle {
public:
    OwnedHandle() = default;
    ~OwnedHandle() { Close(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    HANDLE* Receive() { Close(); return &handle_; }
    // Takes over `handle`, closing the one held before.
    void Reset(HANDLE handle)
    {
        Close();
        handle_ = handle;
    }
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }
    void Close()
    {
        if (Valid()) CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};
