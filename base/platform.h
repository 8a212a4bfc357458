#pragma once
// What the running Windows has. setup.exe loads on every Windows from NT 4 and 95 on, so it
// imports only what NT 4 has (docs/IMPORTS.md); a newer call is looked up here at run time, and
// its caller says what it does where the call is missing.
#include <windows.h>

// The function `name` of a system DLL already loaded, or null where this Windows has none.
inline void* SystemFunction(const char* name, const char* dll = "kernel32.dll")
{
    HMODULE module = GetModuleHandleA(dll);
    return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}
