// The copy policy on real folders: source and destination made by each test, file times set
// with SetFileTime, contents read back byte for byte.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "base/process_win32.h"
#include "install/held_folder.h"
#include "install/install_file.h"
#include "install/shell_ops.h"
#include "tests/buffer_checks.h"
#include "tests/win/file_helpers.h"
#include "tests/win/import_patch.h"
#include "tests/win/process.h"

namespace {

const std::string kRoot = "C:\\zvtests\\copy";
const std::string kSource = kRoot + "\\source";
const std::string kDestination = kRoot + "\\installed";
const ULONGLONG kOld = 130000000000000000ULL;  // 2012
const ULONGLONG kNew = 133000000000000000ULL;  // 2022

int postedSeen;

LRESULT CALLBACK CountPosted(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP) {
        ++postedSeen;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class InstallFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveTree(kRoot);
        MakeFolder(kSource);
        MakeFolder(kDestination);
        SourceFolder.AssignText((kSource + "\\").c_str());
        DestinationFolder.AssignText((kDestination + "\\").c_str());
        ReplacedFiles.Release();
        CopiedAsNewFiles.Release();
        KeptFiles.Release();
        CurrentDialog = MakeStandInDialog("ZvCopyTestDialog", CountPosted);
        postedSeen = 0;
        // Dispatched only if InstallFile's drain step runs.
        PostMessageA(CurrentDialog, WM_APP, 0, 0);
    }
    void TearDown() override
    {
        EXPECT_EQ(dialogs_.Count(), 0) << dialogs_.Texts();
        DestroyWindow(CurrentDialog);
        DiscardMessages();
        RemoveTree(kRoot);
    }

    static std::string Src(const std::string& name) { return kSource + "\\" + name; }
    static std::string Dst(const std::string& name) { return kDestination + "\\" + name; }
    static bool DrainRan() { return postedSeen > 0; }

    UnexpectedDialogs dialogs_;
};

}  // namespace

TEST_F(InstallFileTest, SkipWhenPresentCopiesNothingAndSkipsTheDrain)
{
    WriteTextFile(Src("zvrecwin.txt"), "new", kNew);
    WriteTextFile(Dst("zvrecwin.txt"), "user's own", kOld);
    EXPECT_EQ(InstallFile("zvrecwin.txt", false, false, true), 0);
    EXPECT_EQ(ReadTextFile(Dst("zvrecwin.txt")), "user's own");
    EXPECT_EQ(ReplacedFiles.Length(), 0);
    EXPECT_EQ(CopiedAsNewFiles.Length(), 0);
    EXPECT_FALSE(DrainRan());

    // Missing: copied.
    WriteTextFile(Src("pdh.dll"), "library", kNew);
    EXPECT_EQ(InstallFile("pdh.dll", false, false, true), 0);
    EXPECT_EQ(ReadTextFile(Dst("pdh.dll")), "library");
    EXPECT_TRUE(DrainRan());
}

TEST_F(InstallFileTest, BackupOldWithEqualTimeAndSizeDoesNothing)
{
    WriteTextFile(Src("System.zvl"), "AAAA", kNew);
    WriteTextFile(Dst("System.zvl"), "BBBB", kNew);  // other bytes, same size and time
    EXPECT_EQ(InstallFile("System.zvl", true, false, false), 0);
    EXPECT_EQ(ReadTextFile(Dst("System.zvl")), "BBBB");
    EXPECT_FALSE(FolderExists(Dst("Backup")));
    EXPECT_EQ(ReplacedFiles.Length(), 0);
    EXPECT_FALSE(DrainRan());
}

TEST_F(InstallFileTest, BackupOldMovesADifferingFileIntoANewBackupFolder)
{
    WriteTextFile(Src("System.zvl"), "shipped macros", kNew);
    WriteTextFile(Dst("System.zvl"), "user's macros", kOld);
    EXPECT_EQ(InstallFile("System.zvl", true, false, false), 0);
    EXPECT_EQ(ReadTextFile(Dst("System.zvl")), "shipped macros");
    EXPECT_EQ(ReadTextFile(Dst("Backup\\System.zvl")), "user's macros");
    EXPECT_EQ(Bytes(ReplacedFiles), "System.zvl\r\n");
    EXPECT_TRUE(DrainRan());

    WriteTextFile(Src("Samples2.zvl"), "samples", kNew);
    WriteTextFile(Dst("Samples2.zvl"), "old samples", kOld);
    EXPECT_EQ(InstallFile("Samples2.zvl", true, false, false), 0);
    EXPECT_EQ(Bytes(ReplacedFiles), "System.zvl\r\nSamples2.zvl\r\n");
}

TEST_F(InstallFileTest, AnEarlierBackupOfTheSameNameSurvives)
{
    MakeFolder(Dst("Backup"));
    WriteTextFile(Dst("Backup\\System.zvl"), "first backup", kOld - 1000);
    WriteTextFile(Src("System.zvl"), "release 3", kNew);
    WriteTextFile(Dst("System.zvl"), "release 2, edited", kOld);
    EXPECT_EQ(InstallFile("System.zvl", true, false, false), 0);
    EXPECT_EQ(ReadTextFile(Dst("Backup\\System.zvl")), "first backup");
    EXPECT_EQ(ReadTextFile(Dst("Backup\\Copy of System.zvl")), "release 2, edited");
    EXPECT_EQ(ReadTextFile(Dst("System.zvl")), "release 3");

    // And a third time: the next free name.
    WriteTextFile(Dst("System.zvl"), "release 3, edited", kOld);
    EXPECT_EQ(InstallFile("System.zvl", true, false, false), 0);
    EXPECT_EQ(ReadTextFile(Dst("Backup\\Copy (2) of System.zvl")), "release 3, edited");
    EXPECT_EQ(ReadTextFile(Dst("Backup\\Copy of System.zvl")), "release 2, edited");
}

TEST_F(InstallFileTest, CopyAsNewKeepsTheInstalledFileAndPutsTheNewOneBeside)
{
    WriteTextFile(Src("List.zvl"), "shipped list", kNew);
    WriteTextFile(Dst("List.zvl"), "user's list", kOld);
    EXPECT_EQ(InstallFile("List.zvl", false, true, false), 0);
    EXPECT_EQ(ReadTextFile(Dst("List.zvl")), "user's list");
    EXPECT_EQ(ReadTextFile(Dst("Copy of List.zvl")), "shipped list");
    EXPECT_EQ(Bytes(CopiedAsNewFiles), "List.zvl\r\n");
    EXPECT_EQ(ReplacedFiles.Length(), 0);

    // A second install beside both: the next free name, nothing overwritten.
    EXPECT_EQ(InstallFile("List.zvl", false, true, false), 0);
    EXPECT_EQ(ReadTextFile(Dst("List.zvl")), "user's list");
    EXPECT_EQ(ReadTextFile(Dst("Copy (2) of List.zvl")), "shipped list");

    // Same time and size: nothing at all.
    WriteTextFile(Dst("List.zvl"), "user's lis_", kNew);
    WriteTextFile(Src("List.zvl"), "shipped lis", kNew);
    EXPECT_EQ(InstallFile("List.zvl", false, true, false), 0);
    EXPECT_FALSE(FileExists(Dst("Copy (3) of List.zvl")));
}

TEST_F(InstallFileTest, EitherPolicyWithNothingInstalledIsAPlainCopy)
{
    WriteTextFile(Src("List.zvl"), "list", kNew);
    WriteTextFile(Src("System.zvl"), "system", kNew);
    EXPECT_EQ(InstallFile("List.zvl", false, true, false), 0);
    EXPECT_EQ(InstallFile("System.zvl", true, false, false), 0);
    EXPECT_EQ(ReadTextFile(Dst("List.zvl")), "list");
    EXPECT_EQ(ReadTextFile(Dst("System.zvl")), "system");
    EXPECT_EQ(ReplacedFiles.Length(), 0);
    EXPECT_EQ(CopiedAsNewFiles.Length(), 0);
    EXPECT_FALSE(FolderExists(Dst("Backup")));
}

TEST_F(InstallFileTest, WildcardCopiesEveryMatchAndOverwrites)
{
    WriteTextFile(Src("zv.ico"), "icon 1 new", kNew);
    WriteTextFile(Src("macro.ico"), "icon 2", kNew);
    WriteTextFile(Src("readme.txt"), "not an icon", kNew);
    WriteTextFile(Dst("zv.ico"), "icon 1 old", kOld);
    EXPECT_EQ(InstallFile("*.ico", false, false, false), 0);
    EXPECT_EQ(ReadTextFile(Dst("zv.ico")), "icon 1 new");
    EXPECT_EQ(ReadTextFile(Dst("macro.ico")), "icon 2");
    EXPECT_FALSE(FileExists(Dst("readme.txt")));
}

namespace {

// Stands in for the shell when a move must fail: either reporting an error, or reporting
// success while leaving the file where it was (as Wine's shell can do on silent failures).
ImportPatch* shellPatch;
int moveAnswer;

int copyAnswer;

int WINAPI FailingMove(LPSHFILEOPSTRUCTA operation)
{
    if (operation->wFunc == FO_MOVE) return moveAnswer;
    if (operation->wFunc == FO_COPY && copyAnswer) return copyAnswer;
    return shellPatch->Original<decltype(&SHFileOperationA)>()(operation);
}

}  // namespace

TEST_F(InstallFileTest, AFailedBackupMoveLeavesTheUsersFileAlone)
{
    // Backup exists as a file: the move would overwrite it.
    WriteTextFile(Dst("Backup"), "a file in the way", kOld);
    WriteTextFile(Src("System.zvl"), "shipped", kNew);
    WriteTextFile(Dst("System.zvl"), "user's work", kOld);
    EXPECT_EQ(InstallFile("System.zvl", true, false, false), kInstallBackupFailed);
    EXPECT_EQ(ReadTextFile(Dst("System.zvl")), "user's work");
    EXPECT_EQ(ReadTextFile(Dst("Backup")), "a file in the way");
    EXPECT_EQ(ReplacedFiles.Length(), 0);
    EXPECT_EQ(Bytes(KeptFiles), "System.zvl\r\n");
    DeleteFileA(Dst("Backup").c_str());

    // The user's file open elsewhere without delete sharing: its move through a handle is
    // refused. On 98 the shell moves it, failing, or reporting success with the file unmoved.
    {
        const HANDLE open = CreateFileA(Dst("System.zvl").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(InstallFile("System.zvl", true, false, false), kInstallBackupFailed);
        CloseHandle(open);
    }
    ImportPatch patch("shell32.dll", "SHFileOperationA", reinterpret_cast<void*>(FailingMove));
    ASSERT_TRUE(patch.Active());
    shellPatch = &patch;
    for (int answer : {static_cast<int>(ERROR_SHARING_VIOLATION), 0}) {
        moveAnswer = answer;
        OlderWindows windows(VER_PLATFORM_WIN32_WINDOWS, 4, 10);
        const int result = InstallFile("System.zvl", true, false, false);
        EXPECT_NE(result, 0) << "shell answered " << answer;
        EXPECT_EQ(ReadTextFile(Dst("System.zvl")), "user's work");
        EXPECT_EQ(ReplacedFiles.Length(), 0);
    }
    EXPECT_EQ(Bytes(KeptFiles), "System.zvl\r\nSystem.zvl\r\nSystem.zvl\r\nSystem.zvl\r\n");

    // A copy beside the user's file that fails is not listed as made.
    WriteTextFile(Src("List.zvl"), "shipped list", kNew);
    WriteTextFile(Dst("List.zvl"), "user's list", kOld);
    copyAnswer = ERROR_ACCESS_DENIED;
    EXPECT_NE(InstallFile("List.zvl", false, true, false), 0);
    copyAnswer = 0;
    EXPECT_EQ(CopiedAsNewFiles.Length(), 0);
}

// Links to files, as Windows marks them (Wine shows them as plain files, so the mark is
// reported by the patched system calls): nothing is copied onto one, by a single row or a
// wildcard row; and a link planted once the copy is done keeps the attributes of the user's
// file it points to.
namespace {

ReparseMarks* planted;
std::string plantAt;

int WINAPI CopyThenPlant(LPSHFILEOPSTRUCTA operation)
{
    const int result = shellPatch->Original<decltype(&SHFileOperationA)>()(operation);
    planted->Add(plantAt);
    return result;
}

}  // namespace

TEST_F(InstallFileTest, NothingIsWrittenThroughALinkToAFile)
{
    WriteTextFile(Src("license.txt"), "shipped", kNew);
    WriteTextFile(Dst("license.txt"), "the user's file it points to", kOld);
    WriteTextFile(Src("zv.ico"), "icon", kNew);
    WriteTextFile(Src("macro.ico"), "icon", kNew);
    WriteTextFile(Dst("zv.ico"), "the user's file it points to", kOld);
    SetFileAttributesA(Src("zv.ico").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(Src("macro.ico").c_str(), FILE_ATTRIBUTE_READONLY);
    {
        ReparseMarks links({Dst("license.txt"), Dst("zv.ico")});
        EXPECT_EQ(InstallFile("license.txt", false, false, false), kInstallLinkInWay);
        EXPECT_EQ(InstallFile("*.ico", false, false, false), kInstallLinkInWay);
    }
    EXPECT_EQ(ReadTextFile(Dst("license.txt")), "the user's file it points to");
    EXPECT_EQ(ReadTextFile(Dst("zv.ico")), "the user's file it points to");

    DeleteFileA(Dst("zv.ico").c_str());
    ReparseMarks links({});
    ImportPatch patch("shell32.dll", "SHFileOperationA", reinterpret_cast<void*>(CopyThenPlant));
    shellPatch = &patch;
    planted = &links;
    plantAt = Dst("zv.ico");
    EXPECT_EQ(InstallFile("*.ico", false, false, false), 0);
    EXPECT_NE(GetFileAttributesA(Dst("zv.ico").c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << "the user's mark";
    EXPECT_EQ(GetFileAttributesA(Dst("macro.ico").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    for (const std::string& icon : {Src("zv.ico"), Src("macro.ico"), Dst("zv.ico")})
        SetFileAttributesA(icon.c_str(), FILE_ATTRIBUTE_NORMAL);
}

namespace {

// Another process's write into the source file once it has been checked, just before the copy.
std::string writeInto;
bool overwritten;

int WINAPI WriteThenCopy(LPSHFILEOPSTRUCTA operation)
{
    HANDLE file = CreateFileA(writeInto.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    overwritten = file != INVALID_HANDLE_VALUE;
    DWORD written;
    if (overwritten) WriteFile(file, "EVIL", 4, &written, nullptr), CloseHandle(file);
    return shellPatch->Original<decltype(&SHFileOperationA)>()(operation);
}

}  // namespace

// A program bound to its files installs only the bytes its table names, read through the
// handle that checked them; what fails changes nothing of the user's and is listed.
TEST_F(InstallFileTest, ABoundProgramInstallsOnlyTheBytesItNames)
{
    WriteTextFile(Src("zv.exe"), "the product", kNew);
    {
        // A digest that differs from the file's in its last byte alone.
        BoundPayload lastByteOff(kSource, {"zv.exe"}, "zv.exe");
        EXPECT_EQ(InstallFile("zv.exe", false, false, false), kInstallDamaged);
        EXPECT_FALSE(FileExists(Dst("zv.exe")));
        DamagedFiles.Release();
    }
    WriteTextFile(Src("System.zvl"), "shipped macros", kNew);
    WriteTextFile(Src("license.txt"), "the whole license", kNew);
    WriteTextFile(Src("zv.ico"), "icon", kNew);
    WriteTextFile(Src("zvcl.exe"), "not named", kNew);
    // A whole number of the blocks it is read in, then more after it.
    const std::string blocks(32768, 'x');
    WriteTextFile(Src("zvhook20.dll"), blocks, kNew);
    BoundPayload bound(kSource, {"zv.exe", "System.zvl", "license.txt", "zv.ico", "zvhook20.dll"});
    WriteTextFile(Src("zvhook20.dll"), blocks + "more", kNew);
    WriteTextFile(Src("extra.ico"), "an icon it does not name", kNew);
    WriteTextFile(Src("System.zvl"), "shipped macroS", kNew);
    WriteTextFile(Src("license.txt"), "the whole", kNew);
    WriteTextFile(Dst("System.zvl"), "user's work", kOld);

    EXPECT_EQ(InstallFile("zv.exe", false, false, false), 0);
    EXPECT_EQ(ReadTextFile(Dst("zv.exe")), "the product");
    EXPECT_EQ(InstallFile("System.zvl", true, false, false), kInstallDamaged);
    EXPECT_EQ(InstallFile("license.txt", false, false, false), kInstallDamaged);
    EXPECT_EQ(InstallFile("zvcl.exe", false, false, false), kInstallDamaged);
    EXPECT_EQ(InstallFile("zvhook20.dll", false, false, false), kInstallDamaged);
    EXPECT_EQ(InstallFile("*.ico", false, false, false), 0);
    EXPECT_EQ(ReadTextFile(Dst("System.zvl")), "user's work");
    EXPECT_FALSE(FolderExists(Dst("Backup")));
    for (const char* name : {"license.txt", "zvcl.exe", "zvhook20.dll", "extra.ico"}) EXPECT_FALSE(FileExists(Dst(name))) << name;
    EXPECT_EQ(ReadTextFile(Dst("zv.ico")), "icon");
    EXPECT_EQ(Bytes(DamagedFiles), "System.zvl\r\nlicense.txt\r\nzvcl.exe\r\nzvhook20.dll\r\n");
    EXPECT_EQ(ReplacedFiles.Length() + KeptFiles.Length(), 0);
    DamagedFiles.Release();

    // Written into after the check: the copy still reads what was checked.
    ImportPatch patch("shell32.dll", "SHFileOperationA", reinterpret_cast<void*>(WriteThenCopy));
    shellPatch = &patch;
    writeInto = Src("zv.exe");
    DeleteFileA(Dst("zv.exe").c_str());
    EXPECT_EQ(InstallFile("zv.exe", false, false, false), 0);
    EXPECT_FALSE(overwritten) << "the checked file was written to";
    EXPECT_EQ(ReadTextFile(Dst("zv.exe")), "the product");

}

TEST_F(InstallFileTest, FileHeldOpenByAnotherProcessIsNeverLost)
{
    WriteTextFile(Src("System.zvl"), "shipped", kNew);
    WriteTextFile(Dst("System.zvl"), "user's work", kOld);
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, "zvdriver.held");
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, "zvdriver.release");
    ChildProcess holder;
    ASSERT_TRUE(holder.Start("\"" DRIVER_EXE "\" hold \"" + Dst("System.zvl") + "\""));
    ASSERT_EQ(WaitForSingleObject(held, 20000), WAIT_OBJECT_0);
    const int result = InstallFile("System.zvl", true, false, false);
    SetEvent(release);
    EXPECT_EQ(holder.WaitExit(20000), 0);
    CloseHandle(held);
    CloseHandle(release);

    const bool moved = FileExists(Dst("Backup\\System.zvl"));
    const bool kept = ReadTextFile(Dst("System.zvl")) == "user's work";
    EXPECT_TRUE(moved || kept) << "the user's file is neither in place nor in Backup";
    if (moved) {
        EXPECT_EQ(ReadTextFile(Dst("Backup\\System.zvl")), "user's work");
        GTEST_SKIP() << "Wine 8 moves a file that another process holds open without sharing (Windows refuses)";
    }
    EXPECT_NE(result, 0);
    EXPECT_EQ(ReplacedFiles.Length(), 0);
}

TEST_F(InstallFileTest, BadNamesAndFilesGiveAResultAndLoseNothing)
{
    for (const char* name : {"Form Notes.txt", "it's & 100% $ave.txt"}) {
        WriteTextFile(Src(name), name, kNew);
        EXPECT_EQ(InstallFile(name, false, false, false), 0) << name;
        EXPECT_EQ(ReadTextFile(Dst(name)), name);
    }

    // A missing source: the copy fails with a result; nothing installed is touched.
    WriteTextFile(Dst("zvcl.exe"), "installed", kOld);
    EXPECT_NE(InstallFile("zvcl.exe", false, false, false), 0);
    EXPECT_EQ(ReadTextFile(Dst("zvcl.exe")), "installed");

    // A read-only installed file is either replaced or reported, never half-written.
    WriteTextFile(Src("typecat.ini"), "new settings", kNew);
    WriteTextFile(Dst("typecat.ini"), "old settings", kOld);
    SetFileAttributesA(Dst("typecat.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    const int result = InstallFile("typecat.ini", false, false, false);
    const std::string after = ReadTextFile(Dst("typecat.ini"));
    EXPECT_TRUE((result == 0 && after == "new settings") || (result != 0 && after == "old settings"))
        << "result " << result << ", file holds " << after;
    SetFileAttributesA(Dst("typecat.ini").c_str(), FILE_ATTRIBUTE_NORMAL);

    // A name at the MAX_PATH limit of the destination.
    const std::string longName(MAX_PATH - 1 - (kDestination.size() + 1), 'n');
    WriteTextFile(Src(longName), "long", kNew);
    EXPECT_EQ(InstallFile(longName.c_str(), false, true, false), 0);
    EXPECT_EQ(ReadTextFile(Dst(longName)), "long");
    WriteTextFile(Src(longName), "longer", kNew + 1);
    // No copy name fits: the installed file is kept and nothing is listed.
    EXPECT_EQ(InstallFile(longName.c_str(), false, true, false), kInstallNoFreeName);
    EXPECT_EQ(ReadTextFile(Dst(longName)), "long");
    EXPECT_EQ(CopiedAsNewFiles.Length(), 0);
}

namespace {

// Puts another folder under the held folder's name by renaming its parent, each time the path
// is opened to compare it with the handle: what Windows refuses while a folder below is open,
// and Wine allows. The parents moved away are numbered.
std::string swapParent, swapFolder;
int swaps;
ImportPatch* openPatch;

HANDLE WINAPI SwapThenOpen(LPCSTR path, DWORD access, DWORD sharing, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                           DWORD flags, HANDLE model)
{
    if (access == FILE_READ_ATTRIBUTES && path == swapFolder &&
        MoveFileA(swapParent.c_str(), (swapParent + " moved " + std::to_string(++swaps)).c_str()))
        MakeFolder(path);
    return openPatch->Original<decltype(&CreateFileA)>()(path, access, sharing, security, disposition, flags, model);
}

// Every second handle's information, the path's own in a hold, reports another volume: the
// same file index on a share or a stick is another folder.
ImportPatch* informationPatch;
int informationCalls;

BOOL WINAPI OtherVolumeEachSecond(HANDLE handle, LPBY_HANDLE_FILE_INFORMATION information)
{
    const BOOL got = informationPatch->Original<decltype(&GetFileInformationByHandle)>()(handle, information);
    if (got && ++informationCalls % 2 == 0) information->dwVolumeSerialNumber ^= 0x5A5A;
    return got;
}

}  // namespace

// Check and act on one object: a held folder is a folder, no link on the path or on its handle,
// still the one its path names, and cannot be renamed; it is removed only when empty. A file
// is deleted through its own handle only when that handle shows a plain file.
TEST(HeldFolder, ChecksWhatItHoldsAndDeletesThroughHandles)
{
    const std::string root = "C:\\zvtests\\held", folder = root + "\\parent\\Zevrin 2", file = folder + "\\a.lnk";
    RemoveTree(root);
    MakeFolder(folder);
    WriteTextFile(file, "a link of ours");
    HeldFolder held;
    TextBuffer path;
    path.AssignText(folder.c_str());
    for (bool onHandlesOnly : {false, true}) {
        ReparseMarks link({folder}, onHandlesOnly);
        EXPECT_FALSE(held.Hold(path)) << (onHandlesOnly ? "marked on the handle" : "marked on the path");
    }
    {
        ImportPatch patch("kernel32.dll", "CreateFileA", reinterpret_cast<void*>(SwapThenOpen));
        openPatch = &patch;
        swapParent = root + "\\parent", swapFolder = folder;
        EXPECT_FALSE(held.Hold(path)) << "another folder under the name";
        EXPECT_EQ(swaps, 3) << "tried three times";
    }
    {
        ImportPatch patch("kernel32.dll", "GetFileInformationByHandle", reinterpret_cast<void*>(OtherVolumeEachSecond));
        informationPatch = &patch;
        informationCalls = 0;
        EXPECT_FALSE(held.Hold(path)) << "the same index on another volume";
        EXPECT_EQ(informationCalls, 6) << "three tries, two handles each";
    }
    EXPECT_TRUE(FolderExists(root + "\\parent moved 1\\Zevrin 2")) << "the swap did not happen";
    RemoveTree(root + "\\parent");
    ASSERT_TRUE(MoveFileA((root + "\\parent moved 1").c_str(), (root + "\\parent").c_str()));

    ASSERT_TRUE(held.Hold(path, true));
    EXPECT_FALSE(MoveFileA(folder.c_str(), (root + "\\renamed").c_str())) << "renamed while held";
    {
        ReparseMarks link({file}, true);
        EXPECT_FALSE(DeleteCheckedFile(file.c_str()));
    }
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(DeleteCheckedFile(folder.c_str())) << "a folder";
    EXPECT_FALSE(held.RemoveIfEmpty());
    EXPECT_TRUE(FolderExists(folder)) << "removed while it held a file";
    EXPECT_TRUE(DeleteCheckedFile(file.c_str()));
    EXPECT_FALSE(FileExists(file));
    EXPECT_FALSE(DeleteCheckedFile(file.c_str())) << "nothing there";
    ASSERT_TRUE(held.Hold(path));
    EXPECT_FALSE(MoveFileA(folder.c_str(), (root + "\\renamed").c_str())) << "renamed while held to be written";
    ASSERT_TRUE(held.Hold(path, true));
    EXPECT_TRUE(held.RemoveIfEmpty());
    EXPECT_FALSE(FolderExists(folder));
    RemoveTree(root);
}

TEST(FileFinder, ContinuationAndKinds)
{
    RemoveTree("C:\\zvtests\\find");
    MakeFolder("C:\\zvtests\\find\\only folders\\sub1");
    MakeFolder("C:\\zvtests\\find\\only folders\\sub2");
    WriteTextFile("C:\\zvtests\\find\\a.txt", "a");
    WriteTextFile("C:\\zvtests\\find\\b.txt", "b");

    EXPECT_EQ(FindFile(nullptr, 0), nullptr) << "no search open";
    EXPECT_EQ(FindFile("", 2), nullptr);
    EXPECT_EQ(FindFile("C:\\zvtests\\find\\only folders\\*.*", 0), nullptr);
    ASSERT_NE(FindFile("C:\\zvtests\\find\\only folders\\*.*", 1), nullptr);

    int files = 0;
    for (const char* name = FindFile("C:\\zvtests\\find\\*.*", 0); name; name = FindFile(nullptr, 0)) ++files;
    EXPECT_EQ(files, 2);
    EXPECT_EQ(FindFile(nullptr, 0), nullptr) << "after exhaustion";
    EXPECT_EQ(FindFile("", 0), nullptr);

    int folders = 0;
    for (const char* name = FindFile("C:\\zvtests\\find\\*", 1); name; name = FindFile(nullptr, 1)) ++folders;
    EXPECT_EQ(folders, 3);  // ".", "..", "only folders"

    SourceFolder.AssignText("C:\\zvtests\\find\\");
    const char* found = FindFile("$ZV$\\b.txt", 0);
    ASSERT_NE(found, nullptr);
    EXPECT_STREQ(found, "b.txt");
    SetEnvironmentVariableA("ZVFINDTEST", "C:\\zvtests\\find");
    found = FindFile("%ZVFINDTEST%\\a.txt", 0);
    ASSERT_NE(found, nullptr);
    EXPECT_STREQ(found, "a.txt");
    EXPECT_EQ(FindFile("$NoSuchFolder$\\a.txt", 0), nullptr);
    RemoveTree("C:\\zvtests\\find");
}

TEST(FileFinder, FilesDifferComparesTimeAndLowSizeOnly)
{
    RemoveTree("C:\\zvtests\\differ");
    MakeFolder("C:\\zvtests\\differ");
    const std::string a = "C:\\zvtests\\differ\\a", b = "C:\\zvtests\\differ\\b";
    WriteTextFile(a, "1234", kNew);
    WriteTextFile(b, "abcd", kNew);
    EXPECT_FALSE(FilesDiffer(a.c_str(), b.c_str())) << "contents are not compared";
    WriteTextFile(b, "abcd", kNew + 1);
    EXPECT_TRUE(FilesDiffer(a.c_str(), b.c_str())) << "low half of the time";
    WriteTextFile(b, "abcd", kNew + (1ULL << 32));
    EXPECT_TRUE(FilesDiffer(a.c_str(), b.c_str())) << "high half of the time";
    WriteTextFile(b, "abcde", kNew);
    EXPECT_TRUE(FilesDiffer(a.c_str(), b.c_str())) << "size";
    WriteTextFile(b, "abcde", kOld);
    EXPECT_TRUE(FilesDiffer(a.c_str(), b.c_str())) << "only the high size half is equal";
    EXPECT_TRUE(FilesDiffer(a.c_str(), "C:\\zvtests\\differ\\missing"));
    EXPECT_TRUE(FilesDiffer("C:\\zvtests\\differ\\missing", a.c_str()));
    RemoveTree("C:\\zvtests\\differ");
}

namespace {

// Where Wine's Recycle Bin keeps deleted files: the XDG trash of the user running Wine, whose
// home Wine names in WINEHOMEDIR as "\\??\\Z:\\home\\user".
std::string TrashFolder()
{
    char home[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("WINEHOMEDIR", home, sizeof home)) return "";
    std::string folder = home;
    if (folder.rfind("\\??\\", 0) == 0) folder = folder.substr(4);
    return folder + "\\.local\\share\\Trash\\files";
}

}  // namespace

// Below the registry read that cuts a path at its zero byte: the shell itself is never handed
// a text that holds one, which it would read as two paths.
TEST(ShellOperations, ATextHoldingAZeroByteIsRefused)
{
    RemoveTree("C:\\zvtests\\zero");
    MakeFolder("C:\\zvtests\\zero\\victim");
    WriteTextFile("C:\\zvtests\\zero\\victim\\kept.txt", "the user's");
    WriteTextFile("C:\\zvtests\\zero\\a.txt", "a");
    const std::string victim = std::string("C:\\zvtests\\zero\\victim") + '\0' + "\\Zevrin 2";
    TextBuffer list, to;
    FillBytes(list, victim);
    EXPECT_EQ(ShellDeleteList(list, true), kShellZeroInPath);
    to.AssignText("C:\\zvtests\\zero\\b.txt");
    EXPECT_EQ(ShellCopyList(list, to, FO_COPY, false, true, false, true), kShellZeroInPath);
    list.AssignText("C:\\zvtests\\zero\\a.txt");
    FillBytes(to, victim);
    EXPECT_EQ(ShellCopyList(list, to, FO_MOVE, false, true, false, true), kShellZeroInPath);
    EXPECT_EQ(ReadTextFile("C:\\zvtests\\zero\\victim\\kept.txt"), "the user's");
    EXPECT_TRUE(FileExists("C:\\zvtests\\zero\\a.txt"));
    RemoveTree("C:\\zvtests\\zero");
}

TEST(ShellOperations, DeletePermanentOrToTheRecycleBinWithoutAWindow)
{
    UnexpectedDialogs dialogs;
    RemoveTree("C:\\zvtests\\delete");
    MakeFolder("C:\\zvtests\\delete\\folder\\inner");
    WriteTextFile("C:\\zvtests\\delete\\folder\\inner\\x.txt", "x");
    const std::string unique = "ZV-" + std::to_string(GetTickCount64()) + ".lnk";
    WriteTextFile("C:\\zvtests\\delete\\" + unique, "old link");
    WriteTextFile("C:\\zvtests\\delete\\gone-" + unique, "for good");

    TextBuffer list;
    list.AssignText(("C:\\zvtests\\delete\\" + unique).c_str());
    EXPECT_EQ(ShellDeleteList(list, false), 0);
    EXPECT_FALSE(FileExists("C:\\zvtests\\delete\\" + unique));
    list.AssignText(("C:\\zvtests\\delete\\gone-" + unique).c_str());
    EXPECT_EQ(ShellDeleteList(list, true), 0);
    EXPECT_FALSE(FileExists("C:\\zvtests\\delete\\gone-" + unique));

    list.AssignText("C:\\zvtests\\delete\\folder");
    EXPECT_EQ(ShellDeleteList(list, true), 0);
    EXPECT_FALSE(FolderExists("C:\\zvtests\\delete\\folder")) << "a folder goes with everything in it";

    list.AssignText("C:\\zvtests\\delete\\missing.lnk");
    EXPECT_NE(ShellDeleteList(list, true), 0);
    EXPECT_EQ(dialogs.Count(), 0) << dialogs.Texts();
    RemoveTree("C:\\zvtests\\delete");

    const std::string trash = TrashFolder();
    if (trash.empty() || !FolderExists(trash)) GTEST_SKIP() << "no XDG trash here for Wine's Recycle Bin";
    EXPECT_EQ(ReadTextFile(trash + "\\" + unique), "old link") << "undoable delete goes to the Recycle Bin";
    EXPECT_FALSE(FileExists(trash + "\\gone-" + unique)) << "a permanent delete does not";
    DeleteFileA((trash + "\\" + unique).c_str());
    DeleteFileA((trash + "\\..\\info\\" + unique + ".trashinfo").c_str());
}
