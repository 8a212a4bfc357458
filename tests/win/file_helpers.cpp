#include "tests/win/file_helpers.h"

#include "tests/win/process.h"

void RemoveTree(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            const std::string full = path + "\\" + name;
            // A link is the test's to remove (fault-drive unlink): going through it would
            // empty what it points to, and Wine deletes a linked file's target.
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

void MakeFolder(const std::string& path)
{
    for (size_t at = path.find('\\', 3);; at = path.find('\\', at + 1)) {
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
        if (at == std::string::npos) break;
    }
}

void WriteTextFile(const std::string& path, const std::string& content, ULONGLONG stamp)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    if (stamp) {
        FILETIME time;
        time.dwLowDateTime = static_cast<DWORD>(stamp);
        time.dwHighDateTime = static_cast<DWORD>(stamp >> 32);
        SetFileTime(file, nullptr, nullptr, &time);
    }
    CloseHandle(file);
}

std::string ReadTextFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string content;
    char chunk[4096];
    DWORD got;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got) content.append(chunk, got);
    CloseHandle(file);
    return content;
}

void CopyFolderFiles(const std::string& from, const std::string& to)
{
    MakeFolder(to);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((from + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            CopyFileA((from + "\\" + entry.cFileName).c_str(), (to + "\\" + entry.cFileName).c_str(), FALSE);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

bool FileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

void ReadTreeInto(const std::string& folder, const std::string& prefix, std::map<std::string, std::string>* out)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ReadTreeInto(folder + "\\" + name, prefix + name + "\\", out);
        else
            (*out)[prefix + name] = ReadTextFile(folder + "\\" + name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

}  // namespace

std::map<std::string, std::string> ReadTree(const std::string& folder)
{
    std::map<std::string, std::string> files;
    ReadTreeInto(folder, "", &files);
    return files;
}

UnexpectedDialogs::UnexpectedDialogs()
    : watcher_([this](HWND box) {
          ++count_;
          texts_ += WindowText(box) + ": " + MessageBoxText(box) + "\n";
          PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
          PostMessageA(box, WM_CLOSE, 0, 0);
      })
{
}
