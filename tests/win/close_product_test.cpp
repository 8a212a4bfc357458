// CloseRunningProduct and WaitAndPump against stand-ins for the product and its earlier version,
// each a separate process. Times are checked as bounds and order, with room for a slow machine.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "base/product_names.h"
#include "base/process_win32.h"
#include "install/waiting.h"
#include "tests/win/import_patch.h"
#include "tests/win/process.h"

namespace {

const char kFolder[] = "C:\\zvtests";

ULONGLONG Now() { return GetTickCount64(); }

std::string ReadLog(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A stand-in started and waited for until its window exists; ended with its ChildProcess if still
// running at the end.
struct StandIn {
    ChildProcess process;
    std::string log;

    bool Start(const char* exe, const std::string& name, const std::string& options)
    {
        CreateDirectoryA(kFolder, nullptr);
        log = std::string(kFolder) + "\\" + name + ".log";
        DeleteFileA(log.c_str());
        if (!process.Start("\"" + std::string(exe) + "\" " + options + " --log=" + log)) return false;
        // Under load Wine's WaitForInputIdle can fail at once for a process that has only just
        // started; it is asked again until the stand-in waits for input or has ended.
        for (int attempt = 0; attempt < 500; ++attempt) {
            if (WaitForInputIdle(process.process, 20000) == 0) return true;
            if (WaitForSingleObject(process.process, 20) == WAIT_OBJECT_0) return false;
        }
        return false;
    }
};

// Counts what reaches the window that plays CurrentDialog.
int timerTicksDispatched;
int otherTicksDispatched;
int userMessagesDispatched;

LRESULT CALLBACK DialogStandIn(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER) {
        if (wParam == kPumpTimerId) ++timerTicksDispatched;
        else ++otherTicksDispatched;
        return 0;
    }
    if (message == WM_APP) {
        ++userMessagesDispatched;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The last cursor the code under test set: the one a user sees until the pointer moves.
ImportPatch* cursorPatch;
HCURSOR cursorSet;

HCURSOR WINAPI RecordCursor(HCURSOR cursor)
{
    cursorSet = cursor;
    return cursorPatch->Original<decltype(&SetCursor)>()(cursor);
}

class ClosingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CurrentDialog = MakeStandInDialog("ZvTestDialog", DialogStandIn);
        ASSERT_NE(CurrentDialog, nullptr);
        timerTicksDispatched = otherTicksDispatched = userMessagesDispatched = 0;
        DiscardMessages();
    }
    void TearDown() override
    {
        KillTimer(CurrentDialog, kPumpTimerId);
        DestroyWindow(CurrentDialog);
        DiscardMessages();
    }
    static std::string Caption() { return WindowText(CurrentDialog); }
};

}  // namespace

TEST_F(ClosingTest, NothingRunningReturnsAtOnce)
{
    ASSERT_EQ(FindWindowA(names::kProductWindowClass, nullptr), nullptr);
    const ULONGLONG start = Now();
    CloseRunningProduct();
    EXPECT_LT(Now() - start, 100u);
    EXPECT_EQ(Caption(), "Install Zevrin");
}

TEST_F(ClosingTest, ProductThatClosesPromptly)
{
    StandIn product, earlier;
    ASSERT_TRUE(product.Start(PRODUCT_STANDIN, "product", "V --delay=300"));
    ASSERT_TRUE(earlier.Start(EARLIER_STANDIN, "earlier", ""));
    ImportPatch cursor("user32.dll", "SetCursor", reinterpret_cast<void*>(RecordCursor));
    cursorPatch = &cursor, cursorSet = nullptr;
    const ULONGLONG start = Now();
    CloseRunningProduct();
    const ULONGLONG end = Now();
    EXPECT_EQ(Caption(), "Closing Zevrin");
    EXPECT_EQ(cursorSet, LoadCursorA(nullptr, IDC_WAIT)) << "the wait cursor while the product closes";
    EXPECT_EQ(product.process.WaitExit(5000), 0);

    const std::string log = ReadLog(product.log);
    EXPECT_NE(log.find("start V --delay=300"), std::string::npos) << log;
    EXPECT_NE(log.find("close wParam=1 lParam=0 sent=1"), std::string::npos) << log;
    const size_t at = log.find("released ");
    ASSERT_NE(at, std::string::npos) << log;
    const ULONGLONG released = std::stoull(log.substr(at + 9));
    EXPECT_GE(released, start + 250) << "the product let go after its delay";
    EXPECT_GE(end, released + 1900) << "2000 ms of pumping follow the mutex";
    EXPECT_LE(end, released + 4000);

    // With the product's window present, the earlier version is not even looked for.
    EXPECT_EQ(ReadLog(earlier.log).find("message"), std::string::npos);
}

TEST_F(ClosingTest, ProductWindowWithoutMutex)
{
    StandIn product;
    ASSERT_TRUE(product.Start(PRODUCT_STANDIN, "nomutex", "--no-mutex --ignore-close"));
    const ULONGLONG start = Now();
    CloseRunningProduct();
    const ULONGLONG elapsed = Now() - start;
    EXPECT_GE(elapsed, 1900u);
    EXPECT_LE(elapsed, 4500u);
    EXPECT_EQ(Caption(), "Closing Zevrin");
    EXPECT_NE(ReadLog(product.log).find("close wParam=1"), std::string::npos);
}

TEST_F(ClosingTest, ProductThatNeverLetsGoIsWaitedForAtMostSeventeenSeconds)
{
    StandIn product;
    ASSERT_TRUE(product.Start(PRODUCT_STANDIN, "stuck", "--block-close=8000 --delay=never"));
    const ULONGLONG start = Now();
    CloseRunningProduct();
    const ULONGLONG elapsed = Now() - start;
    EXPECT_GE(elapsed, 5000u + 10000u + 2000u - 300u);
    EXPECT_LE(elapsed, 5000u + 10000u + 2000u + 3000u);
    EXPECT_EQ(WaitForSingleObject(product.process.process, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "still running";
}

TEST_F(ClosingTest, EarlierVersionGetsAPostedRequestOthersAreLeftAlone)
{
    StandIn earlier, other;
    ASSERT_TRUE(other.Start(EARLIER_STANDIN, "other", "--title=Zevrin 1.5 --stay"));
    ASSERT_TRUE(earlier.Start(EARLIER_STANDIN, "earlier", ""));
    const ULONGLONG start = Now();
    CloseRunningProduct();
    const ULONGLONG elapsed = Now() - start;
    EXPECT_GE(elapsed, 1900u);
    EXPECT_LE(elapsed, 4500u);
    EXPECT_EQ(Caption(), "Closing Zevrin");
    EXPECT_NE(ReadLog(earlier.log).find("message 1039 sent=0"), std::string::npos) << ReadLog(earlier.log);
    EXPECT_EQ(earlier.process.WaitExit(5000), 0);
    EXPECT_EQ(ReadLog(other.log).find("message"), std::string::npos);
    EXPECT_EQ(WaitForSingleObject(other.process.process, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(ClosingTest, DrainOnlyWithAnEmptyQueuePostsNothing)
{
    const ULONGLONG start = Now();
    WaitAndPump(0);
    EXPECT_LT(Now() - start, 50u);
    MSG m;
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) << "message " << m.message;
}

TEST_F(ClosingTest, DrainOnlyDispatchesWhatWaitsAndKeepsTheQuitRequest)
{
    PostMessageA(CurrentDialog, WM_APP, 0, 0);
    PostMessageA(CurrentDialog, WM_APP, 0, 0);
    PostQuitMessage(42);
    WaitAndPump(0);
    EXPECT_EQ(userMessagesDispatched, 2);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(m.wParam, 42u);
}

namespace {
ImportPatch* peekPatch;
// A PeekMessageA that leaves WM_QUIT in the record when it finds nothing, as the platform may:
// the record is not defined after a failed call.
BOOL WINAPI PeekLeavingQuit(LPMSG message, HWND window, UINT first, UINT last, UINT remove)
{
    const BOOL got = peekPatch->Original<decltype(&PeekMessageA)>()(message, window, first, last, remove);
    if (!got) message->message = WM_QUIT;
    return got;
}
}  // namespace

TEST_F(ClosingTest, DrainOnlyNeverTakesAQuitFromAFailedPeek)
{
    PostMessageA(CurrentDialog, WM_APP, 0, 0);
    {
        ImportPatch patch("user32.dll", "PeekMessageA", reinterpret_cast<void*>(PeekLeavingQuit));
        ASSERT_TRUE(patch.Active());
        peekPatch = &patch;
        WaitAndPump(0);
    }
    EXPECT_EQ(userMessagesDispatched, 1);
    MSG m;
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) << "message " << m.message;
}

TEST_F(ClosingTest, TimedWaitPumpsForItsTime)
{
    PostMessageA(CurrentDialog, WM_APP, 0, 0);
    const ULONGLONG start = Now();
    WaitAndPump(300);
    const ULONGLONG elapsed = Now() - start;
    EXPECT_GE(elapsed, 280u);
    EXPECT_LT(elapsed, 2000u);
    EXPECT_EQ(userMessagesDispatched, 1);
    EXPECT_EQ(timerTicksDispatched, 0);
    EXPECT_FALSE(KillTimer(CurrentDialog, kPumpTimerId)) << "the tick that ended the wait killed the timer";
}

// Code 0 too: the session's end and most callers post WM_QUIT so.
TEST_F(ClosingTest, QuitDuringATimedWaitEndsItAndIsPostedAgain)
{
    for (int code : {7, 0}) {
        SCOPED_TRACE(code);
        PostQuitMessage(code);
        const ULONGLONG start = Now();
        WaitAndPump(5000);
        EXPECT_LT(Now() - start, 1000u);
        MSG m;
        ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(m.wParam, static_cast<WPARAM>(code));
        EXPECT_TRUE(KillTimer(CurrentDialog, kPumpTimerId)) << "a wait ended by WM_QUIT leaves its timer running";
    }
}

TEST_F(ClosingTest, PumpTimerTickIsNotDispatchedWhicheverWindowItNames)
{
    PostMessageA(CurrentDialog, WM_TIMER, 77, 0);
    PostMessageA(CurrentDialog, WM_TIMER, kPumpTimerId, 0);
    const ULONGLONG start = Now();
    WaitAndPump(10000);
    EXPECT_LT(Now() - start, 1000u);
    EXPECT_EQ(otherTicksDispatched, 1);
    EXPECT_EQ(timerTicksDispatched, 0);

    HWND other = CreateWindowExA(0, "ZvTestDialog", "other", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    PostMessageA(other, WM_TIMER, kPumpTimerId, 0);
    const ULONGLONG again = Now();
    WaitAndPump(10000);
    EXPECT_LT(Now() - again, 1000u);
    EXPECT_EQ(timerTicksDispatched, 0);
    DestroyWindow(other);
}
