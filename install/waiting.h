#pragma once
// Waiting without freezing the dialog, and closing a running copy of the product: the steps
// both sequences take before they touch files or keys.
#include <stdint.h>

// Timer that WaitAndPump sets on CurrentDialog.
constexpr unsigned kPumpTimerId = 5009;

// Runs the thread's message loop for `milliseconds`, so that the dialog repaints while a long
// step is under way; 0 only drains the messages already waiting. A WM_QUIT that arrives is
// posted again, so that the dialog's own modal loop still sees it with its exit code.
void WaitAndPump(int32_t milliseconds);

// The hourglass, shown while a sequence works.
void ShowWaitCursor();

// Asks a running copy of the product (or of its earlier version) to close, and waits a bounded
// time for it: at most 5 s for the close request, 10 s for the product's mutex and 2 s of
// message pumping. Needs CurrentDialog; leaves the caption "Closing Zevrin" when it asked.
void CloseRunningProduct();
