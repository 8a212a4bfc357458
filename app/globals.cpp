#include "app/globals.h"

HINSTANCE ModuleInstance;
TextBuffer SourceFolder;
TextBuffer DestinationFolder;
HWND CurrentDialog;
