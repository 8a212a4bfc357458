#include "install/file_finder.h"

#include <windows.h>

#include "paths/special_folders.h"

namespace {

HANDLE search = INVALID_HANDLE_VALUE;
WIN32_FIND_DATAA found;

bool Accepts(int kind)
{
    const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (kind == 0) return !folder;
    if (kind == 1) return folder;
    return true;
}

void CloseSearch()
{
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    search = INVALID_HANDLE_VALUE;
}

}  // namespace

const char* FindFile(const char* name, int kind)
{
    if (name && *name) {
        CloseSearch();
        TextBuffer expanded;
        const char* pattern = (*name == '%' || *name == '$') ? ExpandPathTokens(expanded, name) : name;
        search = FindFirstFileA(pattern ? pattern : "", &found);
        if (search == INVALID_HANDLE_VALUE) return nullptr;
        if (Accepts(kind)) return found.cFileName;
    } else if (search == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    for (;;) {
        if (!FindNextFileA(search, &found)) {
            CloseSearch();
            return nullptr;
        }
        if (Accepts(kind)) return found.cFileName;
    }
}

bool PathExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

// What FilesDiffer compares: last-write time and the low 32 bits of the size.
struct FoundStamp {
    DWORD writeLow, writeHigh, sizeLow;
};

FoundStamp LastFoundStamp()
{
    return {found.ftLastWriteTime.dwLowDateTime, found.ftLastWriteTime.dwHighDateTime, found.nFileSizeLow};
}

}  // namespace

bool FilesDiffer(const char* first, const char* second)
{
    if (!FindFile(first, 0)) return true;
    const FoundStamp a = LastFoundStamp();
    if (!FindFile(second, 0)) return true;
    const FoundStamp b = LastFoundStamp();
    return a.writeLow != b.writeLow || a.writeHigh != b.writeHigh || a.sizeLow != b.sizeLow;
}
