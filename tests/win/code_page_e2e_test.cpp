// The real setup.exe on Windows that speaks another ANSI code page: run once per code page of
// tests/code_pages.h by its own ctest entry, which sets LC_ALL (Wine takes the process's ANSI code
// page from it, and setup.exe and the product inherit it) and ZV_CODE_PAGE. The source folder,
// the destination and the user's Start Menu and StartUp folders are named in that code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include "tests/code_pages.h"
#include "tests/win/end_to_end.h"
#include "tests/win/link_reader.h"
#include "tests/win/results_log.h"

namespace {

// Whether the bytes are text of the process's code page that reads back unchanged.
bool RoundTrips(const std::string& bytes)
{
    wchar_t wide[MAX_PATH];
    const int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.c_str(), -1, wide, MAX_PATH);
    char back[MAX_PATH * 2];
    BOOL lossy = FALSE;
    return units > 0 &&
           WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, back, sizeof back, nullptr, &lossy) > 0 &&
           !lossy && bytes == back;
}

}  // namespace

class InTheUsersCodePage : public EndToEnd {};

TEST_F(InTheUsersCodePage, InstallAndUninstallWithFoldersNamedInIt)
{
    const char* number = getenv("ZV_CODE_PAGE");
    ASSERT_NE(number, nullptr) << "run by the ctest entries that set ZV_CODE_PAGE and LC_ALL";
    const CodePage* page = FindCodePage(static_cast<unsigned>(atoi(number)));
    ASSERT_NE(page, nullptr) << number;
    ASSERT_EQ(GetACP(), page->number) << "Wine did not take the code page from LC_ALL=" << page->locale;
    for (const char* name : {page->destination, page->source}) ASSERT_TRUE(RoundTrips(name)) << name;

    const std::string source = kRoot + "\\" + page->source, folder = kRoot + "\\" + page->destination;
    const std::string menu = kRoot + "\\Menu " + page->destination, startup = kRoot + "\\StartUp " + page->destination;
    RemoveTree(kSource);
    CopyFolderFiles(DEMO_SOURCE, source);
    MakeFolder(menu);
    MakeFolder(startup);
    SavedValue programsValue(HKEY_CURRENT_USER, kShellFolders, names::kProgramsValue);
    SavedValue startupValue(HKEY_CURRENT_USER, kShellFolders, names::kStartUpValue);
    SetString(HKEY_CURRENT_USER, kShellFolders, names::kProgramsValue, menu);
    SetString(HKEY_CURRENT_USER, kShellFolders, names::kStartUpValue, startup);

    const Outcome outcome = DriveInstall(source + "\\setup.exe", folder, {}, true, {{IDC_START_PRODUCT, false}});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.boxes.empty()) << BoxTexts(outcome.boxes);
    for (const char* name : kRowNames) EXPECT_TRUE(FileExists(folder + "\\" + name)) << name;
    for (const auto& file : ReadTree(kRoot)) {
        const std::string& path = file.first;
        const bool inside = path.rfind(std::string(page->destination) + "\\", 0) == 0 ||
                            path.rfind(std::string(page->source) + "\\", 0) == 0 ||
                            path.rfind(menu.substr(kRoot.size() + 1) + "\\", 0) == 0 ||
                            path.rfind(startup.substr(kRoot.size() + 1) + "\\", 0) == 0;
        EXPECT_TRUE(inside) << path << " lies beside the folders";
    }
    EXPECT_EQ(Value(HKEY_CURRENT_USER, names::kSettingsKey, names::kInstallFolderValue), folder);
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, names::kUninstallKey, "UninstallString"),
              "\"" + folder + "\\setup.exe\" uninstall");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, names::kUninstallKey, "InstallLocation"), folder);

    const std::string links = menu + "\\Zevrin 2\\";
    EXPECT_EQ(ReadLink(links + names::kProductLink).path, folder + "\\zv.exe");
    EXPECT_EQ(ReadLink(links + names::kUninstallLink).path, folder + "\\setup.exe");
    EXPECT_EQ(ReadLink(startup + "\\" + names::kProductLink).path, folder + "\\zv.exe");
    // The product starts from each of its links, in its folder.
    for (const std::string& link : {links + names::kProductLink, startup + "\\" + names::kProductLink}) {
        DeleteFileA((folder + "\\zv-standin.log").c_str());
        EXPECT_TRUE(OpenThroughShell(nullptr, link)) << link;
        EXPECT_EQ(ReadTextFile(folder + "\\zv-standin.log").rfind("start", 0), 0u) << link;
    }

    EXPECT_EQ(DriveUninstall(Value(HKEY_LOCAL_MACHINE, names::kUninstallKey, "UninstallString")), 0);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, names::kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, names::kListClass));
    EXPECT_FALSE(FolderExists(menu + "\\Zevrin 2"));
    EXPECT_FALSE(FileExists(startup + "\\" + names::kProductLink));
    if (!HasFailure())
        ReportFigure(std::string(number) + " (" + page->locale + "): installed, started from its links and uninstalled",
                     "code page");
}
