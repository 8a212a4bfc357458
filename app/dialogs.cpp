// The two dialogs: the frame both procedures share (icon, CurrentDialog, Cancel) and the
// install dialog's contents. Every WM_COMMAND is answered TRUE whatever its id; the
// notification code and lParam are never looked at.
#include "app/dialogs.h"

#include <shellapi.h>

#include "base/process_win32.h"
#include "base/product_names.h"
#include "install/launcher.h"
#include "install/sequences.h"
#include "paths/special_folders.h"
#include "registry/registry.h"
#include "res/resource.h"

void FillInstallDialog(HWND window)
{
    TextBuffer text;
    // A stored folder wins even when it is empty: the user chose it last time.
    if (!RegReadPath(text, names::kSettingsKey, names::kInstallFolderValue, HKEY_CURRENT_USER)) {
        ExpandPathTokens(text, names::kProgramFilesToken);
        if (text.StartsWith("$", -1)) text.AssignText(names::kProgramFilesDefault);
    }
    SendDlgItemMessageA(window, IDC_DESTINATION, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.Text()));

    static const int options[] = {IDC_COPY_FILES, IDC_START_MENU, IDC_STARTUP, IDC_REGISTRY, IDC_START_PRODUCT};
    for (int id : options) CheckDlgButton(window, id, BST_CHECKED);

    text.LoadResourceString(IDS_NOTES);
    SendDlgItemMessageA(window, IDC_NOTES, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.Text()));
    text.Release();
}

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
            StartForUser(window, nullptr, "license.txt", nullptr, nullptr);
            break;
        case IDC_README:
            StartForUser(window, nullptr, "readme.txt", nullptr, nullptr);
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
