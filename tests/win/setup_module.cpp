#include "tests/win/setup_module.h"

HMODULE SetupModule()
{
    static HMODULE module = LoadLibraryExA(SETUP_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

const void* SetupDialogTemplate(int id)
{
    HRSRC found = FindResourceA(SetupModule(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(SetupModule(), found);
    return loaded ? LockResource(loaded) : nullptr;
}
