#pragma once
// Process-wide state shared by every part of the program. Only start-up writes ModuleInstance,
// SourceFolder and CurrentDialog; only the install sequence writes DestinationFolder.
#include <windows.h>

#include "base/text_buffer.h"

extern HINSTANCE ModuleInstance;
extern TextBuffer SourceFolder;       // folder of the running setup.exe, ending in a backslash
extern TextBuffer DestinationFolder;  // folder to install into; empty until the first OK
extern HWND CurrentDialog;            // the dialog on screen; never cleared once set
