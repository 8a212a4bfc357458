#pragma once
// Swaps one entry of this program's import table for the test's own function, so that a test can
// see how the code calls the platform (access masks, sizes offered) or make a call misbehave
// (a value that grows between two queries). The original entry is restored on destruction.
#include <windows.h>

class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool Active() const { return slot_ != nullptr; }
    template <typename T>
    T Original() const { return reinterpret_cast<T>(original_); }

private:
    void Write(void* value);
    void** slot_ = nullptr;
    void* original_ = nullptr;
};
