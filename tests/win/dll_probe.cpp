// A GUI program that, like setup.exe, creates windows (which makes user32 load uxtheme.dll by
// name) and then asks for uxtheme.dll by name itself. With the argument "harden" it first calls
// the same hardening as setup.exe.
#include <windows.h>

#include <string.h>

#include "app/dll_hardening.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int)
{
    if (strstr(arguments, "harden")) RestrictDllSearchPath();
    HWND button = CreateWindowExA(0, "BUTTON", "probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(button);
    HMODULE theme = LoadLibraryA("uxtheme.dll");
    if (theme) FreeLibrary(theme);
    return 0;
}
