#pragma once
// Drives the dialog boxes of this very thread (class #32770): each one it activates is handed
// to an action from a zero-delay timer, so that the action runs inside the box's own modal loop.
// One hook serves every use below.
#include <windows.h>

#include <functional>
#include <string>

// While it lives, every dialog box this thread activates, other than `except`, goes to the
// action. The newest watcher takes precedence; a pending WhenNextDialogShows over all.
struct DialogWatcher {
    DialogWatcher(std::function<void(HWND)> action, HWND except = nullptr);
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

    std::function<void(HWND)> action;
    HWND except;
};

// The next dialog box only.
void WhenNextDialogShows(std::function<void(HWND)> action);

// The text of a message box (its static control, id 0xFFFF).
std::string MessageBoxText(HWND box);
