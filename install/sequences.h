#pragma once
#include <windows.h>

// The whole installation, from the install dialog's OK. True when it ran to its end.
bool RunInstall();
// The whole uninstallation, from the uninstall dialog's OK. Always runs to its end.
void RunUninstall();

// The OK commands of the two dialogs.
void InstallCommand(HWND window);
void UninstallCommand(HWND window);
