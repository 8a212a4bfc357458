#include "app/wait_pump.h"

#include <windows.h>

#include "app/globals.h"

void WaitAndPump(int32_t milliseconds)
{
    MSG message;
    bool retrieved = false;
    if (milliseconds != 0) {
        SetTimer(CurrentDialog, PUMP_TIMER_ID, static_cast<UINT>(milliseconds), nullptr);
        for (;;) {
            const BOOL got = GetMessageA(&message, nullptr, 0, 0);
            if (got == -1) break;
            retrieved = true;
            if (got == 0) break;  // WM_QUIT: the timer is left running; a later wait resets it
            // The tick ends the wait whichever window it names, and is not dispatched.
            if (message.message == WM_TIMER && message.wParam == PUMP_TIMER_ID) {
                KillTimer(CurrentDialog, PUMP_TIMER_ID);
                return;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    } else {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            retrieved = true;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    if (retrieved && message.message == WM_QUIT) PostQuitMessage(static_cast<int>(message.wParam));
}
