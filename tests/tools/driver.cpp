// A small console helper for scripts that run setup.exe under Wine. It waits on real events
// rather than sleeping:
//   driver show <program> [arguments]   start it, wait for its dialog, signal "zvdriver.ready",
//                                       wait for "zvdriver.go", press Cancel, exit with its code
//   driver wait <event> [ms]            wait until the named event is set (exit 1 on time-out)
//   driver signal <event>               set the named event
//   driver install <setup.exe> <destination|->
//                                       fill in the install dialog (- keeps its proposal), signal "zvdriver.ready" and
//                                       wait for "zvdriver.go" (for a screenshot), press OK,
//                                       print and answer every message box (OK, Yes)
//   driver uninstall <setup.exe>        press OK in the uninstall dialog and answer No
//   driver links <folder>               print each link in the folder with its target
//   driver hold <file>                  open the file without sharing, set "zvdriver.held",
//                                       keep it open until "zvdriver.release" is set
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "tests/win/link_reader.h"
#include "tests/win/process.h"
#include "tests/win/setup_session.h"

namespace {

HANDLE Event(const char* name) { return CreateEventA(nullptr, TRUE, FALSE, name); }

// Sets one named event and waits for another: how the driver and a script take turns.
void HandOver(const char* signal, const char* waitFor, DWORD milliseconds)
{
    HANDLE done = Event(signal);
    HANDLE next = Event(waitFor);
    SetEvent(done);
    WaitForSingleObject(next, milliseconds);
    CloseHandle(done);
    CloseHandle(next);
}

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
    HandOver("zvdriver.ready", "zvdriver.go", 120000);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return static_cast<int>(child.WaitExit(30000));
}

int Drive(const char* setupExe, const char* arguments, const char* destination, int answerToQuestions)
{
    SetupSession setup;
    if (!setup.Start("\"" + std::string(setupExe) + "\"" + arguments)) {
        fprintf(stderr, "driver: setup.exe showed no dialog\n");
        return 2;
    }
    printf("dialog: %s\n", WindowText(setup.Dialog()).c_str());
    if (destination && strcmp(destination, "-") != 0) setup.SetDestination(destination);
    fflush(stdout);
    HandOver("zvdriver.ready", "zvdriver.go", 120000);  // time for a screenshot
    setup.PressOk();
    for (;;) {
        MessageBoxSeen box;
        const SetupSession::Event event = setup.Next(120000, &box);
        if (event != SetupSession::Box) {
            if (event == SetupSession::Ready) {
                printf("the install stopped; the dialog offers Retry\n");
                PostMessageA(setup.Dialog(), WM_COMMAND, IDCANCEL, 0);
            }
            break;
        }
        printf("message box [%s]: %s\n  answered %s\n", box.caption.c_str(), box.text.c_str(),
               box.yesNo ? (answerToQuestions == IDYES ? "Yes" : "No") : "OK");
        fflush(stdout);
        setup.Answer(box, box.yesNo ? answerToQuestions : IDOK);
    }
    const long code = setup.WaitExit(60000);
    printf("setup.exe exited with code %ld\n", code);
    return static_cast<int>(code);
}

int Links(const char* folder)
{
    CoInitialize(nullptr);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((std::string(folder) + "\\*.lnk").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return 1;
    do {
        const LinkContents link = ReadLink(std::string(folder) + "\\" + entry.cFileName);
        printf("  %s -> %s %s (in %s)\n", entry.cFileName, link.path.c_str(), link.arguments.c_str(),
               link.workingFolder.c_str());
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    CoUninitialize();
    return 0;
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
    if (argc >= 4 && !strcmp(argv[1], "install")) return Drive(argv[2], "", argv[3], IDYES);
    if (argc >= 3 && !strcmp(argv[1], "uninstall")) return Drive(argv[2], " uninstall", nullptr, IDNO);
    if (argc >= 3 && !strcmp(argv[1], "links")) return Links(argv[2]);
    if (argc >= 3 && !strcmp(argv[1], "hold")) {
        HANDLE file = CreateFileA(argv[2], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 2;
        HandOver("zvdriver.held", "zvdriver.release", 60000);
        CloseHandle(file);
        return 0;
    }
    fprintf(stderr, "usage: driver show <program> [args] | wait <event> [ms] | signal <event> | install <setup> <folder> | uninstall <setup> | links <folder> | hold <file>\n");
    return 2;
}
