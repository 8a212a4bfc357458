#include "app/install_dialog.h"

#include "base/text_buffer.h"
#include "paths/special_folders.h"
#include "registry/registry.h"
#include "res/resource.h"

void FillInstallDialog(HWND window)
{
    TextBuffer text;
    // A stored folder wins even when it is empty: the user chose it last time.
    if (!RegReadString(text, "Software\\Moravel\\ZV2\\settings", "instdir", nullptr, HKEY_CURRENT_USER, REG_SZ)) {
        ExpandPathTokens(text, "$Program Files$\\Zevrin 2");
        if (text.StartsWith("$", -1)) text.AssignText("C:\\Program Files\\Zevrin 2");
    }
    SendDlgItemMessageA(window, IDC_DESTINATION, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.Text()));

    const int options[] = {IDC_COPY_FILES, IDC_START_MENU, IDC_STARTUP, IDC_REGISTRY, IDC_START_PRODUCT};
    for (int id : options) CheckDlgButton(window, id, BST_CHECKED);

    text.LoadResourceString(IDS_NOTES);
    SendDlgItemMessageA(window, IDC_NOTES, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.Text()));
    text.Release();
}
