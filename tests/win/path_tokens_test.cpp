// Path tokens against the real folders and registry of the test prefix.
#include <windows.h>

#include <string>
#include <vector>

#include "base/product_names.h"
#include "base/process_win32.h"
#include "paths/special_folders.h"
#include "tests/buffer_checks.h"
#include "tests/win/import_patch.h"
#include "tests/win/registry_fixture.h"

namespace {

constexpr const char* kShellFolders = names::kShellFoldersKey;
const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";

std::string Expand(const char* path)
{
    TextBuffer b;
    const char* result = ExpandPathTokens(b, path);
    EXPECT_EQ(result, b.Data()) << path;
    EXPECT_TRUE(Terminated(b));
    return Bytes(b);
}

std::string TrimmedSystem(UINT (WINAPI *get)(LPSTR, UINT))
{
    char path[MAX_PATH] = {};
    get(path, MAX_PATH);
    std::string s = path;
    while (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

std::string Windows() { return TrimmedSystem(GetWindowsDirectoryA); }

std::string Temp()
{
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, path);
    std::string s = path;
    while (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

std::string RegistryText(HKEY root, const char* path, const char* name)
{
    DWORD type = 0;
    std::string bytes;
    if (!GetRaw(root, path, name, &type, &bytes)) return "";
    return std::string(bytes.c_str());
}

}  // namespace

TEST(PathTokens, SystemFolders)
{
    EXPECT_EQ(Expand("$Windows$"), Windows());
    EXPECT_EQ(Expand("$windows$"), Windows());
    EXPECT_EQ(Expand("$Windows"), Windows());
    EXPECT_EQ(Expand("$Windows$x"), Windows() + "x");
    EXPECT_EQ(Expand("$SYSTEM$\\kernel32.dll"), TrimmedSystem(GetSystemDirectoryA) + "\\kernel32.dll");
    EXPECT_EQ(Expand("$Temp$\\x.tmp"), Temp() + "\\x.tmp");
    EXPECT_NE(Windows().back(), '\\');
}

TEST(PathTokens, UnresolvedNamesKeepTheirDollar)
{
    EXPECT_EQ(Expand("$Windows\\notepad.exe"), "$Windows\\notepad.exe");
    EXPECT_EQ(Expand("$NoSuchFolder$\\abc"), "$NoSuchFolder");
    EXPECT_EQ(Expand("$"), "$");
    EXPECT_EQ(Expand("$$\\x"), "$");
}

TEST(PathTokens, SourceFolderToken)
{
    SourceFolder.AssignText("C:\\Setup\\");
    EXPECT_EQ(Expand("$ZV$\\readme.txt"), "C:\\Setup\\readme.txt");
    EXPECT_EQ(Expand("$zv$"), "C:\\Setup");
    SourceFolder.Release();
}

TEST(PathTokens, ProgramFilesFallsBackToProgramFilesDir)
{
    SavedValue user(HKEY_CURRENT_USER, kShellFolders, "Program Files");
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "Program Files");
        RegCloseKey(key);
    }
    const std::string programFiles = RegistryText(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir");
    ASSERT_FALSE(programFiles.empty());
    EXPECT_EQ(Expand("$Program Files$\\Zevrin 2"), programFiles + "\\Zevrin 2");

    // The user's own Shell Folders value wins, and loses its trailing backslashes.
    SetString(HKEY_CURRENT_USER, kShellFolders, "Program Files", "D:\\Apps\\\\");
    EXPECT_EQ(Expand("$Program Files$\\Zevrin 2"), "D:\\Apps\\Zevrin 2");
}

TEST(PathTokens, CommonNamesAreTheMachinesOthersTheUsers)
{
    SavedValue machineDocs(HKEY_LOCAL_MACHINE, kShellFolders, "Common Documents");
    SavedValue userDocs(HKEY_CURRENT_USER, kShellFolders, "Common Documents");
    SavedValue machineDesk(HKEY_LOCAL_MACHINE, kShellFolders, "Desktop");
    SavedValue userDesk(HKEY_CURRENT_USER, kShellFolders, "Desktop");
    SetString(HKEY_LOCAL_MACHINE, kShellFolders, "Common Documents", "C:\\Machine Docs");
    SetString(HKEY_CURRENT_USER, kShellFolders, "Common Documents", "C:\\User Docs");
    SetString(HKEY_LOCAL_MACHINE, kShellFolders, "Desktop", "C:\\Machine Desk");
    SetString(HKEY_CURRENT_USER, kShellFolders, "Desktop", "C:\\User Desk\\");

    EXPECT_EQ(Expand("$Common Documents$\\a"), "C:\\Machine Docs\\a");
    EXPECT_EQ(Expand("$COMMON DOCUMENTS$"), "C:\\Machine Docs");
    EXPECT_EQ(Expand("$Desktop$\\a"), "C:\\User Desk\\a");

    // Missing from Shell Folders: looked up under its own name below CurrentVersion.
    SavedValue fallback(HKEY_LOCAL_MACHINE, kCurrentVersion, "ZvTestFolder");
    SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ZvTestFolder", "C:\\Fallback");
    EXPECT_EQ(Expand("$ZvTestFolder$\\b"), "C:\\Fallback\\b");
}

TEST(PathTokens, ReturnContract)
{
    TextBuffer b;
    Fill(b, "keep");
    char* block = b.Data();
    const char* plain = "C:\\Data";
    EXPECT_EQ(ExpandPathTokens(b, plain), plain) << "the very same pointer";
    EXPECT_EQ(b.Data(), block);
    EXPECT_EQ(Bytes(b), "keep");

    EXPECT_EQ(ExpandPathTokens(b, nullptr), block) << "in place without a token: the buffer's own text";
    EXPECT_EQ(Bytes(b), "keep");

    TextBuffer none;
    EXPECT_EQ(ExpandPathTokens(none, nullptr), nullptr);

    Fill(b, "$Windows$\\win.ini");
    EXPECT_EQ(std::string(ExpandPathTokens(b, nullptr)), Windows() + "\\win.ini");
    Fill(b, "$NoSuch$\\x");
    EXPECT_EQ(std::string(ExpandPathTokens(b, b.Data())), "$NoSuch");
    Fill(b, "%WINDIR%\\y");
    EXPECT_EQ(std::string(ExpandPathTokens(b, nullptr)), Windows() + "\\y");
}

TEST(PathTokens, EnvironmentForm)
{
    SetEnvironmentVariableA("ZVTEST_A", "alpha");
    SetEnvironmentVariableA("ZVTEST_B", "beta");
    EXPECT_EQ(Expand("%ZVTEST_A%\\%ZVTEST_B%.txt"), "alpha\\beta.txt") << "every reference, not only the first";
    EXPECT_EQ(Expand("%NO_SUCH_VARIABLE_ZV%\\x"), "%NO_SUCH_VARIABLE_ZV%\\x");

    // Longer than MAX_PATH: one more call with the size the platform asked for.
    const std::string longValue = "C:\\" + std::string(400, 'L');
    SetEnvironmentVariableA("ZVTEST_LONG", longValue.c_str());
    EXPECT_EQ(Expand("%ZVTEST_LONG%\\end"), longValue + "\\end");
    SetEnvironmentVariableA("ZVTEST_LONG", nullptr);
}

namespace {

// Stand-ins for the platform's folder calls that, like the real ones, answer a too-small area
// with the size they need (the zero byte included) and fill a large enough one.
const std::string kLongFolder = "C:\\" + std::string(300, 'f') + "\\";
std::vector<DWORD> roomsOffered;

DWORD WINAPI LongTempPath(DWORD room, LPSTR area)
{
    roomsOffered.push_back(room);
    if (room <= kLongFolder.size()) return static_cast<DWORD>(kLongFolder.size() + 1);
    memcpy(area, kLongFolder.c_str(), kLongFolder.size() + 1);
    return static_cast<DWORD>(kLongFolder.size());
}

UINT WINAPI LongWindowsDirectory(LPSTR area, UINT room) { return LongTempPath(room, area); }

}  // namespace

TEST(PathTokens, FoldersLongerThanMaxPathAreAskedForOnceMore)
{
    // Wine 8 cannot produce such folders (its GetTempPathA fails on a TMP longer than MAX_PATH),
    // so the platform's answers are stood in for.
    const std::string expected = kLongFolder.substr(0, kLongFolder.size() - 1);
    {
        ImportPatch patch("kernel32.dll", "GetTempPathA", reinterpret_cast<void*>(LongTempPath));
        ASSERT_TRUE(patch.Active());
        roomsOffered.clear();
        EXPECT_EQ(Expand("$Temp$\\x"), expected + "\\x");
        EXPECT_EQ(roomsOffered, (std::vector<DWORD>{MAX_PATH, static_cast<DWORD>(kLongFolder.size() + 1)}));
    }
    {
        ImportPatch patch("kernel32.dll", "GetWindowsDirectoryA", reinterpret_cast<void*>(LongWindowsDirectory));
        ASSERT_TRUE(patch.Active());
        TextBuffer b;
        EXPECT_TRUE(GetSpecialFolder("Windows", b));
        EXPECT_EQ(Bytes(b), expected);
    }
}

namespace {

// The ANSI expansion as some systems have it: it reports the count with the zero byte, but
// fills the area only when it has one byte more than that.
DWORD WINAPI ExpandNeedingOneMore(LPCSTR source, LPSTR area, DWORD room)
{
    roomsOffered.push_back(room);
    const std::string expanded = kLongFolder + source;
    const DWORD reported = static_cast<DWORD>(expanded.size() + 1);
    if (room < reported + 1) return reported;
    memcpy(area, expanded.c_str(), expanded.size() + 1);
    return reported;
}

}  // namespace

TEST(PathTokens, EnvironmentRetryOffersOneByteMoreThanReported)
{
    ImportPatch patch("kernel32.dll", "ExpandEnvironmentStringsA", reinterpret_cast<void*>(ExpandNeedingOneMore));
    ASSERT_TRUE(patch.Active());
    roomsOffered.clear();
    EXPECT_EQ(Expand("%X%"), kLongFolder + "%X%");
    ASSERT_EQ(roomsOffered.size(), 2u);
    EXPECT_EQ(roomsOffered[1], kLongFolder.size() + 3 + 2) << "the count reported, plus one";
}

TEST(PathTokens, GetSpecialFolderReplacesTheTarget)
{
    TextBuffer b;
    Fill(b, "old text");
    EXPECT_FALSE(GetSpecialFolder("NoSuchFolderAnywhere", b));
    EXPECT_EQ(b.Length(), 0);
    Fill(b, "old text");
    EXPECT_TRUE(GetSpecialFolder("WINDOWS", b));
    EXPECT_EQ(Bytes(b), Windows());
}
