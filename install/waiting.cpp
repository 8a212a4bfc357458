#include "install/waiting.h"

#include <windows.h>

#include "base/process_win32.h"
#include "base/product_names.h"

void WaitAndPump(int32_t milliseconds)
{
    MSG message;
    // Only a message actually taken counts: after a PeekMessageA that found nothing, the
    // record still holds whatever the last successful call left, or nothing at all.
    bool quit = false;
    int quitCode = 0;
    if (milliseconds != 0) {
        SetTimer(CurrentDialog, kPumpTimerId, static_cast<UINT>(milliseconds), nullptr);
        for (;;) {
            const BOOL got = GetMessageA(&message, nullptr, 0, 0);
            if (got == -1) break;
            if (got == 0) {  // WM_QUIT: the timer is left running; a later wait resets it
                quit = true;
                quitCode = static_cast<int>(message.wParam);
                break;
            }
            // The tick ends the wait whichever window it names, and is not dispatched.
            if (message.message == WM_TIMER && message.wParam == kPumpTimerId) {
                KillTimer(CurrentDialog, kPumpTimerId);
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

void ShowWaitCursor() { SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }

namespace {

const UINT kEarlierCloseMessage = WM_USER + 15;
const UINT kCloseTimeout = 5000;
const DWORD kMutexTimeout = 10000;
const int32_t kPumpAfterRequest = 2000;

void ShowClosing()
{
    SetWindowTextA(CurrentDialog, "Closing Zevrin");
    ShowWaitCursor();
}

}  // namespace

void CloseRunningProduct()
{
    if (HWND product = FindWindowA(names::kProductWindowClass, nullptr)) {
        ShowClosing();
        DWORD_PTR ignored;
        SendMessageTimeoutA(product, WM_CLOSE, 1, 0, SMTO_NORMAL, kCloseTimeout, &ignored);
        // The product holds its mutex until it has saved and let go of its files. The handle
        // serves only this wait and is closed at once; once the product has gone no other
        // handle is left and the mutex object goes with it, so a product started later by the
        // install sequence makes a fresh one.
        if (HANDLE running = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, names::kProductMutex)) {
            WaitForSingleObject(running, kMutexTimeout);
            CloseHandle(running);
        }
        WaitAndPump(kPumpAfterRequest);
        return;
    }
    if (HWND earlier = FindWindowA(names::kEarlierWindowClass, names::kEarlierWindowTitle)) {
        ShowClosing();
        PostMessageA(earlier, kEarlierCloseMessage, 0, 0);
        WaitAndPump(kPumpAfterRequest);
    }
}
