#pragma once
// Reads a shell link back through the shell-link object itself.
#include <windows.h>

#include <string>

struct LinkContents {
    std::string path, arguments, workingFolder, iconPath;
    int iconIndex = -1;
    WORD hotkey = 0xFFFF;
    bool loaded = false;
};

LinkContents ReadLink(const std::string& linkPath);
