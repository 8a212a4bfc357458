// Stands in for the product (zv.exe) on the points setup.exe relies on: the mutex
// names::kProductMutex, a main window of class names::kProductWindowClass, and its answer to WM_CLOSE.
//
// Options, given on the command line after the product's own arguments or, one per line, in
// "zv-standin.cfg" beside the program:
//   --log=PATH        where to record (default: zv-standin.log beside the program)
//   --delay=MS|never  after WM_CLOSE, release the mutex and exit after MS ms (default 0);
//                     never: keep the mutex and the window
//   --block-close=MS  stay inside WM_CLOSE for MS ms before answering (a busy product)
//   --ignore-close    answer WM_CLOSE and carry on
//   --no-mutex        do not create the mutex
// Records: "start <command line>", "close wParam=<w> lParam=<l> sent=<0|1>", "released <tick>",
// "exit".
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "base/product_names.h"

namespace {

struct Options {
    std::string log;
    long delay = 0;  // -1: never
    long blockClose = 0;
    bool ignoreClose = false;
    bool noMutex = false;
} options;

HANDLE mutex;

void Record(const std::string& line)
{
    HANDLE file = CreateFileA(options.log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\r\n";
    DWORD written;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

void Apply(const std::string& word)
{
    if (word.rfind("--log=", 0) == 0) options.log = word.substr(6);
    else if (word == "--delay=never") options.delay = -1;
    else if (word.rfind("--delay=", 0) == 0) options.delay = atol(word.c_str() + 8);
    else if (word.rfind("--block-close=", 0) == 0) options.blockClose = atol(word.c_str() + 14);
    else if (word == "--ignore-close") options.ignoreClose = true;
    else if (word == "--no-mutex") options.noMutex = true;
}

std::string Beside(const char* name)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char* slash = strrchr(path, '\\');
    if (slash) slash[1] = 0;
    return std::string(path) + name;
}

void ReadOptions(const char* commandLine)
{
    options.log = Beside("zv-standin.log");
    if (FILE* cfg = fopen(Beside("zv-standin.cfg").c_str(), "r")) {
        char line[512];
        while (fgets(line, sizeof line, cfg)) {
            line[strcspn(line, "\r\n")] = 0;
            Apply(line);
        }
        fclose(cfg);
    }
    std::string word;
    for (const char* p = commandLine;; ++p) {
        if (*p && *p != ' ') {
            word += *p;
            continue;
        }
        if (!word.empty()) Apply(word);
        word.clear();
        if (!*p) break;
    }
}

const UINT_PTR kReleaseTimer = 1;

LRESULT CALLBACK ProductWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE: {
        char line[128];
        snprintf(line, sizeof line, "close wParam=%u lParam=%ld sent=%d", static_cast<unsigned>(wParam),
                 static_cast<long>(lParam), InSendMessage() ? 1 : 0);
        Record(line);
        if (options.blockClose) Sleep(static_cast<DWORD>(options.blockClose));
        if (options.ignoreClose || options.delay < 0) return 0;
        SetTimer(window, kReleaseTimer, static_cast<UINT>(options.delay), nullptr);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kReleaseTimer) {
            KillTimer(window, kReleaseTimer);
            if (mutex) ReleaseMutex(mutex);
            char line[64];
            snprintf(line, sizeof line, "released %llu", static_cast<unsigned long long>(GetTickCount64()));
            Record(line);
            DestroyWindow(window);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    ReadOptions(commandLine);
    Record(std::string("start ") + commandLine);
    if (!options.noMutex) mutex = CreateMutexA(nullptr, TRUE, names::kProductMutex);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ProductWindow;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = names::kProductWindowClass;
    RegisterClassA(&windowClass);
    CreateWindowExA(0, names::kProductWindowClass, "Zevrin 2", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 320, 200, nullptr, nullptr,
                    instance, nullptr);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Record("exit");
    if (mutex) CloseHandle(mutex);
    return 0;
}

