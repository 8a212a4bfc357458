#pragma once
#include <windows.h>

INT_PTR CALLBACK InstallDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK UninstallDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The install dialog's initial contents: proposed destination, five ticked options, notes.
void FillInstallDialog(HWND window);
