#pragma once

// Result codes of CreateShortcut.
enum {
    SHORTCUT_OK = 0,
    SHORTCUT_CREATE_FAILED = 2,
    SHORTCUT_SET_PATH_FAILED = 3,
    SHORTCUT_SET_ARGUMENTS_FAILED = 4,
    SHORTCUT_NO_PERSIST_FILE = 5,
    SHORTCUT_SAVE_FAILED = 6,
};

// Writes one shell link through the shell-link COM object. iconPath, arguments and
// workingFolder may be null and hotkey 0 (not set). The link's folder must exist.
int CreateShortcut(const char* linkPath, const char* targetPath, const char* iconPath, int iconIndex,
                   const char* arguments, const char* workingFolder, unsigned short hotkey);
