#pragma once
// What the end-to-end and fault tests share: a copy of the demo source folder in kSource, the
// real setup.exe driven from outside, and a fixture that starts and ends each test with no
// trace of the product in the registry, the Start Menu or the StartUp folder.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/product_names.h"
#include "res/resource.h"
#include "tests/win/file_helpers.h"
#include "tests/win/registry_fixture.h"
#include "tests/win/setup_session.h"

inline const std::string kRoot = "C:\\zvtests\\e2e";
inline const std::string kSource = kRoot + "\\source";
inline const std::string kTarget = kRoot + "\\Zevrin 2";
inline constexpr const char* kShellFolders = names::kShellFoldersKey;
inline const char* const kRowNames[] = {"zvhook20.dll", "setup.exe", "zvcl.exe", "zv.exe", "zv.ico", "macro.ico",
                                 "license.txt", "typecat.ini", "winapiZV.txt", "zvrecwin.txt", "Form Notes.txt",
                                 "System.zvl", "Samples2.zvl", "Convert old macros.zvl", "List.zvl", "wininet.tlb",
                                 "zv2help.hlp", "pcrepattern.html"};

inline std::string ShellFolder(const char* name)
{
    DWORD type;
    std::string bytes;
    if (!GetRaw(HKEY_CURRENT_USER, kShellFolders, name, &type, &bytes)) return "";
    return bytes.c_str();
}

inline std::string Value(HKEY root, const char* path, const char* name)
{
    DWORD type;
    std::string bytes;
    if (!GetRaw(root, path, name, &type, &bytes)) return "<missing>";
    return bytes.c_str();
}

inline void CopyDemoSource()
{
    RemoveTree(kSource);
    CopyFolderFiles(DEMO_SOURCE, kSource);
    ASSERT_TRUE(FileExists(kSource + "\\setup.exe"));
}

using Outcome = InstallOutcome;

// One install of the copy in kSource; see DriveInstall.
inline Outcome Install(const std::string& destination, std::vector<int> yesNoAnswers = {}, bool retryThenCancel = true,
                const std::vector<std::pair<int, bool>>& boxes = {})
{
    return DriveInstall(kSource + "\\setup.exe", destination, std::move(yesNoAnswers), retryThenCancel, boxes);
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        CloseProductStandIn();
        RemoveTree(kRoot);
        CopyDemoSource();
        RemoveProductKeys();
        programs_ = ShellFolder("Programs");
        startup_ = ShellFolder("StartUp");
        RemoveTree(programs_ + "\\Zevrin 2");
        DeleteFileA((startup_ + "\\Zevrin.lnk").c_str());
        DeleteFileA((startup_ + "\\ZV.lnk").c_str());
    }
    void TearDown() override
    {
        // A setup.exe that outlived its case would turn away every later one, and keep the
        // runner waiting for the output it shares.
        const std::string shown = ShownWindows();
        EXPECT_EQ(EndChildrenOf(0, "setup.exe"), 0) << "a setup.exe still ran; on screen:\n" << shown;
        CloseProductStandIn();
        // Nothing of a test may outlive it: a later install (the demo's, in the same prefix)
        // would otherwise be offered a folder of the tests'.
        RemoveProductKeys();
        RemoveTree(kRoot);
        RemoveTree(programs_ + "\\Zevrin 2");
        DeleteFileA((startup_ + "\\Zevrin.lnk").c_str());
        DeleteFileA((startup_ + "\\ZV.lnk").c_str());
        CoUninitialize();
    }
    static void RemoveProductKeys()
    {
        SHDeleteKeyA(HKEY_CLASSES_ROOT, names::kListExtension);
        SHDeleteKeyA(HKEY_CLASSES_ROOT, names::kListClass);
        SHDeleteKeyA(HKEY_CURRENT_USER, names::kMakerKey);
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, names::kUninstallKey);
    }
    // An earlier install, then the user's own changes to System.zvl and List.zvl.
    static void InstallThenChangeTwoLists()
    {
        ASSERT_EQ(Install(kTarget, {}, true, {{IDC_START_PRODUCT, false}}).exitCode, 0);
        WriteTextFile(kTarget + "\\System.zvl", "; my own system macros\n", 130000000000000000ULL);
        WriteTextFile(kTarget + "\\List.zvl", "; my list\n", 130000000000000000ULL);
    }
    std::string programs_, startup_;
};
