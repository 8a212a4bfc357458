#pragma once
// Command-line handling that does not need the platform, so that it is tested natively.

// Returns the arguments of a full command line: the text after the program name and the blanks
// that follow it. Each double quote toggles a quoted stretch, in which blanks belong to the name;
// every byte from 1 to 32 is a blank. Blanks at the end stay part of the arguments.
const char* SkipProgramName(const char* commandLine);

// True when the arguments are exactly "uninstall", ignoring the case of ASCII letters only.
bool IsUninstallArgument(const char* arguments);
