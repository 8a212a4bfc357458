// The install dialog as it opens, built from the release template with the real procedure.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "base/product_names.h"
#include "app/dialogs.h"
#include "base/process_win32.h"
#include "res/resource.h"
#include "tests/win/file_helpers.h"
#include "tests/win/import_patch.h"
#include "tests/win/registry_fixture.h"
#include "tests/win/setup_module.h"

namespace {

constexpr const char* kSettings = names::kSettingsKey;
constexpr const char* kShellFolders = names::kShellFoldersKey;
const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";

struct Opened {
    std::string destination, notes;
    bool allTicked = true;
};

Opened OpenInstallDialog()
{
    Opened opened;
    HWND dialog = CreateDialogIndirectParamA(ModuleInstance, static_cast<const DLGTEMPLATE*>(SetupDialogTemplate(IDD_INSTALL)),
                                             nullptr, InstallDialogProc, 0);
    if (!dialog) return opened;
    char text[2048] = {};
    GetDlgItemTextA(dialog, IDC_DESTINATION, text, sizeof text);
    opened.destination = text;
    GetDlgItemTextA(dialog, IDC_NOTES, text, sizeof text);
    opened.notes = text;
    for (int id : {IDC_COPY_FILES, IDC_REGISTRY, IDC_START_MENU, IDC_STARTUP, IDC_START_PRODUCT})
        opened.allTicked = opened.allTicked && IsDlgButtonChecked(dialog, id) == BST_CHECKED;
    DestroyWindow(dialog);
    return opened;
}

void DeleteValue(HKEY root, const char* path, const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

}  // namespace

TEST(InstallDialog, FirstInstallProposesProgramFiles)
{
    SavedValue instdir(HKEY_CURRENT_USER, kSettings, "instdir");
    SavedValue user(HKEY_CURRENT_USER, kShellFolders, "Program Files");
    DeleteValue(HKEY_CURRENT_USER, kSettings, "instdir");
    DeleteValue(HKEY_CURRENT_USER, kShellFolders, "Program Files");
    DWORD type;
    std::string programFiles;
    ASSERT_TRUE(GetRaw(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", &type, &programFiles));
    programFiles = programFiles.c_str();

    const Opened opened = OpenInstallDialog();
    EXPECT_EQ(opened.destination, programFiles + "\\Zevrin 2");
    EXPECT_TRUE(opened.allTicked);
    EXPECT_EQ(opened.notes.size(), 424u);
    char notes[1024] = {};
    LoadStringA(ModuleInstance, IDS_NOTES, notes, sizeof notes);
    EXPECT_EQ(opened.notes, notes);
}

TEST(InstallDialog, LaterInstallsProposeTheStoredFolderEvenEmpty)
{
    SavedValue instdir(HKEY_CURRENT_USER, kSettings, "instdir");
    SetString(HKEY_CURRENT_USER, kSettings, "instdir", "D:\\Apps\\Macro");
    EXPECT_EQ(OpenInstallDialog().destination, "D:\\Apps\\Macro");
    SetString(HKEY_CURRENT_USER, kSettings, "instdir", "");
    const Opened empty = OpenInstallDialog();
    EXPECT_EQ(empty.destination, "");
    EXPECT_TRUE(empty.allTicked);
    // Of another type it does not count.
    SetRaw(HKEY_CURRENT_USER, kSettings, "instdir", REG_EXPAND_SZ, "D:\\X", 5);
    EXPECT_NE(OpenInstallDialog().destination, "D:\\X");
}

TEST(InstallDialog, UnresolvedProgramFilesFallsBackToTheFixedFolder)
{
    SavedValue instdir(HKEY_CURRENT_USER, kSettings, "instdir");
    SavedValue user(HKEY_CURRENT_USER, kShellFolders, "Program Files");
    SavedValue machine(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir");
    DeleteValue(HKEY_CURRENT_USER, kSettings, "instdir");
    DeleteValue(HKEY_CURRENT_USER, kShellFolders, "Program Files");
    DeleteValue(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir");
    EXPECT_EQ(OpenInstallDialog().destination, "C:\\Program Files\\Zevrin 2");
}

namespace {

ImportPatch* openPatch;
std::string opened;

HINSTANCE WINAPI RecordOpen(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR folder, INT show)
{
    opened += std::string(file ? file : "<null>") + ";";
    return openPatch->Original<decltype(&ShellExecuteA)>()(owner, verb, file, parameters, folder, show);
}

}  // namespace

// Each button opens its own file, from the source folder; a missing one is the shell's affair.
TEST(InstallDialog, LicenseAndReadMeMissingShowNothingOfOurs)
{
    ImportPatch patch("shell32.dll", "ShellExecuteA", reinterpret_cast<void*>(RecordOpen));
    ASSERT_TRUE(patch.Active());
    openPatch = &patch;
    opened.clear();
    RemoveTree("C:\\zvtests\\empty source");
    MakeFolder("C:\\zvtests\\empty source");
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA("C:\\zvtests\\empty source");
    HWND dialog = CreateDialogIndirectParamA(ModuleInstance, static_cast<const DLGTEMPLATE*>(SetupDialogTemplate(IDD_INSTALL)),
                                             nullptr, InstallDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    {
        UnexpectedDialogs dialogs;
        SendMessageA(dialog, WM_COMMAND, IDC_LICENSE, 0);
        SendMessageA(dialog, WM_COMMAND, IDC_README, 0);
        EXPECT_EQ(dialogs.Count(), 0) << dialogs.Texts();
    }
    EXPECT_EQ(opened, "license.txt;readme.txt;");
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_TRUE(IsWindowEnabled(dialog));
    DestroyWindow(dialog);
    SetCurrentDirectoryA(previous);
    RemoveTree("C:\\zvtests\\empty source");
}
