#include "app/dll_hardening.h"

#include <windows.h>

void RestrictDllSearchPath()
{
    // SetDefaultDllDirectories came with Windows 8 (and KB2533623 on 7); older systems lack it,
    // so it is looked up rather than imported.
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // An empty string removes the current directory from the search order where the call above
    // is missing.
    SetDllDirectoryA("");
}
