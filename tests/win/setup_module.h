#pragma once
// The release setup.exe, mapped as a data file, so that tests read its resources as shipped.
#include <windows.h>

HMODULE SetupModule();
// The raw dialog template of the release build, or null.
const void* SetupDialogTemplate(int id);
