#include <windows.h>

#include <string>

#include "base/process_win32.h"
#include "base/format.h"
#include "tests/buffer_checks.h"
#include "tests/win/dialog_automation.h"
#include "tests/win/process.h"

namespace {

struct Seen {
    std::string caption;
    std::string text;
};

// Reads the message box's caption and text (static id 0xFFFF) and presses the given button.
Seen ShowAndAnswer(int button, unsigned type, const char* caption, const char* format, const char* arg,
                   int* result)
{
    Seen seen;
    WhenNextDialogShows([&](HWND box) {
        seen.caption = WindowText(box);
        seen.text = MessageBoxText(box);
        PostMessageA(box, WM_COMMAND, button, 0);
    });
    *result = ShowMessage(type, caption, format, arg);
    return seen;
}

}  // namespace

TEST(ShowMessage, FormatsIntoTheBoxAndReturnsTheButton)
{
    CurrentDialog = nullptr;
    int result = 0;
    Seen seen = ShowAndAnswer(IDOK, MB_OK | MB_ICONSTOP, "Error", "Can't create folder $", "C:\\x", &result);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.caption, "Error");
    EXPECT_EQ(seen.text, "Can't create folder C:\\x");

    seen = ShowAndAnswer(IDNO, MB_YESNO, "Warning", "Continue? $", "", &result);
    EXPECT_EQ(result, IDNO);
    EXPECT_EQ(seen.text, "Continue? ");
}

TEST(ShowMessage, LongMessagesGrowTheBufferAndShowWhole)
{
    std::string longText(1000, 'w');
    int result = 0;
    Seen seen = ShowAndAnswer(IDOK, MB_OK, nullptr, "[91]$[93]", longText.c_str(), &result);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.text, "[" + longText + "]");
    EXPECT_FALSE(seen.caption.empty());  // null caption: the system's default ("Error")
}
