#pragma once
#include <windows.h>

// The install dialog's initial contents: proposed destination, five ticked options, notes.
void FillInstallDialog(HWND window);
