#include "tests/win/dialog_automation.h"

#include <map>
#include <vector>

#include "tests/win/process.h"

struct DialogWatchers {
    static std::vector<DialogWatcher*>& Stack()
    {
        static std::vector<DialogWatcher*> stack;
        return stack;
    }
    static std::function<void(HWND)>& Next()
    {
        static std::function<void(HWND)> next;
        return next;
    }
    // Actions waiting for their box's timer, by box.
    static std::map<HWND, std::function<void(HWND)>>& Due()
    {
        static std::map<HWND, std::function<void(HWND)>> due;
        return due;
    }
    static HHOOK& Hook()
    {
        static HHOOK hook;
        return hook;
    }
    static void Update()
    {
        const bool wanted = !Stack().empty() || Next();
        if (wanted && !Hook()) Hook() = SetWindowsHookExA(WH_CBT, Watch, nullptr, GetCurrentThreadId());
        if (!wanted && Hook()) {
            UnhookWindowsHookEx(Hook());
            Hook() = nullptr;
        }
    }
    static void CALLBACK Run(HWND box, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(box, id);
        auto found = Due().find(box);
        if (found == Due().end()) return;
        std::function<void(HWND)> action;
        action.swap(found->second);
        Due().erase(found);
        if (action) action(box);
    }
    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam)
    {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE && ClassOf(window) == "#32770" && !Due().count(window)) {
            std::function<void(HWND)> action;
            if (Next()) {
                action.swap(Next());
            } else {
                for (auto it = Stack().rbegin(); it != Stack().rend(); ++it) {
                    if ((*it)->except_ == window) continue;
                    action = (*it)->action_;
                    break;
                }
            }
            if (action) {
                Due()[window] = std::move(action);
                SetTimer(window, 0x7A01, 0, Run);
            }
            Update();
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

DialogWatcher::DialogWatcher(std::function<void(HWND)> action, HWND except)
    : action_(std::move(action)), except_(except)
{
    DialogWatchers::Stack().push_back(this);
    DialogWatchers::Update();
}

DialogWatcher::~DialogWatcher()
{
    auto& stack = DialogWatchers::Stack();
    for (auto it = stack.begin(); it != stack.end(); ++it) {
        if (*it == this) {
            stack.erase(it);
            break;
        }
    }
    DialogWatchers::Update();
}

void WhenNextDialogShows(std::function<void(HWND)> action)
{
    DialogWatchers::Next() = std::move(action);
    DialogWatchers::Update();
}

std::string MessageBoxText(HWND box)
{
    char text[4096] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}
