// The real setup.exe against real faults: a drive that fills during the copy phase, a
// read-only drive, a destination that goes away, payload files that vanish or cannot be read, a
// setup ended midway, a file held open by another program. Each case starts from an earlier
// install whose macro lists the user has changed, and checks that none of the user's files is
// lost, that no name is left holding part of a file, and that a plain retry completes once the
// fault is mended. The drives are tmpfs mounts made by scripts/fault-drive (as root), drive T:.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include <map>
#include <set>
#include <string>

#include "tests/win/end_to_end.h"
#include "tests/win/fault_drive.h"
#include "tests/win/results_log.h"
#include "tests/win/setup_module.h"

namespace {

const std::string kMount = "T:";  // scripts/fault-drive makes the mount this drive
const std::vector<std::pair<int, bool>> kQuiet = {{IDC_START_PRODUCT, false}};
const char* const kUserLists[] = {"System.zvl", "Samples2.zvl", "List.zvl"};

int faultsTried, userFilesChecked, userFilesLost;

std::string UserText(const char* list) { return std::string("; the user's own ") + list + "\r\n"; }

class Faults : public EndToEnd {
protected:
    void TearDown() override
    {
        if (mounted_) FaultDrive("unmount \"" + kMountUnix + "\"");
        EndToEnd::TearDown();
    }

    // A tmpfs of `kilobytes` as the drive to install on; false (and the test skipped) where
    // mounting is not allowed.
    bool MountDrive(int kilobytes)
    {
        const long status = FaultDrive("mount \"" + kMountUnix + "\" " + std::to_string(kilobytes));
        mounted_ = status == 0;
        return mounted_;
    }

    // An earlier, complete install into `folder`; then the user changes three macro lists.
    void InstallEarlierAndChangeLists(const std::string& folder)
    {
        destination_ = folder;
        ASSERT_EQ(Install(folder, {}, true, kQuiet).exitCode, 0);
        for (const char* list : kUserLists)
            WriteTextFile(folder + "\\" + list, UserText(list), 130000000000000000ULL);
        before_ = ReadTree(folder);
    }

    // One run that meets the fault: counted, and checked for what no fault may do, in the
    // destination or wherever its files are now (`lookIn`).
    InstallOutcome RunIntoFault(std::vector<int> answers = {},
                                const std::function<bool(const MessageBoxSeen&, SetupSession&)>& beforeAnswer = nullptr,
                                const std::string& lookIn = "")
    {
        ++faultsTried;
        InstallOutcome outcome =
            DriveInstall(kSource + "\\setup.exe", destination_, std::move(answers), true, kQuiet, beforeAnswer);
        ExpectNothingLostOrCut(lookIn.empty() ? destination_ : lookIn);
        return outcome;
    }

    // Every user list is somewhere in the folder (in place, in Backup), and every file there is
    // whole: a shipped file, or a file that was there before the run.
    void ExpectNothingLostOrCut(const std::string& folder)
    {
        const std::map<std::string, std::string> now = ReadTree(folder);
        std::set<std::string> whole;
        for (const auto& file : ReadTree(kSource)) whole.insert(file.second);
        for (const auto& file : before_) whole.insert(file.second);
        for (const char* list : kUserLists) {
            ++userFilesChecked;
            bool found = false;
            for (const auto& file : now) found = found || file.second == UserText(list);
            if (!found) ++userFilesLost;
            EXPECT_TRUE(found) << "the user's " << list << " is gone";
        }
        for (const auto& file : now)
            EXPECT_TRUE(whole.count(file.second)) << file.first << " holds part of a file (" << file.second.size()
                                                  << " bytes)";
    }

    // The plain retry after the fault is mended: it completes and leaves the user's lists in
    // Backup (System.zvl, Samples2.zvl) and in place (List.zvl, the new one beside it).
    void ExpectRetryCompletes()
    {
        const InstallOutcome retry = Install(destination_, {}, true, kQuiet);
        EXPECT_EQ(retry.last, SetupSession::Exited) << BoxTexts(retry.boxes);
        EXPECT_EQ(ReadTextFile(destination_ + "\\Backup\\System.zvl"), UserText("System.zvl"));
        EXPECT_EQ(ReadTextFile(destination_ + "\\Backup\\Samples2.zvl"), UserText("Samples2.zvl"));
        EXPECT_EQ(ReadTextFile(destination_ + "\\List.zvl"), UserText("List.zvl"));
        EXPECT_EQ(ReadTextFile(destination_ + "\\Copy of List.zvl"), ReadTextFile(kSource + "\\List.zvl"));
        EXPECT_EQ(ReadTextFile(destination_ + "\\zv.exe"), ReadTextFile(kSource + "\\zv.exe"));
        EXPECT_EQ(Value(HKEY_CURRENT_USER, names::kSettingsKey, names::kInstallFolderValue), destination_);
        std::map<std::string, std::string> backup = ReadTree(destination_ + "\\Backup");
        EXPECT_EQ(backup.size(), 2u) << "no second Backup copy of an unchanged file";
    }

    std::string destination_;
    std::map<std::string, std::string> before_;
    bool mounted_ = false;
};

// Holds a file open without sharing, as another program can, while it lives.
struct HeldFile {
    explicit HeldFile(const std::string& path)
        : handle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr))
    {
    }
    ~HeldFile() { Release(); }
    void Release()
    {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
    HANDLE handle;
};

int CountCaption(const InstallOutcome& outcome, const std::string& caption)
{
    int count = 0;
    for (const auto& box : outcome.boxes) count += box.caption == caption;
    return count;
}

class FaultSummary : public ::testing::Environment {
public:
    void TearDown() override
    {
        ReportFigure("faults: " + std::to_string(faultsTried) + " tried, " + std::to_string(userFilesChecked) +
                     " user files checked, " + std::to_string(userFilesLost) + " lost");
    }
};
const auto* const summary = ::testing::AddGlobalTestEnvironment(new FaultSummary);

}  // namespace

TEST_F(Faults, AFullDriveDuringTheCopyPhase)
{
    if (!MountDrive(3072)) {
        GTEST_SKIP() << "no tmpfs can be mounted here (scripts/fault-drive needs root to mount)";
    }
    ASSERT_NO_FATAL_FAILURE(InstallEarlierAndChangeLists(kMount + "\\Zevrin 2"));
    // A flag row with a backup (System.zvl), a flag row copied beside (List.zvl) and a stop row
    // (zv2help.hlp) each ship more than the drive has left.
    const std::string large(400 * 1024, 'n');
    for (const char* name : {"System.zvl", "List.zvl", "zv2help.hlp"}) WriteTextFile(kSource + "\\" + name, large);
    ASSERT_EQ(FaultDrive("fill \"" + kMountUnix + "\" 200"), 0);

    const InstallOutcome full = RunIntoFault();
    EXPECT_EQ(full.last, SetupSession::Ready) << "the help file is a stop row" << BoxTexts(full.boxes);
    EXPECT_EQ(ReadTextFile(destination_ + "\\System.zvl"), UserText("System.zvl")) << "back in its place";
    EXPECT_EQ(ReadTextFile(destination_ + "\\List.zvl"), UserText("List.zvl"));
    EXPECT_FALSE(FileExists(destination_ + "\\Copy of List.zvl"));
    // The summary names only what happened: Samples2.zvl went to Backup and its new file
    // arrived; System.zvl is back in place and no copy stands beside List.zvl.
    ASSERT_EQ(CountCaption(full, "Info"), 1) << BoxTexts(full.boxes);
    for (const auto& box : full.boxes) {
        if (box.caption != "Info") continue;
        EXPECT_EQ(box.text, "Following files have been replaced (old files moved to Backup folder):\r\nSamples2.zvl\r\n");
    }

    ASSERT_EQ(FaultDrive("remount \"" + kMountUnix + "\" size=8192k"), 0);
    DeleteFileA((kMount + "\\filler.bin").c_str());
    ExpectRetryCompletes();
}

// Start Menu links that do not fit on their full drive: none is left there empty or cut.
TEST_F(Faults, LinksThatDoNotFitAreRemovedAgain)
{
    if (!MountDrive(1024)) GTEST_SKIP() << "no tmpfs can be mounted here (scripts/fault-drive needs root to mount)";
    SavedValue programs(HKEY_CURRENT_USER, kShellFolders, names::kProgramsValue);
    SetString(HKEY_CURRENT_USER, kShellFolders, names::kProgramsValue, kMount + "\\Programs");
    MakeFolder(kMount + "\\Programs\\Zevrin 2");
    ASSERT_EQ(FaultDrive("fill \"" + kMountUnix + "\" 0"), 0);
    std::string boxes;
    EXPECT_TRUE(InstallHere(kSource, kTarget, &boxes)) << boxes;
    EXPECT_TRUE(ReadTree(kMount + "\\Programs").empty());
}

TEST_F(Faults, AReadOnlyDestination)
{
    if (!MountDrive(3072)) {
        GTEST_SKIP() << "no tmpfs can be mounted here (scripts/fault-drive needs root to mount)";
    }
    ASSERT_NO_FATAL_FAILURE(InstallEarlierAndChangeLists(kMount + "\\Zevrin 2"));
    ASSERT_EQ(FaultDrive("remount \"" + kMountUnix + "\" ro"), 0);

    const InstallOutcome readOnly = RunIntoFault();
    ASSERT_EQ(readOnly.boxes.size(), 1u) << BoxTexts(readOnly.boxes);
    EXPECT_EQ(readOnly.boxes[0].text, "Can't write to folder " + destination_ + "\\");
    EXPECT_EQ(readOnly.last, SetupSession::Ready);
    EXPECT_EQ(ReadTree(destination_), before_);

    ASSERT_EQ(FaultDrive("remount \"" + kMountUnix + "\" rw"), 0);
    ExpectRetryCompletes();
}

TEST_F(Faults, TheDestinationGoesAwayDuringTheCopyPhase)
{
    if (!MountDrive(3072)) {
        GTEST_SKIP() << "no tmpfs can be mounted here (scripts/fault-drive needs root to mount)";
    }
    ASSERT_NO_FATAL_FAILURE(InstallEarlierAndChangeLists(kMount + "\\Zevrin 2"));
    // While the summary is on screen (after the macro lists), the folder is moved away.
    const std::string movedUnix = kMountUnix + "/moved away";
    const InstallOutcome gone = RunIntoFault(
        {},
        [&](const MessageBoxSeen& box, SetupSession&) {
            if (box.caption == "Info") FaultDrive("move \"" + kMountUnix + "/Zevrin 2\" \"" + movedUnix + "\"");
            return true;
        },
        kMount + "\\moved away");
    EXPECT_FALSE(FolderExists(destination_)) << "not made again, half filled";
    ASSERT_FALSE(gone.boxes.empty());
    EXPECT_EQ(gone.boxes.back().text, "Can't write to folder " + destination_ + "\\") << BoxTexts(gone.boxes);
    EXPECT_EQ(gone.last, SetupSession::Ready);
    EXPECT_EQ(ReadTextFile(kMount + "\\moved away\\Backup\\System.zvl"), UserText("System.zvl"));

    ASSERT_EQ(FaultDrive("move \"" + movedUnix + "\" \"" + kMountUnix + "/Zevrin 2\""), 0);
    ExpectRetryCompletes();
}

TEST_F(Faults, APayloadFileThatVanishesOrCannotBeRead)
{
    ASSERT_NO_FATAL_FAILURE(InstallEarlierAndChangeLists(kTarget));
    // A stop row whose file is missing: the run stops before the macro lists.
    DeleteFileA((kSource + "\\zvcl.exe").c_str());
    const InstallOutcome missing = RunIntoFault();
    EXPECT_EQ(missing.last, SetupSession::Ready) << BoxTexts(missing.boxes);
    EXPECT_EQ(ReadTextFile(kTarget + "\\zvcl.exe"), before_["zvcl.exe"]) << "the earlier file stays whole";
    EXPECT_EQ(CountCaption(missing, "Info") + CountCaption(missing, "Warning"), 0) << BoxTexts(missing.boxes);
    EXPECT_FALSE(FileExists(kTarget + "\\Backup")) << "stopped before the macro lists";
    CopyFileA((std::string(DEMO_SOURCE) + "\\zvcl.exe").c_str(), (kSource + "\\zvcl.exe").c_str(), FALSE);

    // A flag row whose file (a new version) another program holds: the question, and No stops.
    WriteTextFile(kSource + "\\typecat.ini", "; release 2 of the type catalogue\r\n");
    HeldFile held(kSource + "\\typecat.ini");
    ASSERT_NE(held.handle, INVALID_HANDLE_VALUE);
    const InstallOutcome unreadable = RunIntoFault({IDNO});
    EXPECT_EQ(CountCaption(unreadable, "Warning"), 1) << BoxTexts(unreadable.boxes);
    EXPECT_EQ(unreadable.last, SetupSession::Ready);
    held.Release();
    ExpectRetryCompletes();
}

TEST_F(Faults, SetupEndedMidwayAndRunAgain)
{
    // Ended at the summary after the macro lists, and at the closing question after a flag row
    // failed; each time a plain run afterwards completes.
    int release = 2;
    for (const std::string at : {"Info", "Warning"}) {
        SCOPED_TRACE(at);
        RemoveTree(kTarget);
        ASSERT_NO_FATAL_FAILURE(InstallEarlierAndChangeLists(kTarget));
        // A new version of a flag row that another program holds: the closing question.
        ++release;
        WriteTextFile(kSource + "\\winapiZV.txt", std::string(static_cast<size_t>(release) * 16, ';'));
        HeldFile held(kSource + "\\winapiZV.txt");
        const InstallOutcome ended = RunIntoFault({}, [&](const MessageBoxSeen& box, SetupSession& setup) {
            if (box.caption != at) return true;
            TerminateProcess(setup.Process().process, 1);
            return false;
        });
        EXPECT_EQ(CountCaption(ended, at), 1) << BoxTexts(ended.boxes);
        held.Release();
        ExpectRetryCompletes();
    }
}

TEST_F(Faults, ADestinationFileHeldOpenByAnotherProgram)
{
    ASSERT_NO_FATAL_FAILURE(InstallEarlierAndChangeLists(kTarget));
    // A new version ships while the installed one is in use: a stop row.
    WriteTextFile(kSource + "\\zvcl.exe", "release 2 of the command-line tool");
    InstallOutcome inUse;
    {
        HeldFile held(kTarget + "\\zvcl.exe");
        ASSERT_NE(held.handle, INVALID_HANDLE_VALUE);
        ++faultsTried;
        inUse = DriveInstall(kSource + "\\setup.exe", destination_, {}, true, kQuiet);
    }
    ExpectNothingLostOrCut(destination_);
    EXPECT_EQ(inUse.last, SetupSession::Ready) << "a stop row" << BoxTexts(inUse.boxes);
    EXPECT_EQ(ReadTextFile(kTarget + "\\zvcl.exe"), before_["zvcl.exe"]) << "the one in use stays whole";
    ExpectRetryCompletes();
}
