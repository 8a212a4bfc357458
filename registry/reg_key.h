#pragma once
// An open registry key, closed when it goes out of scope on every path.
#include <windows.h>

class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    HKEY* Receive() { Close(); return &key_; }
    HKEY Get() const { return key_; }
    void Close()
    {
        if (key_) RegCloseKey(key_);
        key_ = nullptr;
    }

private:
    HKEY key_ = nullptr;
};
