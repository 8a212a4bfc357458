// Start-up: single-instance guard, OLE, source folder, and the one modal dialog of the process.
#include <windows.h>

#include "app/dialogs.h"
#include "app/dll_hardening.h"
#include "app/globals.h"
#include "base/command_line.h"
#include "res/resource.h"

namespace {

// Fills SourceFolder with the folder of the running executable. MAX_PATH is offered first; a
// count equal to the room means the path was cut, and a cut path names the wrong folder, so the
// call is repeated once with room for the longest path the system allows.
void FindSourceFolder()
{
    DWORD room = MAX_PATH;
    for (int attempt = 0; attempt < 2; ++attempt) {
        char* storage = SourceFolder.Reserve(static_cast<int32_t>(room), 0);
        const DWORD got = GetModuleFileNameA(ModuleInstance, storage, room);
        SourceFolder.SetLength(static_cast<int32_t>(got), true);
        if (got < room) break;
        room = 32768;
    }
    SourceFolder.GetFolderPart(SourceFolder);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    RestrictDllSearchPath();

    HANDLE guard = CreateMutexA(nullptr, TRUE, "ZVSetup_InstMutex.");
    if (GetLastError() == ERROR_ALREADY_EXISTS) return 0;

    OleInitialize(nullptr);
    ModuleInstance = instance;
    FindSourceFolder();
    SetCurrentDirectoryA(SourceFolder.Text());

    // The arguments are cut from the full command line by our own rule rather than taken from
    // the C runtime's lpCmdLine: the rule is then tested natively and cannot change with the
    // runtime's version. (This MinGW runtime agrees on quoted names, mid-name quotes and control
    // characters as blanks.)
    if (IsUninstallArgument(SkipProgramName(GetCommandLineA())))
        DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_UNINSTALL), nullptr, UninstallDialogProc, 0);
    else
        DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_INSTALL), nullptr, InstallDialogProc, 0);

    if (guard) CloseHandle(guard);
    return 0;
}
