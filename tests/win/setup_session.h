#pragma once
// Drives a running setup.exe from outside, as a user would: its dialog's edit box, check boxes
// and buttons, and every message box it shows (read, then answered by its buttons).
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/win/process.h"

struct MessageBoxSeen {
    std::string caption;
    std::string text;
    bool yesNo = false;
    HWND window = nullptr;
};

class SetupSession {
public:
    enum Event { Box, Ready, Exited, TimedOut };

    bool Start(const std::string& commandLine, const char* directory = nullptr);
    HWND Dialog() const { return dialog_; }
    void SetDestination(const std::string& text);
    void SetBox(int id, bool ticked);
    // Presses OK; Next then reports the message boxes and, after a run that stopped early,
    // Ready (the dialog enabled again with its OK button reading "Retry").
    void PressOk();
    Event Next(DWORD milliseconds, MessageBoxSeen* box);
    void Answer(const MessageBoxSeen& box, int button);
    long WaitExit(DWORD milliseconds) { return process_.WaitExit(milliseconds); }
    ChildProcess& Process() { return process_; }

private:
    ChildProcess process_;
    HWND dialog_ = nullptr;
};

// Asks a running product stand-in to close and waits for its process to end.
void CloseProductStandIn();

// Opens a file through the shell with a verb (null: its default), as Explorer does, waits for
// the product stand-in it starts to show its window, and closes it. False when the shell
// refused or no stand-in came up. (Wine's shell hands back no process for a link.)
bool OpenThroughShell(const char* verb, const std::string& file);

struct InstallOutcome {
    std::vector<MessageBoxSeen> boxes;
    SetupSession::Event last = SetupSession::TimedOut;
    long exitCode = -1;
};

// Runs one install with the setup.exe at `setupExe`: sets the destination and the boxes
// ({control id, ticked}), presses OK and answers the message boxes in turn (OK for a plain box,
// `yesNoAnswers` in order for questions, No when they run out). `beforeAnswer`, when given, sees
// each box first; returning false stops driving there and leaves the process as it is. Ends
// when the process ends, or when the dialog is back for a retry (then cancelled, unless
// retryThenCancel is false).
InstallOutcome DriveInstall(const std::string& setupExe, const std::string& destination, std::vector<int> yesNoAnswers = {},
                            bool retryThenCancel = true, const std::vector<std::pair<int, bool>>& boxes = {},
                            const std::function<bool(const MessageBoxSeen&, SetupSession&)>& beforeAnswer = nullptr);

// Runs one uninstall as the user would: starts the command line, presses OK and answers the
// closing question with `answer`. Returns the exit code; -1 when no dialog came up, -2 when no
// question followed OK.
long DriveUninstall(const std::string& commandLine, int answer = IDNO);

// The captions and texts of the boxes, one line each, for failure messages.
std::string BoxTexts(const std::vector<MessageBoxSeen>& boxes);
