// A DLL planted beside setup.exe under the name of a DLL that is loaded by name after start-up
// (uxtheme.dll, which user32 loads when windows are created) must not be loaded.
#include <windows.h>

#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/dll_hardening.h"
#include "tests/win/import_patch.h"
#include "tests/win/process.h"

namespace {

const char kFolder[] = "C:\\zv tests\\downloads";
const char kMark[] = "C:\\zv tests\\downloads\\planted-dll-ran.txt";

bool PlantedDllRan()
{
    const bool ran = GetFileAttributesA(kMark) != INVALID_FILE_ATTRIBUTES;
    DeleteFileA(kMark);
    return ran;
}

// Wine maps its own builtin DLL in place of a file of a known name; preferring the native file
// for these two programs, as Windows always does, makes the planted DLL reachable at all.
class PreferPlantedFile {
public:
    PreferPlantedFile()
    {
        for (const char* program : kPrograms) {
            HKEY key;
            if (RegCreateKeyExA(HKEY_CURRENT_USER, Path(program).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                nullptr) != ERROR_SUCCESS)
                continue;
            RegSetValueExA(key, "uxtheme", 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"), 15);
            RegCloseKey(key);
        }
    }
    ~PreferPlantedFile()
    {
        for (const char* program : kPrograms) RegDeleteKeyA(HKEY_CURRENT_USER, Path(program).c_str());
    }

private:
    static constexpr const char* kPrograms[] = {"setup.exe", "dllprobe.exe"};
    static std::string Path(const char* program)
    {
        return std::string("Software\\Wine\\AppDefaults\\") + program + "\\DllOverrides";
    }
};

std::string Plant(const char* source, const char* name)
{
    std::string target = std::string(kFolder) + "\\" + name;
    EXPECT_TRUE(CopyFileA(source, target.c_str(), FALSE)) << target;
    return target;
}

}  // namespace

TEST(DllPlanting, SetupDoesNotLoadADllPlantedBesideIt)
{
    CreateDirectoryA("C:\\zv tests", nullptr);
    CreateDirectoryA(kFolder, nullptr);
    Plant(PLANT_DLL, "uxtheme.dll");
    const std::string setup = Plant(SETUP_EXE, "setup.exe");
    const std::string probe = Plant(DLLPROBE_EXE, "dllprobe.exe");
    PlantedDllRan();
    PreferPlantedFile prefer;

    // The control: the same folder, a program without the hardening loads the planted file.
    ChildProcess plain;
    ASSERT_TRUE(plain.Start("\"" + probe + "\"", kFolder));
    EXPECT_NE(plain.WaitExit(20000), -1);
    EXPECT_TRUE(PlantedDllRan()) << "the planted DLL was not reachable at all";

    ChildProcess hardened;
    ASSERT_TRUE(hardened.Start("\"" + probe + "\" harden", kFolder));
    EXPECT_NE(hardened.WaitExit(20000), -1);
    EXPECT_FALSE(PlantedDllRan());

    ChildProcess installer;
    ASSERT_TRUE(installer.Start("\"" + setup + "\"", kFolder));
    HWND dialog = WaitForDialog(installer, 20000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), "Install Zevrin");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(installer.WaitExit(20000), 0);
    EXPECT_FALSE(PlantedDllRan()) << "setup.exe ran the planted DLL";
}

namespace {

ImportPatch* lookup;
std::string dllDirectory = "<not set>";

bool hideNewer;

BOOL WINAPI RecordDllDirectory(LPCSTR folder);

std::string policies;

BOOL WINAPI RecordPolicy(int policy, const void* value, SIZE_T size)
{
    policies += std::to_string(policy) + ":" + std::to_string(size == 4 ? *static_cast<const DWORD*>(value) : 0) + " ";
    return TRUE;
}

// The newer call hidden, the older one recorded.
FARPROC WINAPI OldSystemLookup(HMODULE module, LPCSTR name)
{
    if (HIWORD(name) && strcmp(name, "SetProcessMitigationPolicy") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(RecordPolicy));
    if (hideNewer && HIWORD(name) && strcmp(name, "SetDefaultDllDirectories") == 0) return nullptr;
    if (HIWORD(name) && strcmp(name, "SetDllDirectoryA") == 0) return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(RecordDllDirectory));
    return lookup->Original<decltype(&GetProcAddress)>()(module, name);
}

BOOL WINAPI RecordDllDirectory(LPCSTR folder)
{
    dllDirectory = folder ? folder : "<null>";
    return TRUE;
}

ImportPatch* loadPatch;
std::vector<std::string> loads;

HMODULE WINAPI RecordLoad(LPCSTR path, HANDLE file, DWORD flags)
{
    loads.push_back(std::string(path) + (flags == LOAD_WITH_ALTERED_SEARCH_PATH ? "" : " (searched by name)"));
    return loadPatch->Original<decltype(&LoadLibraryExA)>()(path, file, flags);
}

}  // namespace

// Before Windows 8 (and 7 without KB2533623) SetDefaultDllDirectories is missing; there the
// current folder, a downloads folder setup.exe may be started in, is taken out of the search by
// SetDllDirectoryA(""), as Windows documents it, and the DLLs that windows, COM and the shell
// load by name later (uxtheme.dll at the first window) are loaded first from the system folder
// by full path, since the program's own folder stays first in the search whatever is said.
// Wine 8 keeps the current folder in the search for an empty string, and its own DLLs are
// builtin, so the calls are recorded here rather than their effect watched.
TEST(DllPlanting, WithoutTheNewerCallTheCurrentFolderLeavesTheSearch)
{
    ImportPatch hide("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(OldSystemLookup));
    ImportPatch load("kernel32.dll", "LoadLibraryExA", reinterpret_cast<void*>(RecordLoad));
    ASSERT_TRUE(hide.Active() && load.Active());
    lookup = &hide, loadPatch = &load;
    hideNewer = true;
    loads.clear();
    RestrictDllSearchPath();
    EXPECT_EQ(dllDirectory, "");
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_NE(std::find(loads.begin(), loads.end(), std::string(system) + "\\uxtheme.dll"), loads.end());
    for (const std::string& path : loads) EXPECT_EQ(path.rfind(std::string(system) + "\\", 0), 0u) << path;

    // Where the newer call is there, it alone restricts the search.
    hideNewer = false;
    dllDirectory = "<not set>";
    loads.clear();
    RestrictDllSearchPath();
    EXPECT_TRUE(loads.empty()) << loads.front();
    EXPECT_EQ(dllDirectory, "<not set>");
}

// Where Windows has the redirection trust policy, setup asks for it to be enforced (Wine 8 has
// the call but not the policy, so the call is recorded).
TEST(DllPlanting, TheRedirectionGuardIsAskedFor)
{
    ImportPatch hide("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(OldSystemLookup));
    ASSERT_TRUE(hide.Active());
    lookup = &hide;
    policies.clear();
    EnforceRedirectionTrust();
    EXPECT_EQ(policies, "16:1 ");
}
