// A DLL to plant beside a program: loading it leaves the file "planted-dll-ran.txt" in its own
// folder, so the test sees whether the program ran this code.
#include <windows.h>

#include <string.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        char mark[MAX_PATH + 32] = {};
        GetModuleFileNameA(self, mark, MAX_PATH);
        char* slash = strrchr(mark, '\\');
        if (slash) {
            strcpy(slash + 1, "planted-dll-ran.txt");
            HANDLE file = CreateFileA(mark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        }
    }
    return TRUE;
}
