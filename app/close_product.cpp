#include "app/close_product.h"

#include <windows.h>

#include "app/globals.h"
#include "app/wait_pump.h"

namespace {

// Names shared with the product.
const char kProductClass[] = "ZV_Editor";
const char kProductMutex[] = "ZV2_InstMutex.";
const char kEarlierClass[] = "ThunderRT5Form";
const char kEarlierTitle[] = "Zevrin";
const UINT kEarlierCloseMessage = WM_USER + 15;

const UINT kCloseTimeout = 5000;
const DWORD kMutexTimeout = 10000;
const int32_t kPumpAfterRequest = 2000;

void ShowClosing()
{
    SetWindowTextA(CurrentDialog, "Closing Zevrin");
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
}

}  // namespace

void CloseRunningProduct()
{
    if (HWND product = FindWindowA(kProductClass, nullptr)) {
        ShowClosing();
        DWORD_PTR ignored;
        SendMessageTimeoutA(product, WM_CLOSE, 1, 0, SMTO_NORMAL, kCloseTimeout, &ignored);
        // The product holds its mutex until it has saved and let go of its files. The handle
        // serves only this wait and is closed at once; once the product has gone no other
        // handle is left and the mutex object goes with it, so a product started later by the
        // install sequence makes a fresh one.
        if (HANDLE running = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kProductMutex)) {
            WaitForSingleObject(running, kMutexTimeout);
            CloseHandle(running);
        }
        WaitAndPump(kPumpAfterRequest);
        return;
    }
    if (HWND earlier = FindWindowA(kEarlierClass, kEarlierTitle)) {
        ShowClosing();
        PostMessageA(earlier, kEarlierCloseMessage, 0, 0);
        WaitAndPump(kPumpAfterRequest);
    }
}
