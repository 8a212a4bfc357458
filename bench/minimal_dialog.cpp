// Reference for the start-up benchmark: the smallest MinGW program that shows a dialog.
#include <windows.h>

INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) EndDialog(window, 0);
    return message == WM_INITDIALOG || message == WM_COMMAND;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    DialogBoxParamA(instance, MAKEINTRESOURCEA(1), nullptr, Proc, 0);
    return 0;
}
