#pragma once
// One launcher for all that setup starts on the user's behalf: the product at the end of an
// install, the ReadMe and License files, the source folder in Explorer.
//
// On Vista to 11 a program named setup.exe without a manifest is started as administrator, and
// whatever it starts with ShellExecuteA gets its token: the product's first run, its macros and
// hooks, and the text viewer, whose File Open dialog starts anything. So when setup's token is
// elevated and the user's shell is running, the desktop's shell dispatch object is asked to
// start it: the shell's own process starts it, with the rights of the user's shell. Otherwise,
// and wherever that road fails, ShellExecuteA as always.
struct HWND__;

// `file` is relative to the source folder (setup's current folder) or a full path; `verb`,
// `arguments` and `folder` may be null. The shell, whose current folder is its own, is given a
// relative `file` made full.
void StartForUser(HWND__* owner, const char* verb, const char* file, const char* arguments, const char* folder);
