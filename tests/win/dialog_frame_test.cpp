// The two dialog procedures' frame, driven in this process on the templates of the release build.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/dialogs.h"
#include "base/process_win32.h"
#include "res/resource.h"
#include "tests/win/dialog_automation.h"
#include "tests/win/setup_module.h"

namespace {

struct Frame {
    HWND dialog = nullptr;
    bool currentDialogSet = false;
    HICON big = nullptr;
    HICON small = nullptr;
    HWND focus = nullptr;
    HWND okButton = nullptr;
    INT_PTR result = -2;
};

// Opens the dialog, records what its WM_INITDIALOG left, then ends it the given way.
Frame RunFrame(int id, DLGPROC proc, void (*end)(HWND))
{
    Frame frame;
    const void* tmpl = SetupDialogTemplate(id);
    if (!tmpl) return frame;
    WhenNextDialogShows([&frame, end](HWND dialog) {
        frame.dialog = dialog;
        frame.currentDialogSet = CurrentDialog == dialog;
        frame.big = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0));
        frame.small = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0));
        frame.focus = GetFocus();
        frame.okButton = GetDlgItem(dialog, IDOK);
        end(dialog);
    });
    frame.result = DialogBoxIndirectParamA(ModuleInstance, static_cast<const DLGTEMPLATE*>(tmpl), nullptr, proc, 0);
    return frame;
}

void PressCancel(HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }
void PressEscape(HWND dialog) { PostMessageA(GetFocus() ? GetFocus() : dialog, WM_KEYDOWN, VK_ESCAPE, 0); }
void CloseBox(HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

}  // namespace

TEST(DialogFrame, InstallDialogSetsBigIconAndCurrentDialogAndEndsWithZero)
{
    for (auto end : {PressCancel, PressEscape, CloseBox}) {
        CurrentDialog = nullptr;
        Frame frame = RunFrame(IDD_INSTALL, InstallDialogProc, end);
        ASSERT_NE(frame.dialog, nullptr);
        EXPECT_TRUE(frame.currentDialogSet);
        EXPECT_NE(frame.big, nullptr);
        EXPECT_EQ(frame.small, nullptr);
        EXPECT_EQ(frame.focus, frame.okButton) << "first tab stop gets the focus";
        EXPECT_EQ(frame.result, 0);
        EXPECT_EQ(CurrentDialog, frame.dialog) << "never cleared after the dialog ended";
    }
}

TEST(DialogFrame, UninstallDialogSetsSmallIconAndEndsWithZero)
{
    for (auto end : {PressCancel, PressEscape, CloseBox}) {
        Frame frame = RunFrame(IDD_UNINSTALL, UninstallDialogProc, end);
        ASSERT_NE(frame.dialog, nullptr);
        EXPECT_TRUE(frame.currentDialogSet);
        EXPECT_EQ(frame.big, nullptr);
        EXPECT_NE(frame.small, nullptr);
        EXPECT_EQ(frame.result, 0);
    }
}

TEST(DialogFrame, EveryCommandIsHandledOtherMessagesAreNot)
{
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, ModuleInstance, nullptr);
    ASSERT_NE(window, nullptr);
    for (DLGPROC proc : {InstallDialogProc, UninstallDialogProc}) {
        EXPECT_EQ(proc(window, WM_COMMAND, MAKEWPARAM(1234, BN_CLICKED), 0), TRUE);
        EXPECT_EQ(proc(window, WM_COMMAND, MAKEWPARAM(IDC_COPY_FILES, BN_CLICKED), 0), TRUE);
        EXPECT_EQ(proc(window, WM_USER, 0, 0), FALSE);
        EXPECT_EQ(proc(window, WM_SIZE, 0, 0), FALSE);
    }
    EXPECT_TRUE(IsWindow(window)) << "no command but IDCANCEL ends anything";
    DestroyWindow(window);
}
