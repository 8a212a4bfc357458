// A small console helper for scripts that run setup.exe under Wine. It waits on real events
// rather than sleeping:
//   driver show <program> [arguments]   start it, wait for its dialog, signal "zvdriver.ready",
//                                       wait for "zvdriver.go", press Cancel, exit with its code
//   driver wait <event> [ms]            wait until the named event is set (exit 1 on time-out)
//   driver signal <event>               set the named event
//   driver hold <file>                  open the file without sharing, set "zvdriver.held",
//                                       keep it open until "zvdriver.release" is set
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "tests/win/process.h"

namespace {

HANDLE Event(const char* name) { return CreateEventA(nullptr, TRUE, FALSE, name); }

int Show(int argc, char** argv)
{
    std::string line = "\"" + std::string(argv[2]) + "\"";
    for (int i = 3; i < argc; ++i) line += std::string(" ") + argv[i];
    ChildProcess child;
    if (!child.Start(line)) {
        fprintf(stderr, "driver: cannot start %s (error %lu)\n", argv[2], GetLastError());
        return 2;
    }
    HWND dialog = WaitForDialog(child, 30000);
    if (!dialog) {
        fprintf(stderr, "driver: no dialog appeared\n");
        return 3;
    }
    printf("dialog: %s\n", WindowText(dialog).c_str());
    fflush(stdout);
    HANDLE ready = Event("zvdriver.ready");
    HANDLE go = Event("zvdriver.go");
    SetEvent(ready);
    WaitForSingleObject(go, 120000);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    const long code = child.WaitExit(30000);
    CloseHandle(ready);
    CloseHandle(go);
    return static_cast<int>(code);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && !strcmp(argv[1], "show")) return Show(argc, argv);
    if (argc >= 3 && !strcmp(argv[1], "wait")) {
        HANDLE event = Event(argv[2]);
        const DWORD ms = argc >= 4 ? static_cast<DWORD>(atol(argv[3])) : 60000;
        const bool set = WaitForSingleObject(event, ms) == WAIT_OBJECT_0;
        CloseHandle(event);
        return set ? 0 : 1;
    }
    if (argc >= 3 && !strcmp(argv[1], "signal")) {
        HANDLE event = Event(argv[2]);
        SetEvent(event);
        CloseHandle(event);
        return 0;
    }
    if (argc >= 3 && !strcmp(argv[1], "hold")) {
        HANDLE file = CreateFileA(argv[2], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 2;
        HANDLE held = Event("zvdriver.held");
        HANDLE release = Event("zvdriver.release");
        SetEvent(held);
        WaitForSingleObject(release, 60000);
        CloseHandle(file);
        CloseHandle(held);
        CloseHandle(release);
        return 0;
    }
    fprintf(stderr, "usage: driver show <program> [args] | wait <event> [ms] | signal <event> | hold <file>\n");
    return 2;
}
