// Reference for the install benchmark: copies every file of a folder with CopyFileA in a loop.
#include <windows.h>

#include <string>

int main(int argc, char** argv)
{
    if (argc < 3) return 2;
    const std::string from = argv[1], to = argv[2];
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((from + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return 1;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        CopyFileA((from + "\\" + entry.cFileName).c_str(), (to + "\\" + entry.cFileName).c_str(), FALSE);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return 0;
}
