#pragma once
// Starting programs and finding their dialogs, for tests and the script driver.
#include <windows.h>

#include <functional>
#include <string>

struct ChildProcess {
    HANDLE process = nullptr;
    DWORD id = 0;

    ChildProcess() = default;
    ~ChildProcess() { Close(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // commandLine is passed as is; the program name must be quoted by the caller if needed.
    bool Start(const std::string& commandLine, const char* directory = nullptr);
    // Waits for the process to end; returns its exit code, or -1 on time-out.
    long WaitExit(DWORD milliseconds);
    // Ends the process if it still runs, and lets go of it.
    void Close();
};

// The process's first visible top-level dialog other than `except`, or null.
HWND FindDialogOf(DWORD processId, HWND except = nullptr);
// Waits until the process has a visible top-level dialog and returns it, or null after the
// time-out or when the process ended first.
HWND WaitForDialog(const ChildProcess& child, DWORD milliseconds);
std::string WindowText(HWND window);
// Asks the condition every 20 ms until it holds or the time is up, and returns its last answer:
// for what another process makes that no event announces (a window, a file).
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds);
std::string ClassOf(HWND window);
// The visible top-level windows, one line each: "[caption] text", the text a message box's
// (its static control 0xFFFF): what was on screen when a wait ended otherwise than expected.
std::string ShownWindows();
// Number of visible top-level windows with this caption, in any process.
int CountWindows(const char* caption);

// Ends every process of this executable name (say "explorer.exe") whose parent was `parentId`
// (0: whatever its parent): a process that a test caused must not outlive it, or it keeps the
// runner's output open. Returns how many were ended.
int EndChildrenOf(DWORD parentId, const char* exeName);

// A hidden top-level window of this thread with its own class and procedure, captioned like the
// install dialog: a stand-in for CurrentDialog where a test needs no real dialog.
HWND MakeStandInDialog(const char* className, WNDPROC procedure);
// Takes every message waiting for this thread off its queue, undispatched.
void DiscardMessages();
