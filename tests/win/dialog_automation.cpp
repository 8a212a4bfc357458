#include "tests/win/dialog_automation.h"

#include "tests/win/process.h"

namespace {

std::function<void(HWND)> pendingAction;
HHOOK hook;
const UINT_PTR kActionTimer = 0x7A01;

void CALLBACK RunAction(HWND window, UINT, UINT_PTR id, DWORD)
{
    KillTimer(window, id);
    std::function<void(HWND)> action;
    action.swap(pendingAction);
    if (action) action(window);
}

LRESULT CALLBACK WatchActivation(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (ClassOf(window) == "#32770") {
            UnhookWindowsHookEx(hook);
            hook = nullptr;
            SetTimer(window, kActionTimer, 0, RunAction);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void WhenNextDialogShows(std::function<void(HWND)> action)
{
    pendingAction = std::move(action);
    if (!hook) hook = SetWindowsHookExA(WH_CBT, WatchActivation, nullptr, GetCurrentThreadId());
}
