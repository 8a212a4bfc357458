// The real setup.exe against what any process of the user's, without administrator rights, can
// leave in its way: programs along a destination with blanks, Shell Folders values with a zero
// byte inside, links in place of folders setup fills or deletes, read-only media. Each case has
// a control that does what setup once did, through the same platform calls, and shows the harm.
#include <windows.h>
#include <exdisp.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string.h>

#include <map>
#include <string>

#include "app/dialogs.h"
#include "base/process_win32.h"
#include "install/held_folder.h"
#include "tests/win/end_to_end.h"
#include "tests/win/fault_drive.h"
#include "tests/win/import_patch.h"
#include "tests/win/setup_module.h"

namespace {

const std::vector<std::pair<int, bool>> kQuiet = {{IDC_START_PRODUCT, false}};
const char kStandInLog[] = "\\zv-standin.log";

// Removes the product through the system's list of installed programs, which runs the entry's
// UninstallString; a setup.exe it started is driven through its dialog and question. Returns
// whether that dialog came up; a planted program, started instead, is ended once its log shows.
bool RemoveThroughTheList(const std::string& plantedLog)
{
    ChildProcess list;
    if (!list.Start(std::string("uninstaller.exe --remove ") + names::kUninstallKeyName)) return false;
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = FindWindowA(nullptr, "Uninstall Zevrin")) || FileExists(plantedLog); }, 60000);
    if (dialog) {
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        // The closing question, or whatever setup shows first, which fails the case at once.
        DWORD setupId = 0;
        GetWindowThreadProcessId(dialog, &setupId);
        HWND box = nullptr;
        WaitUntil([&] { return (box = FindDialogOf(setupId, dialog)) != nullptr; }, 60000);
        EXPECT_EQ(WindowText(box), "Delete ZV files") << MessageBoxText(box) << "; on screen:\n" << ShownWindows();
        if (box) PostMessageA(box, WM_COMMAND, IDNO, 0);
        // The list does not wait for setup.exe; the next one started would meet this one.
        WaitUntil([&] { return !IsWindow(dialog); }, 30000);
    } else {
        // The stand-in writes its log before it makes its window.
        WaitUntil([] { return FindWindowA(names::kProductWindowClass, nullptr) != nullptr; }, 30000);
        CloseProductStandIn();
    }
    list.WaitExit(60000);
    return dialog != nullptr;
}

// A symbolic link as a process of the user's can make one; false where none can be made here.
bool PlantLink(const std::string& target, const std::string& link)
{
    if (FaultDrive("link \"" + target + "\" \"" + link + "\"") != 0) return false;
    const DWORD attributes = GetFileAttributesA(link.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Removes a planted link when the test ends, however it ends: left in the Start Menu it would
// turn the next tests' installs away.
struct LinkRemover {
    std::string link;
    ~LinkRemover() { FaultDrive("unlink \"" + link + "\""); }
};

// Another process's move at the moment setup acts: the folder renamed with a Windows call and
// a link to `elsewhere` planted under its name, at each of its `acts` moments; the moments after
// those belong to the next swap's folder. Counts the tries and the renames that went through,
// and puts a swapped folder back at the end.
struct Swap {
    std::string folder, elsewhere;
    int acts;
    Swap* next = nullptr;
    int tries = 0, done = 0;

    ~Swap()
    {
        if (!done) return;
        FaultDrive("unlink \"" + folder + "\"");
        MoveFileA((folder + " moved").c_str(), folder.c_str());
    }
    // The swap whose moment comes next, or null.
    Swap* Current() { return tries < acts ? this : next ? next->Current() : nullptr; }
    void Try()
    {
        Swap* swap = Current();
        if (!swap) return;
        ++swap->tries;
        if (!MoveFileA(swap->folder.c_str(), (swap->folder + " moved").c_str())) return;
        ++swap->done;
        FaultDrive("link \"" + swap->elsewhere + "\" \"" + swap->folder + "\"");
    }
};

// One-item lists for the shell, as setup hands them over: the text and two zero bytes.
int Shell(UINT function, const std::string& from, const std::string& to = "")
{
    const std::string fromList = from + '\0', toList = to + '\0';
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = function;
    operation.pFrom = fromList.c_str();
    operation.pTo = to.empty() ? nullptr : toList.c_str();
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    return SHFileOperationA(&operation);
}

bool ReadOnly(const std::string& path) { return (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) != 0; }

}  // namespace

TEST_F(EndToEnd, ProgramsPlantedAlongADestinationWithBlanksNeverRun)
{
    // Each stretch of the destination up to a blank, as a program of somebody else's.
    const std::string tools = kRoot + "\\My Tools", folder = tools + "\\Zevrin 2";
    MakeFolder(tools);
    const std::string planted[] = {kRoot + "\\My.exe", tools + "\\Zevrin.exe"};
    for (const std::string& program : planted) ASSERT_TRUE(CopyFileA(PRODUCT_STANDIN, program.c_str(), FALSE));
    ASSERT_EQ(Install(folder, {}, true, kQuiet).exitCode, 0);
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, names::kUninstallKey, "UninstallString"),
              "\"" + folder + "\\setup.exe\" uninstall");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, names::kListOpenCommandKey, ""), "\"" + folder + "\\zv.exe\" \"%1\"");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, names::kListImportCommandKey, ""), "\"" + folder + "\\zv.exe\" LI \"%1\"");

    const std::string document = kRoot + "\\my macros.zvl";
    WriteTextFile(document, "; a list\r\n");
    ASSERT_TRUE(OpenThroughShell("open", document));
    ASSERT_TRUE(OpenThroughShell("Import", document));
    const std::string log = ReadTextFile(folder + kStandInLog);
    EXPECT_NE(log.find("start \"" + document + "\"\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("start LI \"" + document + "\"\r\n"), std::string::npos) << log;
    EXPECT_TRUE(RemoveThroughTheList(kRoot + kStandInLog)) << "setup.exe's own uninstall dialog";
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, names::kUninstallKey));
    for (const std::string& program : planted) {
        const std::string log = program.substr(0, program.rfind('\\')) + kStandInLog;
        EXPECT_FALSE(FileExists(log)) << program << " ran: " << ReadTextFile(log);
    }

    // The control: the same commands unquoted, as they were stored, start the planted programs.
    SetString(HKEY_CLASSES_ROOT, names::kListExtension, "", names::kListClass);
    SetString(HKEY_CLASSES_ROOT, names::kListOpenCommandKey, "", folder + "\\zv.exe \"%1\"");
    ASSERT_TRUE(OpenThroughShell("open", document));
    EXPECT_NE(ReadTextFile(kRoot + kStandInLog).find(document), std::string::npos) << "My.exe ran for the file";
    SetString(HKEY_LOCAL_MACHINE, names::kUninstallKey, "UninstallString", folder + "\\setup.exe uninstall");
    SetString(HKEY_LOCAL_MACHINE, names::kUninstallKey, "DisplayName", names::kProductTitle);
    DeleteFileA((kRoot + kStandInLog).c_str());
    EXPECT_FALSE(RemoveThroughTheList(kRoot + kStandInLog));
    EXPECT_TRUE(FileExists(kRoot + kStandInLog)) << "My.exe ran for the list";
}

TEST_F(EndToEnd, AZeroByteInsideAShellFolderEndsThePathThere)
{
    SavedValue programs(HKEY_CURRENT_USER, kShellFolders, names::kProgramsValue);
    SavedValue startup(HKEY_CURRENT_USER, kShellFolders, names::kStartUpValue);
    const std::string folder = kRoot + "\\victim2", file = kRoot + "\\victim.txt";
    MakeFolder(folder + "\\sub");
    WriteTextFile(folder + "\\sub\\kept.txt", "the user's");
    WriteTextFile(file, "the user's file");
    // What follows the zero byte is part of the value's bytes, then the value's own zero.
    const std::string programsValue = folder + std::string(1, '\0') + "rest";
    const std::string startupValue = file + std::string(1, '\0');
    SetRaw(HKEY_CURRENT_USER, kShellFolders, names::kProgramsValue, REG_SZ, programsValue.c_str(),
           static_cast<DWORD>(programsValue.size() + 1));
    SetRaw(HKEY_CURRENT_USER, kShellFolders, names::kStartUpValue, REG_SZ, startupValue.c_str(),
           static_cast<DWORD>(startupValue.size() + 1));

    ASSERT_EQ(Install(kTarget, {}, true, kQuiet).exitCode, 0);
    EXPECT_EQ(ReadTextFile(file), "the user's file");
    EXPECT_TRUE(FileExists(folder + "\\Zevrin 2\\Zevrin.lnk")) << "the folder before the zero byte";
    EXPECT_EQ(DriveUninstall("\"" + kTarget + "\\setup.exe\" uninstall"), 0);
    EXPECT_EQ(ReadTree(folder), (std::map<std::string, std::string>{{"sub\\kept.txt", "the user's"}}));
    EXPECT_FALSE(FolderExists(folder + "\\Zevrin 2"));
    EXPECT_EQ(ReadTextFile(file), "the user's file");

    // The control: the shell reads the uncut text as a list and deletes the folder before the
    // zero byte with all it holds.
    const std::string scratch = kRoot + "\\scratch";
    MakeFolder(scratch);
    WriteTextFile(scratch + "\\inside.txt", "x");
    Shell(FO_DELETE, scratch + std::string(1, '\0') + "\\Zevrin 2");
    EXPECT_FALSE(FolderExists(scratch));
}

// A Shell Folders value that starts with a token is resolved once; the folder test, its
// creation, the link check, the saves and the deletions all use that one path.
TEST_F(EndToEnd, AShellFolderWithATokenIsResolvedOnceAndUsedThroughout)
{
    SavedValue programs(HKEY_CURRENT_USER, kShellFolders, names::kProgramsValue);
    const std::string menu = kRoot + "\\Menu";
    MakeFolder(menu);
    SetEnvironmentVariableA("ZV_TEST_MENU", menu.c_str());
    SetString(HKEY_CURRENT_USER, kShellFolders, names::kProgramsValue, "%ZV_TEST_MENU%");
    ASSERT_EQ(Install(kTarget, {}, true, kQuiet).exitCode, 0);
    EXPECT_TRUE(FileExists(menu + "\\Zevrin 2\\Zevrin.lnk"));
    EXPECT_TRUE(FileExists(menu + "\\Zevrin 2\\Uninstall.lnk"));
    EXPECT_FALSE(FolderExists(kSource + "\\%ZV_TEST_MENU%")) << "made as a relative path";
    EXPECT_EQ(DriveUninstall("\"" + kTarget + "\\setup.exe\" uninstall"), 0);
    EXPECT_FALSE(FolderExists(menu + "\\Zevrin 2"));
    SetEnvironmentVariableA("ZV_TEST_MENU", nullptr);
}

TEST_F(EndToEnd, LinksInPlaceOfTheStartMenuFolderBackupAndAFileLeaveWhatTheyPointTo)
{
    // The user's own folder with a subfolder, and a link to it made in place of the Start Menu
    // folder "Zevrin 2".
    const std::string elsewhere = kRoot + "\\elsewhere", menu = programs_ + "\\Zevrin 2";
    MakeFolder(elsewhere + "\\sub");
    WriteTextFile(elsewhere + "\\Zevrin.lnk", "not a link of setup's");
    WriteTextFile(elsewhere + "\\sub\\mine.txt", "mine");
    LinkRemover removeMenu{menu}, removeBackup{kTarget + "\\Backup"};
    LinkRemover removeScratch{kRoot + "\\to scratch"}, removeOther{kRoot + "\\to other"};
    LinkRemover removeLicense{kTarget + "\\license.txt"}, removeVictim{kRoot + "\\to victim"};
    if (!PlantLink(elsewhere, menu)) GTEST_SKIP() << "fault-drive cannot make a symbolic link in the prefix here";
    const auto before = ReadTree(elsewhere);
    {
        // The StartUp folder too, moved aside and a link to the same folder put in its place.
        Swap startup{startup_, elsewhere, 1};
        startup.Try();
        ASSERT_EQ(startup.done, 1);
        const Outcome installed = Install(kTarget, {}, true, kQuiet);
        ASSERT_EQ(installed.exitCode, 0);
        EXPECT_EQ(ReadTree(elsewhere), before) << "no link saved through them";
        for (const std::string& left : {menu, startup_})
            EXPECT_NE(BoxTexts(installed.boxes).find(left), std::string::npos) << BoxTexts(installed.boxes);
        EXPECT_EQ(DriveUninstall("\"" + kTarget + "\\setup.exe\" uninstall"), 0);
        EXPECT_EQ(ReadTree(elsewhere), before) << "nothing deleted through them";
    }
    EXPECT_TRUE(FolderExists(menu));
    FaultDrive("unlink \"" + menu + "\"");

    // Backup as a link into another folder: the user's changed list is kept in place, and said
    // to be kept.
    ASSERT_NO_FATAL_FAILURE(InstallThenChangeTwoLists());
    const std::string other = kRoot + "\\other";
    MakeFolder(other);
    ASSERT_TRUE(PlantLink(other, kTarget + "\\Backup"));
    const Outcome kept = Install(kTarget, {IDNO}, true, kQuiet);
    ASSERT_FALSE(kept.boxes.empty());
    EXPECT_NE(kept.boxes[0].text.find("Following files have been kept, because they could not be moved to Backup "
                                      "folder:\r\nSystem.zvl\r\n"),
              std::string::npos)
        << BoxTexts(kept.boxes);
    EXPECT_EQ(ReadTextFile(kTarget + "\\System.zvl"), "; my own system macros\n");
    EXPECT_TRUE(ReadTree(other).empty());

    // The control: the shell deletes through a link to a folder, and moves into one.
    const std::string scratch = kRoot + "\\scratch";
    MakeFolder(scratch);
    WriteTextFile(scratch + "\\inside.txt", "x");
    ASSERT_TRUE(PlantLink(scratch, kRoot + "\\to scratch"));
    ASSERT_TRUE(PlantLink(other, kRoot + "\\to other"));
    Shell(FO_MOVE, kTarget + "\\List.zvl", kRoot + "\\to other\\List.zvl");
    EXPECT_EQ(ReadTextFile(other + "\\List.zvl"), "; my list\n") << "moved through the link";
    Shell(FO_DELETE, kRoot + "\\to scratch");
    EXPECT_FALSE(FileExists(scratch + "\\inside.txt")) << "deleted through the link";
    const std::string victim = kRoot + "\\victim.txt";
    WriteTextFile(victim, "the user's file");
    ASSERT_EQ(FaultDrive("link \"" + victim + "\" \"" + kRoot + "\\to victim\""), 0);
    Shell(FO_COPY, kSource + "\\license.txt", kRoot + "\\to victim");
    EXPECT_EQ(ReadTextFile(victim), ReadTextFile(kSource + "\\license.txt")) << "copied through the link";

    // A link in place of an installed file, to a file of the user's elsewhere: nothing is copied
    // through it.
    WriteTextFile(victim, "the user's file");
    if (!PlantLink(victim, kTarget + "\\license.txt"))
        GTEST_SKIP() << "Wine 8 shows a symbolic link to a file as a plain file (attributes 0x"
                     << std::hex << GetFileAttributesA((kTarget + "\\license.txt").c_str())
                     << "), so setup cannot tell it from one; Windows marks it as a reparse point";
    Install(kTarget, {IDNO}, true, kQuiet);
    EXPECT_EQ(ReadTextFile(victim), "the user's file");
}

// Folders a machine reaches through a mount point or junction of its own, there before setup
// starts (a profile disk, a profile or C:\Apps moved to another disk): followed, as every
// program follows them. The Start Menu folder's parent and the destination's are such a link.
// And folders spelled in another letter case than on disk (the destination typed, StartUp in
// the registry, a Start Menu folder an earlier version made): the same folders, as Windows
// compares names.
TEST_F(EndToEnd, FoldersReachedThroughLinksOrSpelledInAnotherCaseAreUsed)
{
    const std::string disk = kRoot + "\\disk", link = kRoot + "\\profile";
    MakeFolder(disk + "\\Programs");
    LinkRemover removeLink{link};
    if (!PlantLink(disk, link)) GTEST_SKIP() << "fault-drive cannot make a symbolic link in the prefix here";
    SavedValue programs(HKEY_CURRENT_USER, kShellFolders, names::kProgramsValue);
    SavedValue startup(HKEY_CURRENT_USER, kShellFolders, names::kStartUpValue);
    std::string startupUpper = startup_;
    CharUpperBuffA(&startupUpper[0], static_cast<DWORD>(startupUpper.size()));
    const struct {
        const char* what;
        std::string programs, startup, target, menuOnDisk;
    } rows[] = {{"through a link of the machine's own", link + "\\Programs", startup_, link + "\\Zevrin 2", ""},
                {"in another case than on disk", disk + "\\PROGRAMS", startupUpper, disk + "\\ZEVRIN 2",
                 disk + "\\Programs\\zevrin 2"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string menu = row.programs + "\\Zevrin 2";
        SetString(HKEY_CURRENT_USER, kShellFolders, names::kProgramsValue, row.programs);
        SetString(HKEY_CURRENT_USER, kShellFolders, names::kStartUpValue, row.startup);
        if (!row.menuOnDisk.empty()) MakeFolder(row.menuOnDisk);
        RemoveTree(row.target + "\\Backup");
        std::string boxes;
        EXPECT_TRUE(InstallHere(kSource, row.target, &boxes)) << boxes;
        for (const char* name : {names::kProductLink, names::kHelpLink, names::kUninstallLink})
            EXPECT_TRUE(FileExists(menu + "\\" + name)) << name;
        EXPECT_TRUE(FileExists(startup_ + "\\Zevrin.lnk"));
        WriteTextFile(row.target + "\\System.zvl", "; my own system macros\n", 130000000000000000ULL);
        EXPECT_TRUE(InstallHere(kSource, row.target, &boxes)) << boxes;
        EXPECT_EQ(ReadTextFile(row.target + "\\Backup\\System.zvl"), "; my own system macros\n") << boxes;
        UninstallHere(row.target, &boxes);
        EXPECT_FALSE(FolderExists(menu));
        EXPECT_FALSE(FileExists(startup_ + "\\Zevrin.lnk"));
        EXPECT_EQ(boxes.find("were left as they are"), std::string::npos) << boxes;
    }
}

TEST_F(EndToEnd, AnInstallFromReadOnlyMediaGivesWritableFiles)
{
    for (const auto& file : ReadTree(kSource))
        SetFileAttributesA((kSource + "\\" + file.first).c_str(), FILE_ATTRIBUTE_READONLY);
    const Outcome first = Install(kTarget, {}, true, kQuiet);
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_TRUE(first.boxes.empty()) << BoxTexts(first.boxes);
    for (const char* name : kRowNames) EXPECT_FALSE(ReadOnly(kTarget + "\\" + name)) << name;

    // The user's own changed lists, marked read-only by the user; a reinstall from the same media.
    WriteTextFile(kTarget + "\\System.zvl", "; my own system macros\n", 130000000000000000ULL);
    WriteTextFile(kTarget + "\\List.zvl", "; my list\n", 130000000000000000ULL);
    SetFileAttributesA((kTarget + "\\System.zvl").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((kTarget + "\\List.zvl").c_str(), FILE_ATTRIBUTE_READONLY);
    const Outcome again = Install(kTarget, {}, true, kQuiet);
    EXPECT_EQ(again.exitCode, 0);
    ASSERT_EQ(again.boxes.size(), 1u) << "the Info message alone, no \"Not all files\" question\n"
                                      << BoxTexts(again.boxes);
    EXPECT_EQ(again.boxes[0].caption, "Info");
    for (const char* name : kRowNames)
        EXPECT_TRUE(std::string(name) == "List.zvl" || !ReadOnly(kTarget + "\\" + name)) << name;
    EXPECT_FALSE(ReadOnly(kTarget + "\\Copy of List.zvl"));
    EXPECT_TRUE(ReadOnly(kTarget + "\\Backup\\System.zvl")) << "the user's mark";
    EXPECT_TRUE(ReadOnly(kTarget + "\\List.zvl")) << "the user's mark";

    // The control: a plain copy of a read-only file, as the shell makes it, is read-only too.
    Shell(FO_COPY, kSource + "\\zv.exe", kRoot + "\\copied.exe");
    EXPECT_TRUE(ReadOnly(kRoot + "\\copied.exe"));
}

// Links to files, which Windows marks as reparse points and Wine 8 shows as plain files: the
// mark is reported by the patched system calls while the sequences run in this process, and the
// files stay plain, so whatever a rule forgot to refuse is deleted or written for the test to see.
TEST_F(EndToEnd, LinksToFilesAreNeitherDeletedNorWrittenThrough)
{
    const std::string menu = programs_ + "\\Zevrin 2", earlier = startup_ + "\\" + names::kEarlierStartUpLink;
    const std::string obsolete = kSource + "\\" + names::kObsoleteSourceFile;
    MakeFolder(menu);
    WriteTextFile(menu + "\\Mine.lnk", "the user's link to a file of theirs");
    WriteTextFile(earlier, "a link to a file of the user's");
    WriteTextFile(obsolete, "a link to a file of the user's");
    std::string boxes;
    {
        ReparseMarks links({menu + "\\Mine.lnk", earlier, obsolete});
        EXPECT_TRUE(InstallHere(kSource, kTarget, &boxes)) << boxes;
    }
    EXPECT_EQ(ReadTree(menu), (std::map<std::string, std::string>{{"Mine.lnk", "the user's link to a file of theirs"}}))
        << "no link saved beside one of somebody else's";
    EXPECT_TRUE(FileExists(earlier)) << "not taken to the Recycle Bin";
    EXPECT_TRUE(FileExists(obsolete));
    EXPECT_TRUE(FileExists(startup_ + "\\Zevrin.lnk"));

    // The uninstall: our own links beside the user's link stay, and so does a StartUp link that
    // is a link to a file.
    for (const char* link : {names::kProductLink, names::kHelpLink}) WriteTextFile(menu + "\\" + link, "ours");
    const std::string ours = startup_ + "\\" + names::kProductLink;
    {
        ReparseMarks links({menu + "\\Mine.lnk", ours});
        UninstallHere(kTarget, &boxes);
    }
    EXPECT_EQ(ReadTree(menu).size(), 3u) << "nothing deleted in a folder that holds a link";
    EXPECT_TRUE(FileExists(ours));

    // A link in place of an installed file: the file it points to keeps its bytes.
    WriteTextFile(kTarget + "\\license.txt", "the user's file");
    boxes.clear();
    {
        ReparseMarks links({kTarget + "\\license.txt"});
        EXPECT_FALSE(InstallHere(kSource, kTarget, &boxes));
    }
    EXPECT_EQ(ReadTextFile(kTarget + "\\license.txt"), "the user's file");
    EXPECT_NE(boxes.find("Not all files have been copied. Continue setup?"), std::string::npos) << boxes;

    // A real link, unmarked, in place of the StartUp link: Wine opens the file it points to even
    // when asked for the link itself, and the name Windows resolved for that file shows it. The
    // install writes nothing through it, the uninstall deletes nothing.
    const std::string victim = kRoot + "\\victim.lnk";
    WriteTextFile(victim, "the user's file");
    LinkRemover removeOurs{ours};
    DeleteFileA(ours.c_str());
    ASSERT_EQ(FaultDrive("link \"" + victim + "\" \"" + ours + "\""), 0);
    InstallHere(kSource, kTarget);
    EXPECT_EQ(ReadTextFile(victim), "the user's file") << "no link saved through it";
    boxes.clear();
    UninstallHere(kTarget, &boxes);
    EXPECT_EQ(ReadTextFile(victim), "the user's file");
    EXPECT_NE(boxes.find("were left as they are, because they could not be checked or changed safely:\r\n" + ours), std::string::npos)
        << boxes;

    // Hard links, which show no mark, in place of a Start Menu link and of an installed file:
    // the file they share keeps its bytes, and both are told.
    const std::string shared = kRoot + "\\shared.txt";
    WriteTextFile(shared, "the user's file");
    for (const std::string& name : {menu + "\\Zevrin.lnk", kTarget + "\\license.txt"}) {
        DeleteFileA(name.c_str());
        ASSERT_TRUE(CreateHardLinkA(name.c_str(), shared.c_str(), nullptr)) << name;
    }
    boxes.clear();
    InstallHere(kSource, kTarget, &boxes, false, IDYES);
    EXPECT_EQ(ReadTextFile(shared), "the user's file");
    EXPECT_NE(boxes.find("Not all files have been copied. Continue setup?"), std::string::npos) << boxes;
    EXPECT_NE(boxes.find("could not be checked or changed safely:\r\n" + menu + "\\Zevrin.lnk\r\n"), std::string::npos) << boxes;
}

namespace {

Swap* atSave;    // when a link is about to be made
Swap* atDelete;  // when a file in the folder is opened to be deleted, or a deletion is asked for
Swap* atMove;    // when a file is moved
ImportPatch *createPatch, *openPatch, *lookupPatch, *shellPatch;

HRESULT WINAPI SwapThenCreate(REFCLSID id, LPUNKNOWN outer, DWORD context, REFIID wanted, LPVOID* object)
{
    if (atSave) atSave->Try();
    return createPatch->Original<decltype(&CoCreateInstance)>()(id, outer, context, wanted, object);
}

HANDLE WINAPI SwapThenOpen(LPCSTR path, DWORD access, DWORD sharing, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                           DWORD flags, HANDLE model)
{
    Swap* current = atDelete ? atDelete->Current() : nullptr;
    const std::string inside = current ? current->folder + "\\" : "";
    if (current && (access & DELETE) && strlen(path) > inside.size() && _strnicmp(path, inside.c_str(), inside.size()) == 0)
        current->Try();
    return openPatch->Original<decltype(&CreateFileA)>()(path, access, sharing, security, disposition, flags, model);
}

// A file in a held folder is opened through NtCreateFile (a folder, which a hold opens, is not
// a moment) and deleted or moved through NtSetInformationFile (the classic delete, which Wine
// takes after refusing the POSIX one, or a rename), each looked up as it is called.
typedef LONG(WINAPI* CreateFunction)(HANDLE*, ACCESS_MASK, void*, void*, void*, ULONG, ULONG, ULONG, ULONG options, void*, ULONG);
typedef LONG(WINAPI* SetFunction)(HANDLE, void* status, void* information, ULONG length, int kind);
CreateFunction realCreate;
SetFunction realSet;

LONG WINAPI SwapThenCreateFile(HANDLE* handle, ACCESS_MASK access, void* object, void* status, void* size, ULONG attributes,
                               ULONG sharing, ULONG disposition, ULONG options, void* extended, ULONG extendedLength)
{
    if (atDelete && (options & 0x40 /* FILE_NON_DIRECTORY_FILE */)) atDelete->Try();
    return realCreate(handle, access, object, status, size, attributes, sharing, disposition, options, extended, extendedLength);
}

LONG WINAPI SwapThenSet(HANDLE handle, void* status, void* information, ULONG length, int kind)
{
    const int kRename = 10, kDisposition = 13;
    if (atDelete && (kind == kRename || kind == kDisposition)) atDelete->Try();
    if (atMove && kind == kRename) atMove->Try();
    return realSet(handle, status, information, length, kind);
}

FARPROC WINAPI SwapThenLookUp(HMODULE module, LPCSTR name)
{
    if (HIWORD(name) && strcmp(name, "NtCreateFile") == 0)
        return LookUpSwapped<CreateFunction>(*lookupPatch, module, name, "NtCreateFile", realCreate, SwapThenCreateFile);
    return LookUpSwapped<SetFunction>(*lookupPatch, module, name, "NtSetInformationFile", realSet, SwapThenSet);
}

int WINAPI SwapThenOperate(LPSHFILEOPSTRUCTA operation)
{
    if (atMove && operation->wFunc == FO_MOVE) atMove->Try();
    return shellPatch->Original<decltype(&SHFileOperationA)>()(operation);
}

}  // namespace

// Each act setup takes in a folder another process may write (a link saved or deleted, the Start
// Menu folder removed, a file moved into Backup, the obsolete file deleted) meets that folder
// swapped for a link at that very moment: the folder is held, the rename fails, and nothing
// where the link would point changes. The control: unheld, the same rename goes through, and a
// delete by path then takes a file of the user's elsewhere.
TEST_F(EndToEnd, AFolderSwappedForALinkAsSetupActsChangesNothingElsewhere)
{
    const std::string elsewhere = kRoot + "\\elsewhere", menu = programs_ + "\\Zevrin 2";
    // What a swap that went through would leave, from an earlier run too.
    struct MovedRemover {
        std::string folder;
        ~MovedRemover() { RemoveTree(folder); }
    } removeMoved{menu + " moved"};
    RemoveTree(menu + " moved");
    MakeFolder(elsewhere);
    for (const char* name : {"Zevrin.lnk", "Help.lnk", "Uninstall.lnk", "System.zvl", "type cat file.txt"})
        WriteTextFile(elsewhere + "\\" + name, "the user's");
    WriteTextFile(kSource + "\\" + names::kObsoleteSourceFile, "obsolete");
    const auto before = ReadTree(elsewhere);
    LinkRemover removeMenu{menu}, removeBackup{kTarget + "\\Backup"}, removeSource{kSource};
    ImportPatch create("ole32.dll", "CoCreateInstance", reinterpret_cast<void*>(SwapThenCreate));
    ImportPatch open("kernel32.dll", "CreateFileA", reinterpret_cast<void*>(SwapThenOpen));
    ImportPatch lookup("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(SwapThenLookUp));
    ImportPatch shell("shell32.dll", "SHFileOperationA", reinterpret_cast<void*>(SwapThenOperate));
    createPatch = &create, openPatch = &open, lookupPatch = &lookup, shellPatch = &shell;

    // Three links saved in the Start Menu folder, then one in the StartUp folder; the obsolete
    // file opened and deleted; three links deleted and the folder removed, then the StartUp link
    // opened and deleted.
    Swap saves{menu, elsewhere, 3}, startupSave{startup_, elsewhere, 1}, obsolete{kSource, elsewhere, 2};
    saves.next = &startupSave;
    atSave = &saves, atDelete = &obsolete;
    EXPECT_TRUE(InstallHere(kSource, kTarget));
    Swap deletes{menu, elsewhere, 7}, startupDelete{startup_, elsewhere, 2};
    deletes.next = &startupDelete;
    atSave = nullptr, atDelete = &deletes;
    UninstallHere(kTarget);
    EXPECT_FALSE(FolderExists(menu)) << "removed once empty";
    WriteTextFile(kTarget + "\\System.zvl", "; my own system macros\n", 130000000000000000ULL);
    Swap moves{kTarget + "\\Backup", elsewhere, 1};
    atDelete = nullptr, atMove = &moves;
    std::string boxes;
    InstallHere(kSource, kTarget, &boxes);
    atMove = nullptr;
    for (const Swap* swap : {&saves, &startupSave, &obsolete, &deletes, &startupDelete, &moves}) {
        EXPECT_EQ(swap->tries, swap->acts) << swap->folder;
        EXPECT_EQ(swap->done, 0) << swap->folder << " renamed while setup acted in it";
    }
    EXPECT_EQ(ReadTree(elsewhere), before);
    EXPECT_EQ(ReadTextFile(kTarget + "\\Backup\\System.zvl"), "; my own system macros\n") << boxes;

    // The folder above "Zevrin 2" and StartUp swapped for a link to a copy of that tree as the
    // first link is saved, and as the first is deleted. Wine lets a folder move while one inside
    // it is held (Windows refuses), so the acts after the swap meet it: each lands in the folder
    // held or is refused and told. StartUp, held after the swap, is reached through the link as
    // through a junction of the machine's own: its link is saved there, and deleted there.
    const std::string above = kRoot + "\\above", aboveLink = above + "\\StartUp\\Zevrin.lnk";
    for (const char* folder : {"\\Zevrin 2", "\\StartUp"}) MakeFolder(above + folder);
    WriteTextFile(above + "\\Zevrin 2\\Help.lnk", "the user's");
    WriteTextFile(aboveLink, "the user's");
    const auto aboveBefore = ReadTree(above + "\\Zevrin 2");
    for (Swap** moment : {&atSave, &atDelete}) {
        Swap programs{programs_, above, 1};
        *moment = &programs;
        boxes.clear();
        if (moment == &atSave) EXPECT_TRUE(InstallHere(kSource, kTarget, &boxes));
        else UninstallHere(kTarget, &boxes);
        *moment = nullptr;
        EXPECT_EQ(programs.done, 1) << "the folder above was swapped";
        // Wine names a file opened in the moved folder by the path as it leads now: refused.
        if (moment == &atSave) {
            EXPECT_NE(boxes.find(menu + "\\Zevrin.lnk"), std::string::npos) << boxes;
            EXPECT_NE(ReadTextFile(aboveLink), "the user's") << "StartUp's link saved through the link above";
        }
        EXPECT_EQ(boxes.find(startup_), std::string::npos) << boxes;
    }
    EXPECT_EQ(ReadTree(above + "\\Zevrin 2"), aboveBefore);
    EXPECT_FALSE(FileExists(aboveLink)) << "StartUp's link deleted through the link above";

    // The control: unheld, a folder is swapped, and a delete by path goes through the link.
    const std::string folder = kRoot + "\\unheld";
    MakeFolder(folder);
    Swap unheld{folder, elsewhere, 1};
    unheld.Try();
    EXPECT_EQ(unheld.done, 1);
    DeleteFileA((folder + "\\Help.lnk").c_str());
    EXPECT_FALSE(FileExists(elsewhere + "\\Help.lnk")) << "deleted through the link";
}

// Each Windows family its own way: NT 4 copies rows 2 and 3 and keeps every rule through checked
// handles; 95, 98 and Me, which open no handle on a folder and have no ntdll, act by path; NT
// reporting 98, as its compatibility mode does, keeps NT's rules; all install, put the user's
// changed list into Backup, drop the media's read-only mark, delete the obsolete file and
// remove links and folder again. Where NT lacks the call that deletes through a handle, nothing
// is deleted by path instead, and the user is told what was left.
TEST_F(EndToEnd, EveryWindowsFamilyInstallsAndUninstalls)
{
    const std::string menu = programs_ + "\\Zevrin 2", obsolete = kSource + "\\" + names::kObsoleteSourceFile;
    const struct {
        const char* name;
        DWORD platform, major, minor;
        bool onNt;
    } families[] = {{"NT 4.0", VER_PLATFORM_WIN32_NT, 4, 0, true},
                    {"98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, false},
                    {"98 reported on NT", VER_PLATFORM_WIN32_WINDOWS, 4, 10, true}};
    for (const auto& family : families) {
        SCOPED_TRACE(family.name);
        RemoveTree(kTarget);
        WriteTextFile(obsolete, "obsolete");
        SetFileAttributesA((kSource + "\\license.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        std::string boxes;
        {
            OlderWindows windows(family.platform, family.major, family.minor, {}, family.onNt);
            ASSERT_TRUE(windows.Active());
            // Every act by path in a folder setup holds. The shell's own operations go by path by
            // design, inside shell32, and are not seen here: the copies into the destination
            // (held only for the moves into and out of Backup, so only Backup is watched there)
            // and the Recycle Bin delete of the old StartUp link.
            ActsByPath acts({menu, startup_, kTarget + "\\Backup", kSource});
            EXPECT_TRUE(InstallHere(kSource, kTarget, &boxes)) << boxes;
            EXPECT_FALSE(ReadOnly(kTarget + "\\license.txt")) << "the media's mark";
            WriteTextFile(kTarget + "\\System.zvl", "; my own system macros\n", 130000000000000000ULL);
            EXPECT_TRUE(InstallHere(kSource, kTarget, &boxes)) << boxes;
            UninstallHere(kTarget, &boxes);
            EXPECT_EQ(acts.acts.empty(), family.onNt) << acts.acts;
        }
        SetFileAttributesA((kSource + "\\license.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
        const bool nt4 = family.platform == VER_PLATFORM_WIN32_NT;
        EXPECT_EQ(FileExists(kTarget + "\\pdh.dll"), nt4);
        EXPECT_EQ(FileExists(kTarget + "\\psapi.dll"), nt4);
        EXPECT_EQ(ReadTextFile(kTarget + "\\Backup\\System.zvl"), "; my own system macros\n");
        EXPECT_FALSE(FileExists(obsolete));
        EXPECT_FALSE(FolderExists(menu)) << "the links and their folder removed";
        EXPECT_FALSE(FileExists(startup_ + "\\Zevrin.lnk"));
        EXPECT_EQ(boxes.find("were left as they are"), std::string::npos) << boxes;
    }

    ASSERT_TRUE(InstallHere(kSource, kTarget));
    std::string boxes;
    {
        OlderWindows windows(VER_PLATFORM_WIN32_NT, 5, 1, {"NtSetInformationFile"});
        UninstallHere(kTarget, &boxes);
    }
    EXPECT_TRUE(FileExists(menu + "\\Zevrin.lnk"));
    EXPECT_TRUE(FileExists(startup_ + "\\Zevrin.lnk"));
    EXPECT_NE(boxes.find("Following folders and shortcuts were left as they are, because they could not be checked or "
                         "changed safely:\r\n" +
                         menu + "\\Zevrin.lnk\r\n" + menu + "\\Help.lnk\r\n" + menu + "\\Uninstall.lnk\r\n" + startup_ +
                         "\\Zevrin.lnk\r\n"),
              std::string::npos)
        << boxes;
}

// A junction swapped in above the Start Menu folder between the opens of its parent and of the
// folder itself: the folder resolves one level off, and its hold is refused whatever its path
// says; the StartUp folder, named as it is, still gets its link. And a link's own file resolving
// one level off: made, refused and removed again, in either folder.
TEST_F(EndToEnd, AFolderResolvedElsewhereThanInItsParentIsNotHeld)
{
    const std::string menu = programs_ + "\\Zevrin 2", startupLink = startup_ + "\\Zevrin.lnk";
    const struct {
        const char* offName;
        std::string left;
        bool startupLinkMade;
    } cases[] = {{"Zevrin 2", menu, true}, {"Zevrin.lnk", startupLink, false}};
    for (const auto& c : cases) {
        RemoveTree(menu);
        DeleteFileA(startupLink.c_str());
        std::string boxes;
        {
            NamesOneLevelOff names(c.offName);
            EXPECT_TRUE(InstallHere(kSource, kTarget, &boxes)) << boxes;
            EXPECT_GT(names.asked, 0);
        }
        EXPECT_FALSE(FileExists(menu + "\\Zevrin.lnk")) << c.offName;
        EXPECT_NE(boxes.find("could not be checked or changed safely:\r\n"), std::string::npos) << boxes;
        EXPECT_NE(boxes.find(c.left + "\r\n"), std::string::npos) << boxes;
        EXPECT_EQ(FileExists(startupLink), c.startupLinkMade) << c.offName;
    }
}

// What another process may have open while setup uninstalls: a link (an indexer, a virus
// scanner) does not keep the emptied folder, whose link goes at once where Windows has POSIX
// deletes; the Start Menu folder itself, opened without delete sharing, cannot be held to be
// removed, and the user is told while the registry entries still go.
TEST_F(EndToEnd, AnUninstallMeetsItsFoldersAndLinksOpenElsewhere)
{
    const std::string menu = programs_ + "\\Zevrin 2";
    ASSERT_TRUE(InstallHere(kSource, kTarget));
    std::string boxes;
    {
        PosixDeletes deletes(kRoot + "\\deleted");
        HANDLE link = CreateFileA((menu + "\\Help.lnk").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(link, INVALID_HANDLE_VALUE);
        UninstallHere(kTarget, &boxes);
        CloseHandle(link);
        EXPECT_EQ(deletes.asked, 5) << "three links, their folder and the StartUp link";
    }
    EXPECT_FALSE(FolderExists(menu)) << boxes;
    EXPECT_EQ(boxes.find("were left as they are"), std::string::npos) << boxes;

    ASSERT_TRUE(InstallHere(kSource, kTarget));
    ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, names::kUninstallKey));
    boxes.clear();
    {
        HANDLE folder = CreateFileA(menu.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        ASSERT_NE(folder, INVALID_HANDLE_VALUE);
        UninstallHere(kTarget, &boxes);
        CloseHandle(folder);
    }
    EXPECT_NE(boxes.find("were left as they are, because they could not be checked or changed safely:\r\n" + menu + "\r\n"),
              std::string::npos)
        << boxes;
    EXPECT_TRUE(FileExists(menu + "\\Zevrin.lnk"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, names::kUninstallKey));
}

// Destinations a careless rule would refuse: the source folder's parent, whose path the source's
// starts with, and a folder where a run that was ended left its write probe; and one that a
// comparison of texts would let through: a link to the source folder.
TEST_F(EndToEnd, DestinationsBesideTheSourceOrWithALeftProbeInstall)
{
    const struct {
        const char* what;
        std::string folder;
        bool probeLeft;
    } rows[] = {{"the source folder's parent", kRoot, false}, {"a probe left by an ended run", kTarget, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        MakeFolder(row.folder);
        if (row.probeLeft) WriteTextFile(row.folder + "\\~zvsetup.tmp", "");
        std::string boxes;
        EXPECT_TRUE(InstallHere(kSource, row.folder, &boxes)) << boxes;
        EXPECT_TRUE(FileExists(row.folder + "\\zv.exe"));
    }
    // And one it must refuse: the source folder under another name, a link to it.
    const std::string link = kRoot + "\\link to the source";
    LinkRemover removeLink{link};
    if (!PlantLink(kSource, link)) GTEST_SKIP() << "no symbolic link can be made here";
    const Outcome refused = Install(link);
    ASSERT_EQ(refused.boxes.size(), 1u) << BoxTexts(refused.boxes);
    EXPECT_EQ(refused.boxes[0].text.find("Source and destination directories must be different."), 0u);
}

namespace {

// Where setup's token is elevated, what it starts for the user goes to the shell's own process:
// the texts it hands over there as BSTRs are recorded, each followed by "|", and so is what it
// gives ShellExecuteA ("file|arguments|folder|verb|"), which starts nothing here. While a Launches lives, the token
// reports `elevated`, and with `roadFails` the desktop's shell windows cannot be had.
struct Launches {
    Launches(DWORD elevated, bool roadFails);
    DWORD elevated;
    bool roadFails;
    std::string road, direct;
    ImportPatch token, create, texts, open;
} * launches;

BOOL WINAPI ReportElevation(HANDLE token, TOKEN_INFORMATION_CLASS kind, void* out, DWORD size, DWORD* needed)
{
    if (kind != 20 /* TokenElevation */ || size < sizeof(DWORD))
        return launches->token.Original<decltype(&GetTokenInformation)>()(token, kind, out, size, needed);
    *static_cast<DWORD*>(out) = launches->elevated;
    return TRUE;
}

HRESULT WINAPI CreateUnlessShellWindows(REFCLSID id, LPUNKNOWN outer, DWORD context, REFIID wanted, LPVOID* object)
{
    if (IsEqualCLSID(id, CLSID_ShellWindows) && launches->roadFails) return REGDB_E_CLASSNOTREG;
    return launches->create.Original<decltype(&CoCreateInstance)>()(id, outer, context, wanted, object);
}

BSTR WINAPI RecordText(const OLECHAR* text)
{
    char narrow[MAX_PATH * 2] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    launches->road += std::string(narrow) + "|";
    return launches->texts.Original<decltype(&SysAllocString)>()(text);
}

HINSTANCE WINAPI RecordDirect(HWND, LPCSTR verb, LPCSTR file, LPCSTR arguments, LPCSTR folder, INT)
{
    for (const char* text : {file, arguments, folder, verb}) launches->direct += std::string(text ? text : "") + "|";
    return reinterpret_cast<HINSTANCE>(33);
}

Launches::Launches(DWORD elevated, bool roadFails)
    : elevated(elevated), roadFails(roadFails), token("advapi32.dll", "GetTokenInformation", reinterpret_cast<void*>(ReportElevation)),
      create("ole32.dll", "CoCreateInstance", reinterpret_cast<void*>(CreateUnlessShellWindows)),
      texts("oleaut32.dll", "SysAllocString", reinterpret_cast<void*>(RecordText)),
      open("shell32.dll", "ShellExecuteA", reinterpret_cast<void*>(RecordDirect))
{
    launches = this;
}

// Waits for a window the shell opened, and closes it: a program left running would keep the
// test runner's output open.
void CloseWhenShown(const char* windowClass, const char* title)
{
    HWND window = nullptr;
    WaitUntil([&] { return (window = FindWindowA(windowClass, title)) != nullptr; }, 30000);
    EXPECT_NE(window, nullptr) << windowClass << " " << (title ? title : "");
    if (!window) return;
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 30000)) << windowClass << " still open";
}

}  // namespace

// The product at the end of an install, the License and ReadMe buttons and the closing
// question's Explore: through the shell's own process where setup is elevated (and, under Wine,
// really started there), as ShellExecuteA always did where it is not or that road fails.
TEST_F(EndToEnd, WhatSetupStartsRunsWithTheUsersRights)
{
    WriteTextFile(kSource + "\\readme.txt", "read me");
    // So that the shell has a program to open the texts with, as every Windows does.
    SavedValue textFiles(HKEY_CLASSES_ROOT, ".txt", "");
    SetString(HKEY_CLASSES_ROOT, ".txt", "", "txtfile");
    const std::string source = kSource + "\\", target = kTarget + "\\";
    const std::string road = target + "zv.exe|V|" + target + "|" + source + "license.txt|" + source + "readme.txt|" + target +
                             "|Explore|";
    const std::string direct = target + "zv.exe|V|" + target + "||license.txt||||readme.txt||||" + target + "|||Explore|";
    const struct {
        DWORD elevated;
        bool roadFails;
    } rows[] = {{1, false}, {1, true}, {0, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "elevated " << row.elevated << ", road fails " << row.roadFails);
        const bool throughShell = row.elevated && !row.roadFails;
        std::string boxes;
        {
            Launches started(row.elevated, row.roadFails);
            ASSERT_TRUE(started.token.Active() && started.create.Active() && started.texts.Active() && started.open.Active());
            ASSERT_TRUE(InstallHere(kSource, kTarget, &boxes, true)) << boxes;
            if (throughShell) {
                CloseWhenShown(names::kProductWindowClass, nullptr);
                EXPECT_NE(ReadTextFile(kTarget + "\\zv-standin.log").find("start V"), std::string::npos);
            }
            CloseProductStandIn();
            HWND dialog = CreateDialogIndirectParamA(ModuleInstance, static_cast<const DLGTEMPLATE*>(SetupDialogTemplate(IDD_INSTALL)),
                                                     nullptr, InstallDialogProc, 0);
            ASSERT_NE(dialog, nullptr);
            SourceFolder.AssignText(source.c_str());
            char previous[MAX_PATH];
            GetCurrentDirectoryA(MAX_PATH, previous);
            SetCurrentDirectoryA(source.c_str());
            SendMessageA(dialog, WM_COMMAND, IDC_LICENSE, 0);
            SendMessageA(dialog, WM_COMMAND, IDC_README, 0);
            SetCurrentDirectoryA(previous);
            DestroyWindow(dialog);
            if (throughShell) {
                CloseWhenShown("Notepad", nullptr);
                CloseWhenShown("Notepad", nullptr);
            }
            UninstallHere(kTarget, &boxes, IDYES);
            if (throughShell) CloseWhenShown("ExplorerWClass", "Zevrin 2");
            EXPECT_EQ(started.road, throughShell ? road : "");
            EXPECT_EQ(started.direct, throughShell ? "" : direct);
        }
    }
}
