#include "tests/win/setup_module.h"

#include <stdlib.h>

// ZV_SETUP_RESOURCES names another build of setup.exe to read: the x86-64 test programs check
// the i686 release that way, since a data-file mapping does not care for the machine type.
HMODULE SetupModule()
{
    static HMODULE module = [] {
        const char* other = getenv("ZV_SETUP_RESOURCES");
        return LoadLibraryExA(other && *other ? other : SETUP_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }();
    return module;
}

const void* SetupDialogTemplate(int id)
{
    HRSRC found = FindResourceA(SetupModule(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(SetupModule(), found);
    return loaded ? LockResource(loaded) : nullptr;
}
