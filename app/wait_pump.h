#pragma once
#include <stdint.h>

// Timer that WaitAndPump sets on CurrentDialog.
enum { PUMP_TIMER_ID = 5009 };

// Runs the thread's message loop for `milliseconds`, so that the dialog repaints while a long
// step is under way; 0 only drains the messages already waiting. A WM_QUIT that arrives is
// posted again, so that the dialog's own modal loop still sees it with its exit code.
void WaitAndPump(int32_t milliseconds);
