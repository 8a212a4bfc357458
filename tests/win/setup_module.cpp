#include "tests/win/setup_module.h"

#include <stdlib.h>

#include "app/dialogs.h"
#include "base/process_win32.h"
#include "install/sequences.h"
#include "res/resource.h"
#include "tests/win/dialog_automation.h"

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

template <typename Run>
void RunOnDialog(int id, DLGPROC procedure, const std::string& source, const std::string& destination,
                 std::string* boxes, Run run)
{
    SourceFolder.AssignText((source + "\\").c_str());
    OleInitialize(nullptr);
    HWND dialog = CreateDialogIndirectParamA(ModuleInstance, static_cast<const DLGTEMPLATE*>(SetupDialogTemplate(id)),
                                             nullptr, procedure, 0);
    if (!dialog) return;
    if (id == IDD_INSTALL) {
        SetDlgItemTextA(dialog, IDC_DESTINATION, destination.c_str());
        CheckDlgButton(dialog, IDC_START_PRODUCT, BST_UNCHECKED);
    }
    {
        DialogWatcher answers(
            [boxes](HWND box) {
                if (boxes) *boxes += MessageBoxText(box) + "\n";
                PostMessageA(box, WM_COMMAND, GetDlgItem(box, IDNO) ? IDNO : IDOK, 0);
            },
            dialog);
        run();
    }
    DestroyWindow(dialog);
    OleUninitialize();
}

}  // namespace

bool InstallHere(const std::string& source, const std::string& destination, std::string* boxes)
{
    bool done = false;
    RunOnDialog(IDD_INSTALL, InstallDialogProc, source, destination, boxes, [&] { done = RunInstall(); });
    return done;
}

void UninstallHere(const std::string& source, std::string* boxes)
{
    RunOnDialog(IDD_UNINSTALL, UninstallDialogProc, source, "", boxes, [] { RunUninstall(); });
}
