// The real setup.exe, run as a process on a copy of the demo source folder and driven from
// outside like a user would: files, links, registry entries and the started product checked.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/win/end_to_end.h"
#include "tests/win/link_reader.h"
#include "tests/win/registry_walk.h"

namespace {

// The KB that the files directly in a folder take, each size added before rounding up.
DWORD FolderKilobytes(const std::string& folder)
{
    size_t bytes = 0;
    for (const auto& file : ReadTree(folder))
        if (file.first.find('\\') == std::string::npos) bytes += file.second.size();
    return static_cast<DWORD>((bytes + 1023) / 1024);
}


}  // namespace

TEST_F(EndToEnd, FirstInstallIntoANewFolder)
{
    ASSERT_FALSE(programs_.empty());
    const Outcome outcome = Install(kTarget);
    EXPECT_EQ(outcome.last, SetupSession::Exited);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.boxes.empty()) << BoxTexts(outcome.boxes);

    for (const char* name : kRowNames) EXPECT_TRUE(FileExists(kTarget + "\\" + name)) << name;
    EXPECT_FALSE(FileExists(kTarget + "\\pdh.dll")) << "NT 4 only";
    EXPECT_FALSE(FileExists(kSource + "\\type cat file.txt")) << "deleted from the source folder";
    EXPECT_FALSE(FolderExists(kTarget + "\\Backup"));

    const std::string folder = programs_ + "\\Zevrin 2\\";
    const LinkContents zv = ReadLink(folder + "Zevrin.lnk");
    EXPECT_EQ(zv.path, kTarget + "\\zv.exe");
    EXPECT_EQ(zv.workingFolder, kTarget + "\\");
    EXPECT_EQ(zv.arguments, "");
    EXPECT_EQ(ReadLink(folder + "Help.lnk").path, kTarget + "\\zv2help.hlp");
    const LinkContents uninstall = ReadLink(folder + "Uninstall.lnk");
    EXPECT_EQ(uninstall.path, kTarget + "\\setup.exe");
    EXPECT_EQ(uninstall.arguments, "uninstall");
    EXPECT_EQ(uninstall.iconPath, kTarget + "\\setup.exe");
    EXPECT_EQ(uninstall.iconIndex, 1);
    const LinkContents startup = ReadLink(startup_ + "\\Zevrin.lnk");
    EXPECT_EQ(startup.path, kTarget + "\\zv.exe");
    EXPECT_EQ(startup.arguments, "S");
    EXPECT_EQ(startup.iconPath, "");

    const std::string destination = kTarget + "\\";
    EXPECT_EQ(Value(HKEY_CURRENT_USER, names::kSettingsKey, "instdir"), kTarget);
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, names::kUninstallKey,
                    "UninstallString"),
              "\"" + destination + "setup.exe\" uninstall");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, names::kListOpenCommandKey, ""), "\"" + destination + "zv.exe\" \"%1\"");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, names::kHelpKey, "zv2help.hlp"), kTarget);

    // The product was started from the destination folder with "V"; its stand-in says so.
    // setup.exe does not wait for it, so it may still be starting.
    HWND product = nullptr;
    for (int i = 0; i < 500 && !product; ++i) {
        product = FindWindowA(names::kProductWindowClass, nullptr);
        if (!product) Sleep(20);
    }
    ASSERT_NE(product, nullptr);
    EXPECT_NE(ReadTextFile(kTarget + "\\zv-standin.log").find("start V"), std::string::npos);
}

TEST_F(EndToEnd, TheSignedReleaseInstalls)
{
    if (!FileExists(SIGNED_SETUP)) GTEST_SKIP() << "no signed copy at " SIGNED_SETUP " (scripts/check-release makes it)";
    ASSERT_TRUE(CopyFileA(SIGNED_SETUP, (kSource + "\\setup.exe").c_str(), FALSE));
    const Outcome outcome = Install(kTarget, {}, true, {{IDC_START_PRODUCT, false}});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.boxes.empty()) << BoxTexts(outcome.boxes);
    EXPECT_TRUE(FileExists(kTarget + "\\zv.exe"));
    EXPECT_EQ(ReadTextFile(kTarget + "\\setup.exe"), ReadTextFile(SIGNED_SETUP)) << "the signed program copies itself";
}

// A release bound to the demo product's files (scripts/release --payload): it installs and
// starts only the bytes its table names, and what fails changes nothing of the user's.
TEST_F(EndToEnd, ABoundSetupInstallsAndStartsOnlyWhatItsTableNames)
{
    if (!FileExists(BOUND_SETUP)) GTEST_SKIP() << "no bound copy at " BOUND_SETUP " (scripts/check-release makes it)";
    const std::string setup = kSource + "\\setup.exe", log = "\\zv-standin.log";
    // As a browser saves a second download; the setup.exe beside it is another program.
    const std::string downloaded = kSource + "\\setup (1).exe";
    ASSERT_TRUE(CopyFileA(BOUND_SETUP, downloaded.c_str(), FALSE));
    WriteTextFile(kSource + "\\extra.ico", "an icon the release does not name");
    const auto shipped = ReadTree(kSource);

    // Untouched: installed and started as before; the running setup.exe cannot be renamed, and
    // the copy it makes of itself is that file.
    {
        SetupSession session;
        ASSERT_TRUE(session.Start("\"" + downloaded + "\""));
        EXPECT_FALSE(MoveFileA(downloaded.c_str(), (kSource + "\\renamed.exe").c_str())) << "renamed while it runs";
        EXPECT_EQ(ReadTextFile(downloaded), ReadTextFile(BOUND_SETUP));
        session.SetDestination(kTarget);
        session.PressOk();
        MessageBoxSeen box;
        EXPECT_EQ(session.Next(120000, &box), SetupSession::Exited) << BoxTexts({box});
    }
    WaitUntil([&] { return FileExists(kTarget + log); }, 30000);
    CloseProductStandIn();
    EXPECT_NE(ReadTextFile(kTarget + log).find("start V"), std::string::npos);
    EXPECT_FALSE(FileExists(kTarget + "\\extra.ico")) << "a file the table does not name";
    for (const char* name : kRowNames)
        EXPECT_EQ(ReadTextFile(kTarget + "\\" + name), shipped.at(strcmp(name, "setup.exe") ? name : "setup (1).exe")) << name;
    DeleteFileA((kTarget + log).c_str());
    ASSERT_TRUE(MoveFileExA(downloaded.c_str(), setup.c_str(), MOVEFILE_REPLACE_EXISTING));

    // A damaged first row stops with our message alone, not the advice about WinZip.
    const std::string other = kRoot + "\\Other";
    WriteTextFile(kSource + "\\zvhook20.dll", shipped.at("zvhook20.dll").substr(1));
    const Outcome hook = Install(other);
    ASSERT_EQ(hook.boxes.size(), 1u) << BoxTexts(hook.boxes);
    EXPECT_EQ(hook.boxes[0].text, "Following files are damaged or have been changed, and were not installed:\r\nzvhook20.dll\r\n");
    WriteTextFile(kSource + "\\zvhook20.dll", shipped.at("zvhook20.dll"));

    // A replaced zv.exe (a program that records any start): neither installed nor started; the
    // install stops as the row of zv.exe stops.
    WriteTextFile(kSource + "\\zv.exe", shipped.at("zv.exe") + "changed");
    const Outcome stopped = Install(other);
    ASSERT_EQ(stopped.boxes.size(), 1u) << BoxTexts(stopped.boxes);
    EXPECT_EQ(stopped.boxes[0].text, "Following files are damaged or have been changed, and were not installed:\r\nzv.exe\r\n");
    EXPECT_FALSE(FileExists(other + "\\zv.exe"));
    EXPECT_FALSE(FileExists(other + "\\pcrepattern.html")) << "the rows after it";
    EXPECT_NE(Value(HKEY_CURRENT_USER, names::kSettingsKey, "instdir"), other) << "no registry entries";
    // Nor is it started from the destination where it was put by hand.
    CopyFileA((kSource + "\\zv.exe").c_str(), (kTarget + "\\zv.exe").c_str(), FALSE);
    const Outcome notStarted = Install(kTarget, {}, true, {{IDC_COPY_FILES, false}});
    ASSERT_EQ(notStarted.boxes.size(), 1u) << BoxTexts(notStarted.boxes);
    EXPECT_EQ(notStarted.boxes[0].text, kTarget + "\\zv.exe has been changed, and was not started.");
    for (const std::string& folder : {kSource, other, kTarget})
        EXPECT_EQ(ReadTextFile(folder + log).find("start"), std::string::npos) << "started in " << folder;
    WriteTextFile(kSource + "\\zv.exe", shipped.at("zv.exe"));
    WriteTextFile(kTarget + "\\zv.exe", shipped.at("zv.exe"));
    // Copied by this very run, then replaced in the destination while its Info message is open.
    WriteTextFile(kTarget + "\\List.zvl", "; my list\n", 130000000000000000ULL);
    const Outcome replaced = DriveInstall(setup, kTarget, {}, true, {}, [&](const MessageBoxSeen& box, SetupSession&) {
        if (box.caption == "Info") WriteTextFile(kTarget + "\\zv.exe", shipped.at("zv.exe") + "changed");
        return true;
    });
    ASSERT_FALSE(replaced.boxes.empty());
    EXPECT_EQ(replaced.boxes.back().text, kTarget + "\\zv.exe has been changed, and was not started.") << BoxTexts(replaced.boxes);
    EXPECT_EQ(ReadTextFile(kTarget + log).find("start"), std::string::npos) << "started the replaced zv.exe";
    WriteTextFile(kTarget + "\\zv.exe", shipped.at("zv.exe"));
    DeleteFileA((kTarget + "\\List.zvl").c_str());
    DeleteFileA((kTarget + "\\Copy of List.zvl").c_str());

    // A byte changed in System.zvl while the user's own changed one is installed, and a
    // truncated license.txt: the user's files stay where they are, nothing goes to Backup, one
    // message names both, and the closing question is asked.
    WriteTextFile(kTarget + "\\System.zvl", "; my own system macros\n", 130000000000000000ULL);
    std::string system = shipped.at("System.zvl");
    system[0] ^= 1;
    WriteTextFile(kSource + "\\System.zvl", system);
    WriteTextFile(kSource + "\\license.txt", shipped.at("license.txt").substr(0, 10));
    const Outcome flagged = Install(kTarget, {IDNO}, true, {{IDC_START_PRODUCT, false}});
    ASSERT_EQ(flagged.boxes.size(), 2u) << BoxTexts(flagged.boxes);
    EXPECT_EQ(flagged.boxes[0].text,
              "Following files are damaged or have been changed, and were not installed:\r\nlicense.txt\r\nSystem.zvl\r\n");
    EXPECT_EQ(flagged.boxes[1].text, "Not all files have been copied. Continue setup?");
    EXPECT_EQ(ReadTextFile(kTarget + "\\System.zvl"), "; my own system macros\n");
    EXPECT_EQ(ReadTextFile(kTarget + "\\license.txt"), shipped.at("license.txt"));
    EXPECT_FALSE(FolderExists(kTarget + "\\Backup"));

    // A missing help file stops the install, as its row says.
    WriteTextFile(kSource + "\\System.zvl", shipped.at("System.zvl"));
    WriteTextFile(kSource + "\\license.txt", shipped.at("license.txt"));
    DeleteFileA((kSource + "\\zv2help.hlp").c_str());
    const Outcome missing = Install(kTarget, {}, true, {{IDC_START_PRODUCT, false}});
    ASSERT_FALSE(missing.boxes.empty());
    EXPECT_EQ(missing.boxes.back().text, "Following files are damaged or have been changed, and were not installed:\r\nzv2help.hlp\r\n");
}

TEST_F(EndToEnd, TheListOfInstalledProgramsShowsTheWholeEntry)
{
    constexpr const char* kUninstall = names::kUninstallKey;
    const std::vector<std::pair<int, bool>> quiet = {{IDC_START_PRODUCT, false}};
    const std::string other = kRoot + "\\Elsewhere";
    for (const std::string& folder : {kTarget, other}) {
        SCOPED_TRACE(folder);
        ASSERT_EQ(Install(folder, {}, true, quiet).exitCode, 0);
        EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kUninstall, "DisplayName"), "Zevrin 2");
        EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kUninstall, "UninstallString"), "\"" + folder + "\\setup.exe\" uninstall");
        EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kUninstall, "DisplayVersion"), "2.1.0");
        EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kUninstall, "Publisher"), "Moravel");
        EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kUninstall, "DisplayIcon"), folder + "\\zv.exe,0");
        EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kUninstall, "InstallLocation"), folder);
        DWORD size = 0, noModify = 0, noRepair = 0;
        ASSERT_TRUE(GetNumber(HKEY_LOCAL_MACHINE, kUninstall, "EstimatedSize", &size));
        EXPECT_EQ(size, FolderKilobytes(folder));
        EXPECT_GT(size, 0u);
        EXPECT_TRUE(GetNumber(HKEY_LOCAL_MACHINE, kUninstall, "NoModify", &noModify) && noModify == 1);
        EXPECT_TRUE(GetNumber(HKEY_LOCAL_MACHINE, kUninstall, "NoRepair", &noRepair) && noRepair == 1);
    }

    // Without the copy phase the size is what the folder already holds.
    WriteTextFile(other + "\\notes of mine.txt", std::string(5000, 'n'));
    ASSERT_EQ(Install(other, {}, true, {{IDC_START_PRODUCT, false}, {IDC_COPY_FILES, false}}).exitCode, 0);
    DWORD size = 0;
    ASSERT_TRUE(GetNumber(HKEY_LOCAL_MACHINE, kUninstall, "EstimatedSize", &size));
    EXPECT_EQ(size, FolderKilobytes(other));
}

TEST_F(EndToEnd, NtFourCopiesItsTwoLibraries)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe", 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("nt40"), 5);
    RegCloseKey(key);
    // One of them there already, as the system's own: left as it is.
    MakeFolder(kTarget);
    WriteTextFile(kTarget + "\\psapi.dll", "the system's psapi", 130000000000000000ULL);
    const Outcome outcome = Install(kTarget, {}, true, {{IDC_START_PRODUCT, false}});
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe");
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(FileExists(kTarget + "\\pdh.dll"));
    EXPECT_EQ(ReadTextFile(kTarget + "\\psapi.dll"), "the system's psapi");
}

TEST_F(EndToEnd, SecondInstallReportsReplacedAndCopiedAsNewFiles)
{
    const std::vector<std::pair<int, bool>> quiet = {{IDC_START_PRODUCT, false}};
    ASSERT_NO_FATAL_FAILURE(InstallThenChangeTwoLists());
    const std::string samples = ReadTextFile(kTarget + "\\Samples2.zvl");
    // The third macro list changed too, and the recorder's settings, which are the user's.
    WriteTextFile(kTarget + "\\Convert old macros.zvl", "; my conversions\n", 130000000000000000ULL);
    WriteTextFile(kTarget + "\\zvrecwin.txt", "my recorder windows", 130000000000000000ULL);
    // A row without a policy: its file is simply replaced.
    WriteTextFile(kTarget + "\\Form Notes.txt", "changed notes", 130000000000000000ULL);

    const Outcome outcome = Install(kTarget, {}, true, quiet);
    EXPECT_EQ(outcome.exitCode, 0);
    ASSERT_EQ(outcome.boxes.size(), 1u) << BoxTexts(outcome.boxes);
    EXPECT_EQ(outcome.boxes[0].caption, "Info");
    EXPECT_EQ(outcome.boxes[0].text,
              "Following files have been replaced (old files moved to Backup folder):\r\nSystem.zvl\r\n"
              "Convert old macros.zvl\r\n\r\n"
              "Following new files have been copied as \"Copy of...\":\r\nList.zvl\r\n");
    EXPECT_EQ(ReadTextFile(kTarget + "\\Backup\\Convert old macros.zvl"), "; my conversions\n");
    EXPECT_EQ(ReadTextFile(kTarget + "\\zvrecwin.txt"), "my recorder windows") << "never replaced";
    EXPECT_EQ(ReadTextFile(kTarget + "\\Form Notes.txt"), ReadTextFile(kSource + "\\Form Notes.txt"));
    EXPECT_FALSE(FileExists(kTarget + "\\Backup\\Form Notes.txt"));
    EXPECT_EQ(ReadTextFile(kTarget + "\\Backup\\System.zvl"), "; my own system macros\n");
    EXPECT_EQ(ReadTextFile(kTarget + "\\System.zvl"), ReadTextFile(kSource + "\\System.zvl"));
    EXPECT_EQ(ReadTextFile(kTarget + "\\List.zvl"), "; my list\n");
    EXPECT_EQ(ReadTextFile(kTarget + "\\Copy of List.zvl"), ReadTextFile(kSource + "\\List.zvl"));
    EXPECT_EQ(ReadTextFile(kTarget + "\\Samples2.zvl"), samples);
    EXPECT_FALSE(FileExists(kTarget + "\\Backup\\Samples2.zvl"));
}

TEST_F(EndToEnd, TheInfoMessageNamesOnlyWhatHappened)
{
    const std::vector<std::pair<int, bool>> quiet = {{IDC_START_PRODUCT, false}};
    ASSERT_NO_FATAL_FAILURE(InstallThenChangeTwoLists());
    // A file named Backup: the changed macro list cannot be put aside, so it must stay.
    WriteTextFile(kTarget + "\\Backup", "a file in the way");
    // The shipped list cannot be read while another program holds it without sharing, so no
    // copy of it can be put beside the user's.
    HANDLE held = CreateFileA((kSource + "\\List.zvl").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const Outcome outcome = Install(kTarget, {IDNO}, true, quiet);
    CloseHandle(held);

    int info = -1, warning = -1;
    for (size_t i = 0; i < outcome.boxes.size(); ++i) {
        if (outcome.boxes[i].caption == "Info") info = static_cast<int>(i);
        if (outcome.boxes[i].caption == "Warning") warning = static_cast<int>(i);
    }
    ASSERT_GE(info, 0) << BoxTexts(outcome.boxes);
    EXPECT_EQ(outcome.boxes[info].text,
              "Following files have been kept, because they could not be moved to Backup folder:\r\nSystem.zvl\r\n");
    EXPECT_GT(warning, info) << BoxTexts(outcome.boxes);
    EXPECT_EQ(outcome.last, SetupSession::Ready);
    EXPECT_EQ(ReadTextFile(kTarget + "\\System.zvl"), "; my own system macros\n");
    EXPECT_EQ(ReadTextFile(kTarget + "\\List.zvl"), "; my list\n");
    EXPECT_EQ(ReadTextFile(kTarget + "\\Backup"), "a file in the way");
    EXPECT_FALSE(FileExists(kTarget + "\\Copy of List.zvl"));
}

TEST_F(EndToEnd, TheTypedDestinationIsResolvedOnceAndUsedThroughout)
{
    const std::vector<std::pair<int, bool>> quiet = {
        {IDC_START_PRODUCT, false}, {IDC_START_MENU, false}, {IDC_STARTUP, false}};
    // Refused before anything is made or copied: a wildcard (which matches the source folder
    // here), a drive root, a token that names no folder.
    for (const std::string& typed : {kRoot + "\\sour*", std::string("C:\\"), std::string("$NoSuchFolder$\\x")}) {
        const Outcome refused = Install(typed, {}, true, quiet);
        ASSERT_EQ(refused.boxes.size(), 1u) << typed << "\n" << BoxTexts(refused.boxes);
        EXPECT_EQ(refused.boxes[0].text.rfind("Can't create folder ", 0), 0u) << refused.boxes[0].text;
        EXPECT_EQ(refused.last, SetupSession::Ready);
    }
    EXPECT_FALSE(FileExists("C:\\zv.exe"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, names::kListClass));

    // A relative text installs below the source folder and is recorded in full.
    ASSERT_EQ(Install("Relative ZV", {}, true, quiet).exitCode, 0);
    const std::string relative = kSource + "\\Relative ZV";
    EXPECT_TRUE(FileExists(relative + "\\zv.exe"));
    EXPECT_EQ(Value(HKEY_CURRENT_USER, names::kSettingsKey, "instdir"), relative);
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, names::kUninstallKey,
                    "UninstallString"),
              "\"" + relative + "\\setup.exe\" uninstall");

    // An environment reference is expanded once, for the folder test and the copies alike.
    const std::string fromEnvironment = kRoot + "\\From the environment";
    SetEnvironmentVariableA("ZVTEST_DESTINATION", fromEnvironment.c_str());
    const Outcome expanded = Install("%ZVTEST_DESTINATION%", {}, true, quiet);
    SetEnvironmentVariableA("ZVTEST_DESTINATION", nullptr);
    ASSERT_EQ(expanded.exitCode, 0) << BoxTexts(expanded.boxes);
    EXPECT_TRUE(FileExists(fromEnvironment + "\\zv.exe"));
    EXPECT_EQ(Value(HKEY_CURRENT_USER, names::kSettingsKey, "instdir"), fromEnvironment);
}

TEST_F(EndToEnd, StopPaths)
{
    // Empty destination: a beep only, and the dialog waits for a retry.
    Outcome empty = Install("");
    EXPECT_EQ(empty.last, SetupSession::Ready);
    EXPECT_TRUE(empty.boxes.empty()) << BoxTexts(empty.boxes);
    EXPECT_EQ(empty.exitCode, 0);

    // The source folder itself, in other letter case.
    std::string upper = kSource;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    Outcome same = Install(upper);
    ASSERT_EQ(same.boxes.size(), 1u);
    EXPECT_EQ(same.boxes[0].text, "Source and destination directories must be different.\r\nIf you want to uninstall "
                                  "ZV, do it through Control Panel Add-Remove Programs.");
    EXPECT_EQ(same.last, SetupSession::Ready);
    // The same folder by its short name, from a source folder whose name is long.
    const std::string longSource = kRoot + "\\The source of a long name";
    CopyFolderFiles(kSource, longSource);
    char shortName[MAX_PATH] = {};
    GetShortPathNameA(longSource.c_str(), shortName, MAX_PATH);
    ASSERT_NE(shortName, longSource);
    Outcome shortForm = DriveInstall(longSource + "\\setup.exe", shortName);
    ASSERT_EQ(shortForm.boxes.size(), 1u) << shortName;
    EXPECT_EQ(shortForm.boxes[0].text, same.boxes[0].text) << shortName;

    // A destination that cannot be created.
    Outcome missing = Install("Q:\\no drive\\Zevrin 2");
    ASSERT_EQ(missing.boxes.size(), 1u);
    EXPECT_EQ(missing.boxes[0].text, "Can't create folder Q:\\no drive\\Zevrin 2");
    Outcome deep = Install(kRoot + "\\missing parent\\Zevrin 2");
    ASSERT_EQ(deep.boxes.size(), 1u) << "one level only";
    EXPECT_FALSE(FolderExists(kRoot + "\\missing parent"));

    // Longer than MAX_PATH: it cannot be created either.
    const std::string tooLong = kRoot + "\\" + std::string(MAX_PATH, 'L');
    Outcome longer = Install(tooLong);
    ASSERT_EQ(longer.boxes.size(), 1u);
    EXPECT_EQ(longer.boxes[0].text, "Can't create folder " + tooLong);

    // Row 1 fails: its own message, then a retry; nothing written to the registry.
    DeleteFileA((kSource + "\\zvhook20.dll").c_str());
    Outcome row1 = Install(kTarget);
    ASSERT_FALSE(row1.boxes.empty());
    EXPECT_EQ(row1.boxes.back().text.rfind("Please retry. If you are installing from WinZip", 0), 0u)
        << BoxTexts(row1.boxes);
    EXPECT_EQ(row1.last, SetupSession::Ready);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, names::kListClass));

    // The last row, a stop row: no question, no registry entries.
    CopyFileA((std::string(DEMO_SOURCE) + "\\zvhook20.dll").c_str(), (kSource + "\\zvhook20.dll").c_str(), FALSE);
    DeleteFileA((kSource + "\\pcrepattern.html").c_str());
    Outcome last = Install(kTarget, {IDYES}, true, {{IDC_START_PRODUCT, false}});
    EXPECT_EQ(last.last, SetupSession::Ready) << BoxTexts(last.boxes);
    for (const MessageBoxSeen& box : last.boxes) EXPECT_NE(box.caption, "Warning");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, names::kListClass));
}

TEST_F(EndToEnd, ATypedTrailingBackslashIsNeverDoubled)
{
    const Outcome outcome = Install(kTarget + "\\", {}, true, {{IDC_START_PRODUCT, false}});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.boxes.empty()) << BoxTexts(outcome.boxes);
    EXPECT_TRUE(FileExists(kTarget + "\\zv.exe"));
    EXPECT_EQ(Value(HKEY_CURRENT_USER, names::kSettingsKey, "instdir"), kTarget);
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, names::kUninstallKey,
                    "UninstallString"),
              "\"" + kTarget + "\\setup.exe\" uninstall");
}

TEST_F(EndToEnd, AFlaggedRowAsksWhetherToContinue)
{
    const std::vector<std::pair<int, bool>> quiet = {{IDC_START_PRODUCT, false}};
    // The recorder's settings are the one row whose failure is never asked about.
    DeleteFileA((kSource + "\\zvrecwin.txt").c_str());
    const Outcome ignored = Install(kRoot + "\\Other", {IDNO}, true, quiet);
    EXPECT_EQ(ignored.last, SetupSession::Exited) << BoxTexts(ignored.boxes);
    for (const MessageBoxSeen& box : ignored.boxes) EXPECT_NE(box.caption, "Warning");
    RemoveProductKeys();

    DeleteFileA((kSource + "\\winapiZV.txt").c_str());
    Outcome no = Install(kTarget, {IDNO}, true, quiet);
    ASSERT_FALSE(no.boxes.empty());
    EXPECT_EQ(no.boxes.back().caption, "Warning");
    EXPECT_EQ(no.boxes.back().text, "Not all files have been copied. Continue setup?");
    EXPECT_EQ(no.last, SetupSession::Ready);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, names::kListClass));

    Outcome yes = Install(kTarget, {IDYES}, true, quiet);
    EXPECT_EQ(yes.last, SetupSession::Exited);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, names::kListClass));
}

TEST_F(EndToEnd, UninstallThroughTheRegisteredCommandAndTheLink)
{
    std::map<std::string, std::string> before;
    WalkKey(HKEY_CLASSES_ROOT, "HKCR", names::kListClass, &before);
    WalkKey(HKEY_LOCAL_MACHINE, "HKLM", names::kUninstallKey, &before);
    const std::vector<std::pair<int, bool>> quiet = {{IDC_START_PRODUCT, false}};
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(Install(kTarget, {}, true, quiet).exitCode, 0);
        WriteTextFile(startup_ + "\\ZV.lnk", "the user's old link");
        std::string command;
        if (round == 0) {
            command = Value(HKEY_LOCAL_MACHINE, names::kUninstallKey,
                            "UninstallString");
        } else {
            WriteTextFile(programs_ + "\\Zevrin 2\\my notes.txt", "mine");
            const LinkContents link = ReadLink(programs_ + "\\Zevrin 2\\Uninstall.lnk");
            command = "\"" + link.path + "\" " + link.arguments;
        }
        SetupSession setup;
        ASSERT_TRUE(setup.Start(command)) << command;
        EXPECT_EQ(WindowText(setup.Dialog()), "Uninstall Zevrin");
        PostMessageA(setup.Dialog(), WM_COMMAND, IDOK, 0);
        MessageBoxSeen box;
        ASSERT_EQ(setup.Next(60000, &box), SetupSession::Box);
        EXPECT_EQ(box.caption, "Delete ZV files");
        EXPECT_EQ(box.text, "Can't delete ZV folder. You should delete it manually.\r\nOpen ZV folder in Explorer?");
        EXPECT_TRUE(box.yesNo);
        setup.Answer(box, IDNO);
        EXPECT_EQ(setup.WaitExit(30000), 0);

        std::map<std::string, std::string> after;
        WalkKey(HKEY_CLASSES_ROOT, "HKCR", names::kListClass, &after);
        WalkKey(HKEY_LOCAL_MACHINE, "HKLM", names::kUninstallKey, &after);
        EXPECT_EQ(after, before);
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, names::kUninstallKey));
        EXPECT_FALSE(FileExists(programs_ + "\\Zevrin 2\\Zevrin.lnk"));
        EXPECT_FALSE(FileExists(startup_ + "\\Zevrin.lnk"));
        EXPECT_EQ(ReadTextFile(startup_ + "\\ZV.lnk"), "the user's old link");
        if (round == 0) {
            EXPECT_FALSE(FolderExists(programs_ + "\\Zevrin 2")) << "an empty program folder goes";
        } else {
            EXPECT_EQ(ReadTextFile(programs_ + "\\Zevrin 2\\my notes.txt"), "mine");
        }
        EXPECT_TRUE(FileExists(kTarget + "\\zv.exe")) << "product files are left to the user";
    }
}

TEST_F(EndToEnd, AProductThatWillNotCloseDelaysButDoesNotStopInstallOrUninstall)
{
    MakeFolder(kRoot + "\\running");
    CopyFileA((kSource + "\\zv.exe").c_str(), (kRoot + "\\running\\zv.exe").c_str(), FALSE);
    ChildProcess product;
    ASSERT_TRUE(product.Start("\"" + kRoot + "\\running\\zv.exe\" --block-close=6000 --delay=never"));
    WaitForInputIdle(product.process, 20000);
    const DWORD start = GetTickCount();
    const Outcome outcome = Install(kTarget, {}, true, {{IDC_START_PRODUCT, false}});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_LT(GetTickCount() - start, 17000u + 30000u);
    EXPECT_TRUE(FileExists(kTarget + "\\zv.exe"));

    SetupSession uninstall;
    ASSERT_TRUE(uninstall.Start("\"" + kTarget + "\\setup.exe\" uninstall"));
    const DWORD again = GetTickCount();
    PostMessageA(uninstall.Dialog(), WM_COMMAND, IDOK, 0);
    MessageBoxSeen box;
    ASSERT_EQ(uninstall.Next(60000, &box), SetupSession::Box);
    EXPECT_GE(GetTickCount() - again, 16000u) << "the product was asked and waited for";
    EXPECT_LT(GetTickCount() - again, 17000u + 10000u);
    uninstall.Answer(box, IDNO);
    EXPECT_EQ(uninstall.WaitExit(30000), 0);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, names::kListClass));
}

namespace {

struct TitleSearch {
    std::string part;
    HWND found;
};

BOOL CALLBACK FindTitle(HWND window, LPARAM param)
{
    TitleSearch* search = reinterpret_cast<TitleSearch*>(param);
    if (IsWindowVisible(window) && ClassOf(window) == "ExplorerWClass" && WindowText(window) == search->part) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

TEST_F(EndToEnd, AnsweringYesOpensTheSourceFolderInExplorer)
{
    {
        EXPECT_EQ(DriveUninstall("\"" + kSource + "\\setup.exe\" uninstall", IDNO), 0);
        TitleSearch none = {"source", nullptr};
        EnumWindows(FindTitle, reinterpret_cast<LPARAM>(&none));
        EXPECT_EQ(none.found, nullptr) << "No opens nothing";
    }
    SetupSession setup;
    ASSERT_TRUE(setup.Start("\"" + kSource + "\\setup.exe\" uninstall"));
    const DWORD setupId = setup.Process().id;
    PostMessageA(setup.Dialog(), WM_COMMAND, IDOK, 0);
    MessageBoxSeen box;
    ASSERT_EQ(setup.Next(60000, &box), SetupSession::Box);
    setup.Answer(box, IDYES);
    EXPECT_EQ(setup.WaitExit(30000), 0);
    // Wine's Explorer titles its window with the folder's own name; a loaded machine may take
    // many seconds to show it.
    TitleSearch search = {"source", nullptr};
    for (int i = 0; i < 3000 && !search.found; ++i) {
        EnumWindows(FindTitle, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(20);
    }
    // Its process must end whatever happened: it would otherwise keep the test runner's output
    // open. It is the child of setup.exe, which started it.
    if (search.found) {
        DWORD explorerId = 0;
        GetWindowThreadProcessId(search.found, &explorerId);
        HANDLE explorer = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, explorerId);
        PostMessageA(search.found, WM_CLOSE, 0, 0);
        if (explorer) {
            if (WaitForSingleObject(explorer, 10000) != WAIT_OBJECT_0) TerminateProcess(explorer, 0);
            WaitForSingleObject(explorer, 5000);
            CloseHandle(explorer);
        }
    }
    EndChildrenOf(setupId, "explorer.exe");
    ASSERT_NE(search.found, nullptr) << "no Explorer window on the source folder";
}
