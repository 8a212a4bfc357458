#include "tests/win/process.h"

#include <tlhelp32.h>

#include <vector>

bool ChildProcess::Start(const std::string& commandLine, const char* directory)
{
    Close();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, directory, &startup, &info))
        return false;
    CloseHandle(info.hThread);
    process = info.hProcess;
    id = info.dwProcessId;
    return true;
}

long ChildProcess::WaitExit(DWORD milliseconds)
{
    if (!process || WaitForSingleObject(process, milliseconds) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return static_cast<long>(code);
}

void ChildProcess::Close()
{
    // A process a test started does not outlive it: a setup.exe left waiting would hold the
    // single-instance guard, so that every later one exits at once, and, like any program left
    // running, keep the test runner waiting for the output it shares until its own time limit.
    if (process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process, 9);
        WaitForSingleObject(process, 5000);
    }
    if (process) CloseHandle(process);
    process = nullptr;
    id = 0;
}

namespace {

struct Search {
    DWORD processId;
    HWND except;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param)
{
    Search* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && window != search->except && IsWindowVisible(window) &&
        ClassOf(window) == "#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

struct Count {
    const char* caption;
    int count;
};

BOOL CALLBACK CountCaption(HWND window, LPARAM param)
{
    Count* count = reinterpret_cast<Count*>(param);
    if (IsWindowVisible(window) && WindowText(window) == count->caption) ++count->count;
    return TRUE;
}

}  // namespace

HWND FindDialogOf(DWORD processId, HWND except)
{
    Search search = {processId, except, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > milliseconds) return false;
        Sleep(20);
    }
    return true;
}

HWND WaitForDialog(const ChildProcess& child, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    // The dialog exists once the new process first waits for input.
    WaitForInputIdle(child.process, milliseconds);
    for (;;) {
        if (HWND dialog = FindDialogOf(child.id)) return dialog;
        if (GetTickCount() - start > milliseconds) return nullptr;
        // Wakes early when the process ends instead of showing a dialog.
        if (WaitForSingleObject(child.process, 20) == WAIT_OBJECT_0) return nullptr;
    }
}

std::string WindowText(HWND window)
{
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string ShownWindows()
{
    std::string shown;
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            char text[1024] = {};
            GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
            if (IsWindowVisible(window)) *reinterpret_cast<std::string*>(param) += "[" + WindowText(window) + "] " + text + "\n";
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&shown));
    return shown.empty() ? "no window\n" : shown;
}

int CountWindows(const char* caption)
{
    Count count = {caption, 0};
    EnumWindows(CountCaption, reinterpret_cast<LPARAM>(&count));
    return count.count;
}

int EndChildrenOf(DWORD parentId, const char* exeName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    int ended = 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if ((parentId && entry.th32ParentProcessID != parentId) || lstrcmpiA(entry.szExeFile, exeName) != 0) continue;
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
        if (!process) continue;
        if (TerminateProcess(process, 0)) ++ended;
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return ended;
}

HWND MakeStandInDialog(const char* className, WNDPROC procedure)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, className, "Install Zevrin", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

void DiscardMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}
