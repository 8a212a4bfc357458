// References for the start-up benchmark: the smallest MinGW program that shows a dialog and,
// built with ZV_STARTUP_CALLS, the same program making the calls setup.exe's start-up must
// make before its dialog (the DLL search restriction, the single-instance mutex, OLE); with
// ZV_SETUP_IMPORTS as well, it also loads the DLLs setup.exe imports (shell32, advapi32).
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) EndDialog(window, 0);
    return message == WM_INITDIALOG || message == WM_COMMAND;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
#ifdef ZV_STARTUP_CALLS
    SetDllDirectoryA("");
    HANDLE guard = CreateMutexA(nullptr, TRUE, "ZVBench_Mutex.");
    OleInitialize(nullptr);
#endif
#ifdef ZV_SETUP_IMPORTS
    // Never true; the references make the loader bring in both DLLs at start-up.
    if (GetTickCount() == 1) {
        SHFileOperationA(nullptr);
        RegCloseKey(nullptr);
    }
#endif
    DialogBoxParamA(instance, MAKEINTRESOURCEA(1), nullptr, Proc, 0);
#ifdef ZV_STARTUP_CALLS
    if (guard) CloseHandle(guard);
#endif
    return 0;
}
