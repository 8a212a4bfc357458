#pragma once
// Drives a running setup.exe from outside, as a user would: its dialog's edit box, check boxes
// and buttons, and every message box it shows (read, then answered by its buttons).
#include <windows.h>

#include <string>

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
