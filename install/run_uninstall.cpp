#include "install/sequences.h"

#include <shellapi.h>

#include "app/close_product.h"
#include "app/globals.h"
#include "install/file_finder.h"
#include "install/shell_folders.h"
#include "install/shell_ops.h"
#include "registry/product_entries.h"
#include "registry/registry.h"

namespace {

void DeleteIfFound(TextBuffer& path, const TextBuffer& folder, const char* name)
{
    path.AssignConcat(folder, name);
    if (FindFile(path.data, 0)) ShellDeleteList(path, true);
}

}  // namespace

void RunUninstall()
{
    TextBuffer folder, path;
    CloseRunningProduct();
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    SetWindowTextA(CurrentDialog, "Removing Registry entries");
    RemoveProductRegistry();
    SetWindowTextA(CurrentDialog, "Deleting Shortcuts");

    RegReadString(folder, kUserShellFolders, "Programs", nullptr, HKEY_CURRENT_USER, REG_SZ);
    if (folder.length > 0) {
        folder.AppendText("\\Zevrin 2");
        if (FindFile(folder.data, 1)) {
            const char* const links[] = {"\\Zevrin.lnk", "\\Help.lnk", "\\Uninstall.lnk"};
            for (const char* name : links) DeleteIfFound(path, folder, name);
            // Only a folder without files goes; a file the user put there keeps it.
            path.AssignConcat(folder, "\\*.*");
            if (!FindFile(path.data, 0)) ShellDeleteList(folder, true);
        }
    }
    RegReadString(folder, kUserShellFolders, "StartUp", nullptr, HKEY_CURRENT_USER, REG_SZ);
    if (folder.length > 0) DeleteIfFound(path, folder, "\\Zevrin.lnk");

    SetWindowTextA(CurrentDialog, "Zevrin uninstalled");
    if (MessageBoxA(CurrentDialog, "Can't delete ZV folder. You should delete it manually.\r\nOpen ZV folder in Explorer?",
                    "Delete ZV files", MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND | MB_TOPMOST) == IDYES)
        ShellExecuteA(nullptr, "Explore", SourceFolder.Text(), nullptr, nullptr, SW_SHOWNORMAL);
}

void UninstallCommand(HWND window)
{
    EnableWindow(window, FALSE);
    RunUninstall();
    EndDialog(window, 1);
}
