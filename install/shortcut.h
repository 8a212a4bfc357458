#pragma once

// Result codes of CreateShortcut: 0 on success, the step that failed otherwise.
constexpr int kShortcutOk = 0;
constexpr int kShortcutCreateFailed = 2;
constexpr int kShortcutSetPathFailed = 3;
constexpr int kShortcutSetArgumentsFailed = 4;
constexpr int kShortcutNoPersistFile = 5;
constexpr int kShortcutSaveFailed = 6;
constexpr int kShortcutRefused = 7;

class HeldFolder;
class TextBuffer;

// Writes one shell link through the shell-link COM object, into `folder`, which holds the
// folder the link's path names. iconPath, arguments and workingFolder may be null and hotkey 0
// (not set). The link's path is put together from folders setup read: it is refused
// (kShortcutRefused) before anything is written when it holds a zero byte, which would end it
// early; and so is a save whose file, opened in the held folder, fails its check (a reparse
// point or a hard link, through which the save would overwrite whatever file its owner chose,
// or a file that resolves outside the folder), or an earlier link that could not be rewritten
// whole. A new link whose bytes did not all fit is removed again: kShortcutSaveFailed.
int CreateShortcut(HeldFolder& folder, const TextBuffer& linkPath, const char* targetPath, const char* iconPath,
                   int iconIndex, const char* arguments, const char* workingFolder, unsigned short hotkey);
