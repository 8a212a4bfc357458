#pragma once
#include <windows.h>

// Windows NT major version, 0 until the install sequence has looked (and on other platforms).
extern int NtMajorVersion;

// The whole installation, from the install dialog's OK. True when it ran to its end.
bool RunInstall();
// The whole uninstallation, from the uninstall dialog's OK. Always runs to its end.
void RunUninstall();

// The OK commands of the two dialogs.
void InstallCommand(HWND window);
void UninstallCommand(HWND window);
