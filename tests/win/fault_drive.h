#pragma once
// scripts/fault-drive, started from the fault and planted-file tests (the one test program
// built with FAULT_DRIVE and FAULT_MOUNT): tmpfs drives, renames behind Wine's back, and
// symbolic links as any program of the user's can make them.
#include <windows.h>

#include <stdlib.h>

#include <string>

#include "tests/win/file_helpers.h"
#include "tests/win/process.h"

inline const std::string kMountUnix = FAULT_MOUNT;

// Runs scripts/fault-drive with the arguments; its exit status, or -1. A Linux program started
// from Wine runs detached, so its end is seen as its status file appearing, waited for through
// a change notification on the folder.
inline long FaultDrive(const std::string& arguments)
{
    const std::string statusUnix = kMountUnix + "-status";
    std::string statusFolder = "Z:" + statusUnix;
    for (char& c : statusFolder) c = c == '/' ? '\\' : c;
    CreateDirectoryA(statusFolder.c_str(), nullptr);
    const std::string status = statusFolder + "\\status";
    DeleteFileA(status.c_str());
    HANDLE change = FindFirstChangeNotificationA(statusFolder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    ChildProcess script;
    const bool started = script.Start("\"" FAULT_DRIVE "\" --status \"" + statusUnix + "/status\" " + arguments);
    for (int second = 0; started && second < 60 && !FileExists(status); ++second) {
        if (WaitForSingleObject(change, 1000) == WAIT_OBJECT_0) FindNextChangeNotification(change);
    }
    if (change != INVALID_HANDLE_VALUE) FindCloseChangeNotification(change);
    const std::string text = ReadTextFile(status);
    return FileExists(status) ? atol(text.c_str()) : -1;
}

