#pragma once
// Drives a dialog or message box of this very thread: the next dialog window that is activated
// gets a zero-delay timer, and the action runs from that timer inside the dialog's own modal loop.
#include <windows.h>

#include <functional>

void WhenNextDialogShows(std::function<void(HWND)> action);
