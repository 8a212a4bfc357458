// A DLL that stands in for the product's libraries in the demo payload (zvhook20.dll, pdh.dll,
// psapi.dll): the installer only copies it.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
