#pragma once
// Real files and folders for the file tests: made, stamped, read back and removed.
#include <windows.h>

#include <map>
#include <string>

#include "tests/win/dialog_automation.h"

// Links are left where they are, and never gone through.
void RemoveTree(const std::string& path);
void MakeFolder(const std::string& path);
// Writes the file and sets its last-write time (a FILETIME value) when `stamp` is not 0.
void WriteTextFile(const std::string& path, const std::string& content, ULONGLONG stamp = 0);
std::string ReadTextFile(const std::string& path);
bool FileExists(const std::string& path);
// Copies the files (not the subfolders) of one folder into another, made if missing.
void CopyFolderFiles(const std::string& from, const std::string& to);
bool FolderExists(const std::string& path);
// Every file below a folder, subfolders included: its path relative to the folder -> its bytes.
std::map<std::string, std::string> ReadTree(const std::string& folder);

// Cancels any dialog box that becomes active on this thread while it lives, and counts them:
// a confirmation or error window that nobody answers would otherwise hang the test.
class UnexpectedDialogs {
public:
    UnexpectedDialogs();
    UnexpectedDialogs(const UnexpectedDialogs&) = delete;
    UnexpectedDialogs& operator=(const UnexpectedDialogs&) = delete;
    int Count() const { return count_; }
    std::string Texts() const { return texts_; }

private:
    int count_ = 0;
    std::string texts_;
    DialogWatcher watcher_;
};
