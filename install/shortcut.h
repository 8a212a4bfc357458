#pragma once

// Result codes of CreateShortcut: 0 on success, the step that failed otherwise.
constexpr int kShortcutOk = 0;
constexpr int kShortcutCreateFailed = 2;
constexpr int kShortcutSetPathFailed = 3;
constexpr int kShortcutSetArgumentsFailed = 4;
constexpr int kShortcutNoPersistFile = 5;
constexpr int kShortcutSaveFailed = 6;

// Writes one shell link through the shell-link COM object. iconPath, arguments and
// workingFolder may be null and hotkey 0 (not set). The link's folder must exist.
int CreateShortcut(const char* linkPath, const char* targetPath, const char* iconPath, int iconIndex,
                   const char* arguments, const char* workingFolder, unsigned short hotkey);
