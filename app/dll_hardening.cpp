#include "app/dll_hardening.h"

#include <windows.h>

#include "base/platform.h"

namespace {

// The DLLs that windows, COM, the shell's file operations and its links load by name after
// start-up, and which are not among the system's known DLLs (always taken from the system
// folder) on every Windows from XP to 7, one after the other. A name missing on one Windows
// fails to load and costs nothing.
const char kLoadedLater[] = "uxtheme.dll\0dwmapi.dll\0version.dll\0userenv.dll\0profapi.dll\0propsys.dll\0"
                            "cryptbase.dll\0apphelp.dll\0ntmarta.dll\0setupapi.dll\0oleacc.dll\0clbcatq.dll\0"
                            "comres.dll\0linkinfo.dll\0ntshrui.dll\0";

// Loads each of them now by its full path in the system folder, so that the later loads by
// name find it loaded. Searched from the system folder too, so are the DLLs each one imports.
void LoadFromSystemFolder()
{
    char path[MAX_PATH + 16];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    path[length] = '\\';
    for (const char* name = kLoadedLater; *name; name += lstrlenA(name) + 1) {
        lstrcpynA(path + length + 1, name, 16);
        LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
}

}  // namespace

void RestrictDllSearchPath()
{
    // SetDefaultDllDirectories came with Windows 8 (and KB2533623 on 7); SetDllDirectoryA with
    // XP SP1. Both are looked up rather than imported, which NT 4 to XP would refuse to load.
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
    typedef BOOL(WINAPI * SetDllDirectoryFunction)(LPCSTR);
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(SystemFunction("SetDefaultDllDirectories"));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    // Without it the folder setup.exe runs from stays first in the search whatever else is
    // said; an empty string takes the current directory out of it where the call exists.
    auto setDirectory = reinterpret_cast<SetDllDirectoryFunction>(SystemFunction("SetDllDirectoryA"));
    if (setDirectory) setDirectory("");
    LoadFromSystemFolder();
}

void EnforceRedirectionTrust()
{
    typedef BOOL(WINAPI * SetPolicyFunction)(int policy, const void* value, SIZE_T size);
    const int kRedirectionTrustPolicy = 16;  // ProcessRedirectionTrustPolicy
    const DWORD kEnforce = 1;                // EnforceRedirectionTrust
    auto setPolicy = reinterpret_cast<SetPolicyFunction>(SystemFunction("SetProcessMitigationPolicy"));
    if (setPolicy) setPolicy(kRedirectionTrustPolicy, &kEnforce, sizeof kEnforce);
}
