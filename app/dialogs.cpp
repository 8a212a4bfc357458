// The frame both dialog procedures share: icon, CurrentDialog, Cancel. Every WM_COMMAND is
// answered TRUE whatever its id; the notification code and lParam are never looked at.
#include "app/dialogs.h"

#include <shellapi.h>

#include "app/globals.h"
#include "app/install_dialog.h"
#include "install/sequences.h"
#include "res/resource.h"

namespace {

void OpenDialog(HWND window, int iconId, WPARAM iconSize)
{
    CurrentDialog = window;
    HICON icon = LoadIconA(ModuleInstance, MAKEINTRESOURCEA(iconId));
    SendMessageA(window, WM_SETICON, iconSize, reinterpret_cast<LPARAM>(icon));
}

}  // namespace

INT_PTR CALLBACK InstallDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OpenDialog(window, IDI_INSTALL, ICON_BIG);
        FillInstallDialog(window);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            InstallCommand(window);
            break;
        case IDCANCEL:
            EndDialog(window, 0);
            break;
        // Relative names resolve against the source folder, the current directory since
        // start-up. A missing file is the shell's affair; the dialog says nothing.
        case IDC_LICENSE:
            ShellExecuteA(window, nullptr, "license.txt", nullptr, nullptr, SW_SHOWNORMAL);
            break;
        case IDC_README:
            ShellExecuteA(window, nullptr, "readme.txt", nullptr, nullptr, SW_SHOWNORMAL);
            break;
        }
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK UninstallDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OpenDialog(window, IDI_UNINSTALL, ICON_SMALL);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) UninstallCommand(window);
        if (LOWORD(wParam) == IDCANCEL) EndDialog(window, 0);
        return TRUE;
    }
    return FALSE;
}
