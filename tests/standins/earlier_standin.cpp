// Stands in for the product's earlier version: a top-level window of class names::kEarlierWindowClass,
// titled "Zevrin" unless --title=TEXT says otherwise. Records "message <n> sent=<0|1>" for
// WM_USER + 15 to --log=PATH and closes on it, or stays with --stay.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "base/product_names.h"

namespace {

std::string logPath = "earlier-standin.log";
bool stay;

void Record(const char* line)
{
    HANDLE file = CreateFileA(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(file, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
    WriteFile(file, "\r\n", 2, &written, nullptr);
    CloseHandle(file);
}

LRESULT CALLBACK EarlierWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER + 15) {
        char line[64];
        snprintf(line, sizeof line, "message %u sent=%d", message, InSendMessage() ? 1 : 0);
        Record(line);
        if (!stay) DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    std::string title = "Zevrin";
    const char* at = strstr(commandLine, "--title=");
    if (at) {
        title = at + 8;
        title = title.substr(0, title.find(" --"));
    }
    if ((at = strstr(commandLine, "--log="))) {
        logPath = at + 6;
        logPath = logPath.substr(0, logPath.find(' '));
    }
    stay = strstr(commandLine, "--stay") != nullptr;
    Record("start");

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = EarlierWindow;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = names::kEarlierWindowClass;
    RegisterClassA(&windowClass);
    CreateWindowExA(0, names::kEarlierWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                    instance, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Record("exit");
    return 0;
}

