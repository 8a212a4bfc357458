// Start-up: single-instance guard, OLE, source folder, and the one modal dialog of the process.
#include <windows.h>

#include "app/dialogs.h"
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
    HANDLE guard = CreateMutexA(nullptr, TRUE, "ZVSetup_InstMutex.");
    if (GetLastError() == ERROR_ALREADY_EXISTS) return 0;

    OleInitialize(nullptr);
    ModuleInstance = instance;
    FindSourceFolder();
    SetCurrentDirectoryA(SourceFolder.Text());

    // The C runtime's lpCmdLine does not skip a program name with a quote in its middle the way
    // the user's shell built it, so the arguments are taken from the full command line.
    if (IsUninstallArgument(SkipProgramName(GetCommandLineA())))
        DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_UNINSTALL), nullptr, UninstallDialogProc, 0);
    else
        DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_INSTALL), nullptr, InstallDialogProc, 0);

    if (guard) CloseHandle(guard);
    return 0;
}
