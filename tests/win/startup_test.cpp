// The real setup.exe started as a process: mode choice, the single-instance guard, the ways a
// dialog ends, and bad start conditions. Each case checks what a user would see: which window
// appears, and that the process leaves with exit code 0.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include "tests/win/file_helpers.h"
#include "tests/win/process.h"

namespace {

const DWORD kShowTimeout = 20000;

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// Starts setup.exe with this command line and returns the caption of the dialog it shows; the
// dialog is then ended with `end` and the exit code checked.
std::string CaptionFor(const std::string& commandLine, void (*end)(HWND) = nullptr)
{
    ChildProcess setup;
    if (!setup.Start(commandLine)) return "<not started>";
    HWND dialog = WaitForDialog(setup, kShowTimeout);
    if (!dialog) {
        setup.WaitExit(5000);
        return "<no dialog>";
    }
    std::string caption = WindowText(dialog);
    if (end)
        end(dialog);
    else
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(setup.WaitExit(kShowTimeout), 0) << commandLine;
    return caption;
}

std::string CopyOfSetup(const std::string& folder)
{
    // Creates each level; existing ones are fine.
    for (size_t at = folder.find('\\', 3); ; at = folder.find('\\', at + 1)) {
        CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
        if (at == std::string::npos) break;
    }
    std::string exe = folder + "\\setup.exe";
    EXPECT_TRUE(CopyFileA(SETUP_EXE, exe.c_str(), FALSE)) << exe;
    return exe;
}

void PressEscape(HWND dialog) { PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0); }
void CloseBox(HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

}  // namespace

TEST(Startup, ModeFollowsTheWholeArgumentIgnoringCase)
{
    const std::string exe = Quoted(SETUP_EXE);
    EXPECT_EQ(CaptionFor(exe), "Install Zevrin");
    EXPECT_EQ(CaptionFor(exe + " UNINSTALL"), "Uninstall Zevrin");
    EXPECT_EQ(CaptionFor(exe + " uninstall", PressEscape), "Uninstall Zevrin");
    EXPECT_EQ(CaptionFor(exe + " uninstall ", CloseBox), "Install Zevrin");
    EXPECT_EQ(CaptionFor(exe + " -uninstall"), "Install Zevrin");
    EXPECT_EQ(CaptionFor(exe + " uninstall x"), "Install Zevrin");
    EXPECT_EQ(CaptionFor(exe + "\t\tUninstall"), "Uninstall Zevrin");
}

TEST(Startup, QuotedPathWithBlanksAndEndingsByKeyAndCloseBox)
{
    const std::string exe = CopyOfSetup("C:\\zv tests\\folder with blanks");
    EXPECT_EQ(CaptionFor(Quoted(exe) + "  Uninstall", CloseBox), "Uninstall Zevrin");
    EXPECT_EQ(CaptionFor(Quoted(exe), PressEscape), "Install Zevrin");
    EXPECT_EQ(CaptionFor(Quoted(exe), CloseBox), "Install Zevrin");
}

TEST(Startup, SecondCopyExitsAtOnceWithoutAWindow)
{
    ChildProcess first;
    ASSERT_TRUE(first.Start(Quoted(SETUP_EXE) + " uninstall"));
    HWND dialog = WaitForDialog(first, kShowTimeout);
    ASSERT_NE(dialog, nullptr);

    for (const char* args : {"", " uninstall"}) {
        ChildProcess second;
        ASSERT_TRUE(second.Start(Quoted(SETUP_EXE) + args));
        EXPECT_EQ(second.WaitExit(kShowTimeout), 0) << "second copy with '" << args << "'; on screen:\n" << ShownWindows();
        EXPECT_EQ(CountWindows("Install Zevrin"), 0);
        EXPECT_EQ(CountWindows("Uninstall Zevrin"), 1);
    }
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(first.WaitExit(kShowTimeout), 0);

    // The guard is gone with the first copy: a new start shows its dialog again.
    EXPECT_EQ(CaptionFor(Quoted(SETUP_EXE)), "Install Zevrin");
}

TEST(Startup, DriveRootAndAVeryLongCommandLine)
{
    const std::string root = "C:\\setup.exe";
    ASSERT_TRUE(CopyFileA(SETUP_EXE, root.c_str(), FALSE));
    EXPECT_EQ(CaptionFor(root + " UNINSTALL"), "Uninstall Zevrin");
    DeleteFileA(root.c_str());

    std::string longLine = Quoted(SETUP_EXE) + " uninstall";
    longLine.append(30000, 'x');
    EXPECT_EQ(CaptionFor(longLine), "Install Zevrin");
    std::string odd = Quoted(SETUP_EXE) + " \"\xE9\x01\x7F%s%n$Windows$\"";
    EXPECT_EQ(CaptionFor(odd), "Install Zevrin");
}

TEST(Startup, ModulePathAtAndBeyondMaxPath)
{
    // The longest path an ANSI program can be started from: 259 characters and the zero.
    std::string folder = "C:\\zv tests\\long";
    while (folder.size() + 1 + 36 < MAX_PATH - 11) folder += "\\abcdefghijklmnopqrstuvwxyz0123456789";
    folder += "\\" + std::string(MAX_PATH - 1 - 10 - folder.size() - 1, 'p');
    const std::string exe = CopyOfSetup(folder);
    ASSERT_EQ(exe.size(), static_cast<size_t>(MAX_PATH - 1));
    EXPECT_EQ(CaptionFor(Quoted(exe) + " uninstall"), "Uninstall Zevrin");

    // Beyond MAX_PATH only the wide \\?\ form can even hold the file.
    std::wstring wide = L"\\\\?\\" + std::wstring(folder.begin(), folder.end());
    while (wide.size() < 320) {
        wide += L"\\qrstuvwxyz0123456789";
        CreateDirectoryW(wide.c_str(), nullptr);
    }
    wide += L"\\setup.exe";
    const std::string source = SETUP_EXE;
    ASSERT_TRUE(CopyFileW(std::wstring(source.begin(), source.end()).c_str(), wide.c_str(), FALSE));
    std::wstring line = L"\"" + wide + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        GTEST_SKIP() << "CreateProcessW refuses a program path of " << wide.size()
                     << " characters, as Windows does for programs that are not long-path aware";
    CloseHandle(info.hThread);
    ChildProcess setup;
    setup.process = info.hProcess;
    setup.id = info.dwProcessId;
    HWND dialog = WaitForDialog(setup, kShowTimeout);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), "Install Zevrin");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(setup.WaitExit(kShowTimeout), 0);
}

namespace {

// Where setup.exe keeps its stack canary, from the link's map, relative to the image base.
DWORD GuardOffset()
{
    const std::string map = ReadTextFile(SETUP_MAP);
    // The symbol itself, not the x86-64 code's pointer to it (".refptr.__stack_chk_guard").
    const size_t name = map.find(" __stack_chk_guard\n");
    const size_t at = name == std::string::npos ? name : map.rfind("0x", name);
    if (at == std::string::npos) return 0;
    const unsigned long long address = strtoull(map.c_str() + at, nullptr, 16);
    const unsigned long long base = sizeof(void*) == 8 ? 0x140000000ull : 0x400000ull;
    return static_cast<DWORD>(address - base);
}

// The canary of a running setup.exe, read from its memory, or 0.
uintptr_t* GuardIn(HANDLE process, uintptr_t* value)
{
    HMODULE module = nullptr;
    DWORD needed;
    if (!EnumProcessModules(process, &module, sizeof module, &needed) || !module) return nullptr;
    auto* at = reinterpret_cast<uintptr_t*>(reinterpret_cast<BYTE*>(module) + GuardOffset());
    SIZE_T got = 0;
    return ReadProcessMemory(process, at, value, sizeof *value, &got) && got == sizeof *value ? at : nullptr;
}

// Changes the last letter of `name` where it stands in a running program's image, so that its
// look-up of the function finds none, as on a Windows that lacks it.
bool HideNameIn(HANDLE process, const std::string& name)
{
    HMODULE module = nullptr;
    DWORD needed;
    MODULEINFO info = {};
    if (!EnumProcessModules(process, &module, sizeof module, &needed) || !GetModuleInformation(process, module, &info, sizeof info))
        return false;
    std::string image(info.SizeOfImage, '\0');
    SIZE_T got = 0;
    ReadProcessMemory(process, info.lpBaseOfDll, &image[0], image.size(), &got);
    const size_t at = image.find(name + '\0');
    const char changed = 'X';
    return at != std::string::npos &&
           WriteProcessMemory(process, static_cast<char*>(info.lpBaseOfDll) + at + name.size() - 1, &changed, 1, &got);
}

// Follows a process as its debugger until it ends: whether it raised the fail-fast exception
// (the one a debugger and Windows Error Reporting are told of; TerminateProcess raises none)
// and its exit code.
void FollowToItsEnd(DWORD processId, bool* failFast, DWORD* exitCode)
{
    DEBUG_EVENT event;
    while (WaitForDebugEvent(&event, 30000)) {
        DWORD status = DBG_CONTINUE;
        if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT && event.u.CreateProcessInfo.hFile)
            CloseHandle(event.u.CreateProcessInfo.hFile);
        if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT && event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
        if (event.dwDebugEventCode == EXCEPTION_DEBUG_EVENT) {
            const DWORD code = event.u.Exception.ExceptionRecord.ExceptionCode;
            if (code == STATUS_STACK_BUFFER_OVERRUN) *failFast = true;
            if (code != EXCEPTION_BREAKPOINT) status = DBG_EXCEPTION_NOT_HANDLED;
        }
        const bool ended = event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT;
        if (ended) *exitCode = event.u.ExitProcess.dwExitCode;
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
        if (ended) break;
    }
    DebugActiveProcessStop(processId);
}

}  // namespace

// The stack canary is seeded at the entry point, differently each run; a frame found smashed
// ends the process at once with STATUS_STACK_BUFFER_OVERRUN, through the fail-fast interrupt
// where the system reports it (Windows 8 and later; Wine 8 too), by TerminateProcess where it
// does not (the third run, whose look-up of IsProcessorFeaturePresent finds none, as on 95).
// The smash is made by changing the canary while WinMain's frame, which holds the old one,
// waits for the dialog to end.
TEST(Startup, TheStackCanaryIsSeededAndASmashedFrameEndsTheProcess)
{
    ASSERT_NE(GuardOffset(), 0u) << "no canary in " SETUP_MAP;
    uintptr_t seen[3] = {};
    for (int run = 0; run < 3; ++run) {
        ChildProcess setup;
        ASSERT_TRUE(setup.Start(Quoted(SETUP_EXE)));
        HWND dialog = WaitForDialog(setup, kShowTimeout);
        ASSERT_NE(dialog, nullptr);
        uintptr_t* at = GuardIn(setup.process, &seen[run]);
        ASSERT_NE(at, nullptr);
        EXPECT_NE(seen[run], 0u) << "run " << run;
        if (run == 0) {
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            EXPECT_EQ(setup.WaitExit(kShowTimeout), 0);
            continue;
        }
        if (run == 2) {
            ASSERT_TRUE(HideNameIn(setup.process, "IsProcessorFeaturePresent"));
        }
        const uintptr_t smashed = seen[run] ^ 0x5A5A;
        SIZE_T written = 0;
        ASSERT_TRUE(WriteProcessMemory(setup.process, at, &smashed, sizeof smashed, &written));
        ASSERT_TRUE(DebugActiveProcess(setup.id));
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        bool failFast = false;
        DWORD exitCode = 0;
        FollowToItsEnd(setup.id, &failFast, &exitCode);
        EXPECT_EQ(exitCode, static_cast<DWORD>(STATUS_STACK_BUFFER_OVERRUN));
        typedef BOOL(WINAPI * FeaturePresent)(DWORD);
        const auto present = reinterpret_cast<FeaturePresent>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsProcessorFeaturePresent")));
        EXPECT_EQ(failFast, run == 1 && present && present(23 /* PF_FASTFAIL_AVAILABLE */)) << "the fail-fast interrupt where available";
    }
    EXPECT_NE(seen[0], seen[1]) << "the same canary in two runs";
}
