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

// Windows 95, 98 and Me (platform id 1): no handle can be opened on a folder, there are no NT
// calls and no links, and no second user whose planted link to fear; the acts there go by path.
// Asked of the system at each call (base/process_win32.cpp).
bool OnWindows9x();
