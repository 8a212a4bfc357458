// Links written by CreateShortcut, read back through the shell-link object itself.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_buffer.h"
#include "install/held_folder.h"
#include "install/shortcut.h"
#include "tests/buffer_checks.h"
#include "tests/win/file_helpers.h"
#include "tests/win/import_patch.h"
#include "tests/win/link_reader.h"

namespace {

const std::string kFolder = "C:\\zvtests\\links";

// The link's path as the program hands it over.
struct Path : TextBuffer {
    explicit Path(const std::string& text) { AssignText(text.c_str()); }
};

// A link saved as the sequences save one: into its folder, held.
template <typename... Rest>
int SaveLink(const TextBuffer& link, Rest... rest)
{
    TextBuffer folder;
    folder.GetFolderPart(link);
    HeldFolder held;
    held.Hold(folder);
    return CreateShortcut(held, link, rest...);
}

class ShortcutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        RemoveTree(kFolder);
        MakeFolder(kFolder + "\\Zevrin 2");
        WriteTextFile(kFolder + "\\Zevrin 2\\zv.exe", "program");
        WriteTextFile(kFolder + "\\Zevrin 2\\setup.exe", "setup");
    }
    void TearDown() override
    {
        RemoveTree(kFolder);
        CoUninitialize();
    }
};

// Makes the real shell-link object misbehave at one step, and records the order in which the
// two interface pointers are released, by giving the object copies of its tables of methods.
enum Failure { FailNothing, FailCreate, FailSetPath, FailSetPathSoftly, FailSetArguments, FailQueryInterface };
Failure failure;
std::vector<std::string> releases;
ImportPatch* createPatch;
void* linkTable[32];
void* fileTable[16];
void** realLinkTable;
void** realFileTable;

ULONG STDMETHODCALLTYPE LinkRelease(IUnknown* self)
{
    releases.push_back("link");
    return reinterpret_cast<ULONG(STDMETHODCALLTYPE*)(IUnknown*)>(realLinkTable[2])(self);
}

ULONG STDMETHODCALLTYPE FileRelease(IUnknown* self)
{
    releases.push_back("file");
    return reinterpret_cast<ULONG(STDMETHODCALLTYPE*)(IUnknown*)>(realFileTable[2])(self);
}

HRESULT STDMETHODCALLTYPE RefusingSetPath(IShellLinkA*, LPCSTR) { return failure == FailSetPath ? E_FAIL : S_FALSE; }
HRESULT STDMETHODCALLTYPE RefusingSetArguments(IShellLinkA*, LPCSTR) { return E_INVALIDARG; }

HRESULT STDMETHODCALLTYPE WatchedQueryInterface(IUnknown* self, REFIID iid, void** out)
{
    if (failure == FailQueryInterface && IsEqualIID(iid, IID_IPersistStream)) {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    const HRESULT result =
        reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(IUnknown*, REFIID, void**)>(realLinkTable[0])(self, iid, out);
    if (SUCCEEDED(result) && IsEqualIID(iid, IID_IPersistStream)) {
        void*** file = reinterpret_cast<void***>(*out);
        realFileTable = *file;
        memcpy(fileTable, realFileTable, sizeof fileTable);
        fileTable[2] = reinterpret_cast<void*>(FileRelease);
        *file = fileTable;
    }
    return result;
}

HRESULT WINAPI WatchedCreate(REFCLSID cls, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* out)
{
    if (failure == FailCreate) {
        *out = nullptr;
        return REGDB_E_CLASSNOTREG;
    }
    const HRESULT result = createPatch->Original<decltype(&CoCreateInstance)>()(cls, outer, context, iid, out);
    if (FAILED(result)) return result;
    void*** link = reinterpret_cast<void***>(*out);
    realLinkTable = *link;
    memcpy(linkTable, realLinkTable, sizeof linkTable);
    linkTable[0] = reinterpret_cast<void*>(WatchedQueryInterface);
    linkTable[2] = reinterpret_cast<void*>(LinkRelease);
    if (failure == FailSetPath || failure == FailSetPathSoftly) linkTable[20] = reinterpret_cast<void*>(RefusingSetPath);
    if (failure == FailSetArguments) linkTable[11] = reinterpret_cast<void*>(RefusingSetArguments);
    *link = linkTable;
    return result;
}

}  // namespace

TEST_F(ShortcutTest, OnlyTheTargetWhenNothingElseIsGiven)
{
    const std::string link = kFolder + "\\Zevrin.lnk";
    const std::string target = kFolder + "\\Zevrin 2\\zv.exe";
    EXPECT_EQ(SaveLink(Path(link), target.c_str(), nullptr, 0, nullptr, nullptr, 0), kShortcutOk);
    const LinkContents read = ReadLink(link);
    ASSERT_TRUE(read.loaded);
    EXPECT_EQ(read.path, target);
    EXPECT_EQ(read.arguments, "");
    EXPECT_EQ(read.workingFolder, "");
    EXPECT_EQ(read.iconPath, "");
    EXPECT_EQ(read.hotkey, 0);
}

TEST_F(ShortcutTest, TheUninstallLinkOfTheInstallSequence)
{
    const std::string destination = kFolder + "\\Zevrin 2\\";
    const std::string link = kFolder + "\\Uninstall.lnk";
    const std::string setup = destination + "setup.exe";
    EXPECT_EQ(SaveLink(Path(link), setup.c_str(), setup.c_str(), 1, "uninstall", destination.c_str(), 0),
              kShortcutOk);
    const LinkContents read = ReadLink(link);
    ASSERT_TRUE(read.loaded);
    EXPECT_EQ(read.path, setup);
    EXPECT_EQ(read.arguments, "uninstall");
    EXPECT_EQ(read.workingFolder, destination);
    EXPECT_EQ(read.iconPath, setup);
    EXPECT_EQ(read.iconIndex, 1);
    EXPECT_EQ(read.hotkey, 0);

    // A hotkey, and a second save over the same file.
    const WORD hotkey = MAKEWORD('Z', HOTKEYF_CONTROL | HOTKEYF_ALT);
    EXPECT_EQ(SaveLink(Path(link), setup.c_str(), nullptr, 0, "S", nullptr, hotkey), kShortcutOk);
    const LinkContents again = ReadLink(link);
    EXPECT_EQ(again.arguments, "S");
    EXPECT_EQ(again.hotkey, hotkey);
    EXPECT_EQ(again.iconPath, "");
}

TEST_F(ShortcutTest, AFolderNotHeldIsRefusedAndGetsNoFile)
{
    const std::string link = kFolder + "\\No Such Folder\\Zevrin.lnk";
    EXPECT_EQ(SaveLink(Path(link), (kFolder + "\\Zevrin 2\\zv.exe").c_str(), nullptr, 0, nullptr, nullptr, 0),
              kShortcutRefused);
    EXPECT_FALSE(FileExists(link));
    EXPECT_FALSE(FolderExists(kFolder + "\\No Such Folder"));
}

// Link paths are put together from folders setup read: one holding a zero byte (cut there it
// names another file) or naming a link to a file (the save would write where that points) is
// refused before anything is written. The mark is reported by the patched system calls, as
// Windows reports it; Wine shows a link to a file as a plain file.
TEST_F(ShortcutTest, APathHoldingAZeroByteOrNamingALinkIsRefused)
{
    const std::string victim = kFolder + "\\victim.txt";
    WriteTextFile(victim, "the user's file");
    TextBuffer cut;
    FillBytes(cut, victim + '\0' + ".lnk");
    const std::string target = kFolder + "\\Zevrin 2\\zv.exe";
    EXPECT_EQ(SaveLink(cut, target.c_str(), nullptr, 0, nullptr, nullptr, 0), kShortcutRefused);
    {
        ReparseMarks link({victim});
        EXPECT_EQ(SaveLink(Path(victim), target.c_str(), nullptr, 0, nullptr, nullptr, 0), kShortcutRefused);
    }
    EXPECT_EQ(ReadTextFile(victim), "the user's file");
}

TEST_F(ShortcutTest, EveryFailureHasItsCodeWritesNothingAndReleasesBoth)
{
    ImportPatch patch("ole32.dll", "CoCreateInstance", reinterpret_cast<void*>(WatchedCreate));
    ASSERT_TRUE(patch.Active());
    createPatch = &patch;
    const std::string link = kFolder + "\\Zevrin.lnk";
    const std::string target = kFolder + "\\Zevrin 2\\zv.exe";
    struct Case {
        Failure failure;
        int code;
        std::vector<std::string> releases;
    } cases[] = {
        {FailCreate, kShortcutCreateFailed, {}},
        {FailSetPath, kShortcutSetPathFailed, {"link"}},
        {FailSetPathSoftly, kShortcutSetPathFailed, {"link"}},  // S_FALSE is no success here
        {FailSetArguments, kShortcutSetArgumentsFailed, {"link"}},
        {FailQueryInterface, kShortcutNoPersistFile, {"link"}},
        {FailNothing, kShortcutOk, {"file", "link"}},
    };
    for (const Case& c : cases) {
        failure = c.failure;
        releases.clear();
        DeleteFileA(link.c_str());
        EXPECT_EQ(SaveLink(Path(link), target.c_str(), nullptr, 0, "x", nullptr, 0), c.code)
            << "failure " << c.failure;
        EXPECT_EQ(releases, c.releases) << "failure " << c.failure;
        EXPECT_EQ(FileExists(link), c.code == kShortcutOk) << "failure " << c.failure;
    }
    failure = FailNothing;
}
