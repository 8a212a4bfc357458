// Whole sequences run inside this process, counting what they leave behind; and a soak of the
// real setup.exe, comparing the registry and the installed tree after every round.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "base/product_names.h"
#include "app/dialogs.h"
#include "base/process_win32.h"
#include "install/sequences.h"
#include "res/resource.h"
#include "tests/win/dialog_automation.h"
#include "tests/win/file_helpers.h"
#include "tests/win/import_patch.h"
#include "tests/win/process.h"
#include "tests/win/registry_walk.h"
#include "tests/win/results_log.h"
#include "tests/win/setup_module.h"
#include "tests/win/setup_session.h"

namespace {

const std::string kRoot = "C:\\zvtests\\robust";

// Kernel handles of this process, counted by asking about every possible handle value: works
// where GetProcessHandleCount does not (Wine 8 reports 0).
int CountKernelHandles()
{
    int count = 0;
    for (ULONG_PTR value = 4; value < 0x4000; value += 4) {
        DWORD flags;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

int finds, closes;
ImportPatch* findPatch;
ImportPatch* closePatch;

HANDLE WINAPI CountFind(LPCSTR name, LPWIN32_FIND_DATAA data)
{
    HANDLE h = findPatch->Original<decltype(&FindFirstFileA)>()(name, data);
    if (h != INVALID_HANDLE_VALUE) ++finds;
    return h;
}

BOOL WINAPI CountClose(HANDLE h)
{
    ++closes;
    return closePatch->Original<decltype(&FindClose)>()(h);
}

// Answers every box the sequences show: No to a question, OK otherwise.
void AnswerBox(HWND box) { PostMessageA(box, WM_COMMAND, GetDlgItem(box, IDNO) ? IDNO : IDOK, 0); }

struct Counts {
    int kernel;
    DWORD gdi, user;
};

Counts Measure()
{
    return {CountKernelHandles(), GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
            GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)};
}

}  // namespace

TEST(Robustness, SequencesLeaveNoHandlesBehind)
{
    RemoveTree(kRoot);
    CopyFolderFiles(DEMO_SOURCE, kRoot + "\\source");
    ASSERT_TRUE(FileExists(kRoot + "\\source\\setup.exe"));
    SourceFolder.AssignText((kRoot + "\\source\\").c_str());
    OleInitialize(nullptr);

    HWND dialog = CreateDialogIndirectParamA(ModuleInstance, static_cast<const DLGTEMPLATE*>(SetupDialogTemplate(IDD_INSTALL)),
                                             nullptr, InstallDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextA(dialog, IDC_DESTINATION, (kRoot + "\\Zevrin 2").c_str());
    CheckDlgButton(dialog, IDC_START_PRODUCT, BST_UNCHECKED);
    DialogWatcher answers(AnswerBox, dialog);
    ImportPatch find("kernel32.dll", "FindFirstFileA", reinterpret_cast<void*>(CountFind));
    ImportPatch close("kernel32.dll", "FindClose", reinterpret_cast<void*>(CountClose));
    findPatch = &find;
    closePatch = &close;

    // A first run warms up what the system loads once (shell, COM, fonts).
    EXPECT_TRUE(RunInstall());
    RunUninstall();
    const Counts start = Measure();
    finds = closes = 0;
    EXPECT_TRUE(RunInstall());
    const Counts afterInstall = Measure();
    WriteTextFile(kRoot + "\\Zevrin 2\\System.zvl", "changed by the user");
    EXPECT_TRUE(RunInstall());
    const Counts afterSecond = Measure();
    RunUninstall();
    const Counts end = Measure();

    EXPECT_LE(finds - closes, 1) << "the finder keeps at most its one open search";
    EXPECT_EQ(afterInstall.kernel, start.kernel);
    EXPECT_EQ(afterSecond.kernel, start.kernel);
    EXPECT_EQ(end.kernel, start.kernel);
    ReportFigure("kernel handles " + std::to_string(start.kernel) + " -> " + std::to_string(afterInstall.kernel) + " -> " +
                 std::to_string(afterSecond.kernel) + " -> " + std::to_string(end.kernel) + "; find handles opened " +
                 std::to_string(finds) + ", closed " + std::to_string(closes));
    DestroyWindow(dialog);
    RemoveTree(kRoot);
    SHDeleteKeyA(HKEY_CURRENT_USER, names::kMakerKey);

    if (start.gdi == 0 && end.gdi == 0 && start.user == 0)
        GTEST_SKIP() << "Wine 8's GetGuiResources reports 0 GDI and USER objects";
    EXPECT_EQ(end.gdi, start.gdi);
    EXPECT_EQ(end.user, start.user);
}

TEST(Robustness, SoakOfInstallAndUninstallRounds)
{
    char roundsText[16] = "3";
    GetEnvironmentVariableA("ZV_SOAK_ROUNDS", roundsText, sizeof roundsText);
    const int rounds = atoi(roundsText) > 0 ? atoi(roundsText) : 3;
    RemoveTree(kRoot);
    CopyFolderFiles(DEMO_SOURCE, kRoot + "\\source");
    ASSERT_TRUE(FileExists(kRoot + "\\source\\setup.exe"));

    auto snapshot = [] {
        std::map<std::string, std::string> all;
        WalkKey(HKEY_CLASSES_ROOT, "HKCR", names::kListClass, &all);
        WalkKey(HKEY_CLASSES_ROOT, "HKCR", names::kListExtension, &all);
        WalkKey(HKEY_LOCAL_MACHINE, "HKLM", names::kUninstallKey, &all);
        WalkKey(HKEY_CURRENT_USER, "HKCU", names::kMakerKey, &all);
        WalkKey(HKEY_CURRENT_USER, "HKCU", names::kSchemeKey, &all);
        return all;
    };
    auto tree = [](const std::string& folder) {
        std::string listing;
        WIN32_FIND_DATAA e;
        HANDLE s = FindFirstFileA((folder + "\\*").c_str(), &e);
        if (s == INVALID_HANDLE_VALUE) return listing;
        do listing += std::string(e.cFileName) + ":" + std::to_string(e.nFileSizeLow) + "\n";
        while (FindNextFileA(s, &e));
        FindClose(s);
        return listing;
    };
    SHDeleteKeyA(HKEY_CURRENT_USER, names::kMakerKey);
    const auto clean = snapshot();
    std::map<std::string, std::string> installedRegistry;
    std::string installedTree;
    int compared = 0;
    for (int round = 0; round < rounds; ++round) {
        SetupSession install;
        ASSERT_TRUE(install.Start("\"" + kRoot + "\\source\\setup.exe\""));
        install.SetDestination(kRoot + "\\Zevrin 2");
        install.SetBox(IDC_START_PRODUCT, false);
        install.PressOk();
        MessageBoxSeen box;
        EXPECT_EQ(install.Next(120000, &box), SetupSession::Exited) << "round " << round << ": " << BoxTexts({box});
        const auto registry = snapshot();
        const std::string files = tree(kRoot + "\\Zevrin 2");
        if (round == 0) {
            installedRegistry = registry;
            installedTree = files;
        } else {
            EXPECT_EQ(registry, installedRegistry) << "round " << round;
            EXPECT_EQ(files, installedTree) << "round " << round;
            ++compared;
        }
        EXPECT_FALSE(FolderExists(kRoot + "\\Zevrin 2\\Backup")) << "round " << round;

        ASSERT_EQ(DriveUninstall("\"" + kRoot + "\\Zevrin 2\\setup.exe\" uninstall"), 0);
        auto after = snapshot();
        after.erase("HKCU\\Software\\Moravel");
        EXPECT_EQ(after, clean) << "round " << round;
        EXPECT_EQ(tree(kRoot + "\\Zevrin 2"), installedTree) << "uninstall leaves the product's files";
    }
    ReportFigure("soak: " + std::to_string(rounds) + " install/uninstall rounds, registry and tree compared " +
                 std::to_string(compared) + " times after install and " + std::to_string(rounds) +
                 " times after uninstall");
    RemoveTree(kRoot);
}
