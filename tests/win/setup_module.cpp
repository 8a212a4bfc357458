#include "tests/win/setup_module.h"

#include <stdlib.h>

#include "app/dialogs.h"
#include "base/process_win32.h"
#include "install/sequences.h"
#include "res/resource.h"
#include "tests/win/dialog_automation.h"
#include "tests/win/import_patch.h"

#include <gtest/gtest.h>

// ZV_SETUP_RESOURCES names another build of setup.exe to read: the x86-64 test programs check
// the i686 release that way, since a data-file mapping does not care for the machine type.
HMODULE SetupModule()
{
    static HMODULE module = [] {
        const char* other = getenv("ZV_SETUP_RESOURCES");
        return LoadLibraryExA(other && *other ? other : SETUP_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }();
    return module;
}

const void* SetupDialogTemplate(int id)
{
    HRSRC found = FindResourceA(SetupModule(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(SetupModule(), found);
    return loaded ? LockResource(loaded) : nullptr;
}

namespace {

// What the OK command did to the dialog while its sequence ran, seen through the calls it makes.
HWND RunningDialog;
int FirstCaptionOnEnabled = -1;  // -1 before the first caption of the run
INT_PTR EndedWith = -1;          // -1 while the dialog has not been ended
ImportPatch* SetCaptionPatch;
ImportPatch* EndDialogPatch;

BOOL WINAPI RecordCaption(HWND window, LPCSTR text)
{
    if (window == RunningDialog && FirstCaptionOnEnabled < 0) FirstCaptionOnEnabled = IsWindowEnabled(window) ? 1 : 0;
    return SetCaptionPatch->Original<decltype(&SetWindowTextA)>()(window, text);
}

BOOL WINAPI RecordEnd(HWND window, INT_PTR result)
{
    if (window == RunningDialog) EndedWith = result;
    return EndDialogPatch->Original<decltype(&EndDialog)>()(window, result);
}

// Runs the sequence through the dialog's OK command, as a user's click does, and returns the
// result the dialog was ended with, or -1. The first progress caption must find the dialog
// disabled: a second click would start the sequence again inside the first one's message pump.
INT_PTR RunOnDialog(int id, DLGPROC procedure, const std::string& source, const std::string& destination,
                    std::string* boxes, bool startProduct = false, int answer = IDNO)
{
    SourceFolder.AssignText((source + "\\").c_str());
    OleInitialize(nullptr);
    HWND dialog = CreateDialogIndirectParamA(ModuleInstance, static_cast<const DLGTEMPLATE*>(SetupDialogTemplate(id)),
                                             nullptr, procedure, 0);
    if (!dialog) return -1;
    if (id == IDD_INSTALL) {
        SetDlgItemTextA(dialog, IDC_DESTINATION, destination.c_str());
        CheckDlgButton(dialog, IDC_START_PRODUCT, startProduct ? BST_CHECKED : BST_UNCHECKED);
    }
    RunningDialog = dialog;
    FirstCaptionOnEnabled = EndedWith = -1;
    {
        ImportPatch caption("user32.dll", "SetWindowTextA", reinterpret_cast<void*>(RecordCaption));
        ImportPatch end("user32.dll", "EndDialog", reinterpret_cast<void*>(RecordEnd));
        SetCaptionPatch = &caption;
        EndDialogPatch = &end;
        DialogWatcher answers(
            [boxes, answer](HWND box) {
                if (boxes) *boxes += MessageBoxText(box) + "\n";
                PostMessageA(box, WM_COMMAND, GetDlgItem(box, IDNO) ? answer : IDOK, 0);
            },
            dialog);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
    EXPECT_EQ(FirstCaptionOnEnabled, 0) << "the dialog takes commands while its sequence runs";
    RunningDialog = nullptr;
    DestroyWindow(dialog);
    OleUninitialize();
    return EndedWith;
}

}  // namespace

bool InstallHere(const std::string& source, const std::string& destination, std::string* boxes, bool startProduct, int answer)
{
    return RunOnDialog(IDD_INSTALL, InstallDialogProc, source, destination, boxes, startProduct, answer) == 1;
}

void UninstallHere(const std::string& source, std::string* boxes, int answer)
{
    EXPECT_EQ(RunOnDialog(IDD_UNINSTALL, UninstallDialogProc, source, "", boxes, false, answer), 1)
        << "the uninstall dialog always ends";
}
