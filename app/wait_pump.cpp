#include "app/wait_pump.h"

#include <windows.h>

#include "app/globals.h"

void WaitAndPump(int32_t milliseconds)
{
    MSG message;
    // Only a message actually taken counts: after a PeekMessageA that found nothing, the
    // record still holds whatever the last successful call left, or nothing at all.
    bool quit = false;
    int quitCode = 0;
    if (milliseconds != 0) {
        SetTimer(CurrentDialog, PUMP_TIMER_ID, static_cast<UINT>(milliseconds), nullptr);
        for (;;) {
            const BOOL got = GetMessageA(&message, nullptr, 0, 0);
            if (got == -1) break;
            if (got == 0) {  // WM_QUIT: the timer is left running; a later wait resets it
                quit = true;
                quitCode = static_cast<int>(message.wParam);
                break;
            }
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
            if (message.message == WM_QUIT) {
                quit = true;
                quitCode = static_cast<int>(message.wParam);
                break;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    if (quit) PostQuitMessage(quitCode);
}
