#include "tests/win/dialog_automation.h"

#include <algorithm>
#include <map>
#include <vector>

#include "tests/win/process.h"

namespace {

std::vector<DialogWatcher*> watchers;
std::function<void(HWND)> next;
std::map<HWND, std::function<void(HWND)>> due;  // actions waiting for their box's timer
HHOOK hook;

void HookWhileWanted();

void CALLBACK RunAction(HWND box, UINT, UINT_PTR id, DWORD)
{
    KillTimer(box, id);
    std::function<void(HWND)> action;
    action.swap(due[box]);
    due.erase(box);
    if (action) action(box);
}

LRESULT CALLBACK WatchActivation(int code, WPARAM wParam, LPARAM lParam)
{
    HWND box = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && ClassOf(box) == "#32770" && !due.count(box)) {
        std::function<void(HWND)> action;
        action.swap(next);
        for (auto it = watchers.rbegin(); !action && it != watchers.rend(); ++it)
            if ((*it)->except != box) action = (*it)->action;
        if (action) {
            due[box] = std::move(action);
            SetTimer(box, 0x7A01, 0, RunAction);
        }
        HookWhileWanted();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void HookWhileWanted()
{
    const bool wanted = !watchers.empty() || next;
    if (wanted && !hook) hook = SetWindowsHookExA(WH_CBT, WatchActivation, nullptr, GetCurrentThreadId());
    if (!wanted && hook && UnhookWindowsHookEx(hook)) hook = nullptr;
}

}  // namespace

DialogWatcher::DialogWatcher(std::function<void(HWND)> onBox, HWND skip) : action(std::move(onBox)), except(skip)
{
    watchers.push_back(this);
    HookWhileWanted();
}

DialogWatcher::~DialogWatcher()
{
    watchers.erase(std::remove(watchers.begin(), watchers.end(), this), watchers.end());
    HookWhileWanted();
}

void WhenNextDialogShows(std::function<void(HWND)> action)
{
    next = std::move(action);
    HookWhileWanted();
}

std::string MessageBoxText(HWND box)
{
    char text[4096] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}
