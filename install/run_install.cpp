#include "install/sequences.h"

#include <shellapi.h>

#include "app/close_product.h"
#include "app/globals.h"
#include "app/wait_pump.h"
#include "base/format.h"
#include "install/file_finder.h"
#include "install/install_file.h"
#include "install/shell_folders.h"
#include "install/shell_ops.h"
#include "install/shortcut.h"
#include "paths/destination_rules.h"
#include "paths/special_folders.h"
#include "registry/product_entries.h"
#include "registry/registry.h"
#include "res/resource.h"

int NtMajorVersion;

namespace {

enum OnFailure { Stop, Flag, Ignore };

struct Row {
    const char* caption;  // null: unchanged
    const char* name;
    bool backupOld, copyAsNew, skipIfPresent;
    OnFailure onFailure;
    bool onlyOnNt4;
};

// The product's files, in the order they are copied. Row 1 is checked by itself first.
const Row kRows[] = {
    {"Copying dll files", "zvhook20.dll", false, false, false, Stop, false},
    {nullptr, "pdh.dll", false, false, true, Flag, true},
    {nullptr, "psapi.dll", false, false, true, Flag, true},
    {"Copying exe files", "setup.exe", false, false, false, Flag, false},
    {nullptr, "zvcl.exe", false, false, false, Stop, false},
    {nullptr, "zv.exe", false, false, false, Stop, false},
    {"Copying icon files", "*.ico", false, false, false, Flag, false},
    {"Copying text and ini files", "license.txt", false, false, false, Flag, false},
    {nullptr, "typecat.ini", false, false, false, Flag, false},
    {nullptr, "winapiZV.txt", false, false, false, Flag, false},
    {nullptr, "zvrecwin.txt", false, false, true, Ignore, false},
    {nullptr, "Form Notes.txt", false, false, false, Flag, false},
    {"Copying macro list files", "System.zvl", true, false, false, Flag, false},
    {nullptr, "Samples2.zvl", true, false, false, Flag, false},
    {nullptr, "Convert old macros.zvl", true, false, false, Flag, false},
    {nullptr, "List.zvl", false, true, false, Flag, false},
    {"Copying type library files", "wininet.tlb", false, false, false, Flag, false},
    {"Copying help files", "zv2help.hlp", false, false, false, Stop, false},
    {nullptr, "pcrepattern.html", false, false, false, Stop, false},
};
const int kRowsBeforeSummary = 16;

void WaitCursor() { SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }

void ReadNtVersion()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;  // 148
    if (GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT)
        NtMajorVersion = static_cast<int>(version.dwMajorVersion);
}

// Copies rows [first, last); false when a row whose failure stops the install failed.
bool CopyRows(int first, int last, bool* notAllCopied)
{
    for (int i = first; i < last; ++i) {
        const Row& row = kRows[i];
        if (row.onlyOnNt4 && NtMajorVersion != 4) continue;
        if (row.caption) SetWindowTextA(CurrentDialog, row.caption);
        if (InstallFile(row.name, row.backupOld, row.copyAsNew, row.skipIfPresent) == 0) {
            if (i == 0) ReadNtVersion();
            continue;
        }
        if (i == 0) {
            MessageBoxA(CurrentDialog,
                        "Please retry. If you are installing from WinZip, try to close it, or just restore minimized "
                        "window. If error will appear again, then delete ZV shortcut in StartUp folder and restart "
                        "Windows.",
                        nullptr, MB_ICONERROR);
            return false;
        }
        if (row.onFailure == Stop) return false;
        if (row.onFailure == Flag) *notAllCopied = true;
    }
    return true;
}

void ReportPolicyOutcomes(TextBuffer& message)
{
    struct Part {
        const TextBuffer& names;
        const char* format;
    };
    const Part parts[] = {
        {ReplacedFiles, "Following files have been replaced (old files moved to Backup folder):\r\n~"},
        {CopiedAsNewFiles, "Following new files have been copied as \"Copy of...\":\r\n~"},
        // A shipped file that did not arrive because the user's own could not be put aside.
        {KeptFiles, "Following files have been kept, because they could not be moved to Backup folder:\r\n~"},
    };
    message.AssignText("");
    TextBuffer part;
    for (const Part& p : parts) {
        if (p.names.length == 0) continue;
        FormatText(part, p.format, &p.names);
        if (message.length > 0) message.AppendText("\r\n");
        message.Append(part);
    }
    if (message.length > 0) MessageBoxA(CurrentDialog, message.data, "Info", MB_ICONINFORMATION);
}

// Turns the destination as typed into the one full path that every later step uses, the
// folder test included: its leading path token expanded, then made full, a relative text
// against the current directory, which start-up made the source folder. False when the text
// cannot be an installation folder: a token left unresolved, a wildcard or a character no file
// name may hold, or a drive or share root. The folder then holds the text as far as it got.
bool ResolveDestination(TextBuffer& folder, TextBuffer& scratch)
{
    ExpandPathTokens(folder, nullptr);
    if (folder.length == 0 || folder.data[0] == '$' || folder.data[0] == '%') return false;
    FillFromSystem(scratch, [&folder](char* area, DWORD room) { return GetFullPathNameA(folder.data, room, area, nullptr); });
    if (scratch.length == 0) return false;
    folder.Assign(scratch);
    return IsInstallableFolder(folder.data);
}

bool FolderFound(const TextBuffer& folder)
{
    // A trailing backslash is tolerated.
    TextBuffer bare;
    bare.Assign(folder).TrimEnd('\\');
    return (bare.length > 0 && FindFile(bare.data, 1)) || IsFolder(folder.Text());
}

void CreateStartMenuLinks(TextBuffer& folder, TextBuffer& link, TextBuffer& target)
{
    WaitCursor();
    SetWindowTextA(CurrentDialog, "Creating Shortcuts");
    RegReadString(folder, kUserShellFolders, "Programs", nullptr, HKEY_CURRENT_USER, REG_SZ);
    if (folder.length == 0) return;
    folder.AppendText("\\Zevrin 2");
    if (!FindFile(folder.data, 1)) CreateDirectoryA(folder.data, nullptr);
    folder.AppendText("\\");

    struct Link {
        const char* name;
        const char* target;
        bool ownIcon;
        const char* arguments;
    };
    const Link links[] = {
        {"Zevrin.lnk", "zv.exe", false, nullptr},
        {"Help.lnk", "zv2help.hlp", false, nullptr},
        {"Uninstall.lnk", "setup.exe", true, "uninstall"},
    };
    for (const Link& l : links) {
        link.AssignConcat(folder, l.name);
        target.AssignConcat(DestinationFolder, l.target);
        CreateShortcut(link.data, target.data, l.ownIcon ? target.data : nullptr, 1, l.arguments,
                       DestinationFolder.data, 0);
    }
}

void CreateStartUpLink(TextBuffer& folder, TextBuffer& link, TextBuffer& target)
{
    WaitCursor();
    RegReadString(folder, kUserShellFolders, "StartUp", nullptr, HKEY_CURRENT_USER, REG_SZ);
    if (folder.length == 0) return;
    link.AssignConcat(folder, "\\ZV.lnk");
    if (FindFile(link.data, 0)) ShellDeleteList(link, false);
    link.AssignConcat(folder, "\\Zevrin.lnk");
    target.AssignConcat(DestinationFolder, "zv.exe");
    CreateShortcut(link.data, target.data, nullptr, 0, "S", DestinationFolder.data, 0);
}

}  // namespace

bool RunInstall()
{
    TextBuffer message(TextBuffer::NoShrink), link(TextBuffer::NoShrink), target(TextBuffer::NoShrink);

    CloseRunningProduct();
    WaitCursor();
    DestinationFolder.ReadWindowText(GetDlgItem(CurrentDialog, IDC_DESTINATION), false);
    if (DestinationFolder.length == 0) {
        MessageBeep(0);
        return false;
    }
    const bool usable = ResolveDestination(DestinationFolder, message);
    // The user sees, and a retry starts from, the folder that is really meant.
    SetDlgItemTextA(CurrentDialog, IDC_DESTINATION, DestinationFolder.data);
    if (!usable || (!FolderFound(DestinationFolder) && !CreateDirectoryA(DestinationFolder.data, nullptr))) {
        ShowMessage(MB_ICONERROR, nullptr, "Can't create folder ~", &DestinationFolder);
        return false;
    }
    if (!DestinationFolder.EndsWith("\\", 1)) DestinationFolder.AppendText("\\");
    if (TextBuffer::EqualsNoCase(DestinationFolder, SourceFolder)) {
        ShowMessage(MB_ICONERROR, nullptr,
                    "Source and destination directories must be different.\r\nIf you want to uninstall ZV, do it "
                    "through Control Panel Add-Remove Programs.");
        return false;
    }

    if (IsDlgButtonChecked(CurrentDialog, IDC_COPY_FILES)) {
        bool notAllCopied = false;
        ReplacedFiles.Release();
        CopiedAsNewFiles.Release();
        KeptFiles.Release();
        if (!CopyRows(0, kRowsBeforeSummary, &notAllCopied)) return false;
        target.AssignConcat(SourceFolder, "type cat file.txt");
        if (FindFile(target.data, 0)) DeleteFileA(target.data);
        ReportPolicyOutcomes(message);
        if (!CopyRows(kRowsBeforeSummary, sizeof kRows / sizeof kRows[0], &notAllCopied)) return false;
        if (notAllCopied &&
            MessageBoxA(CurrentDialog, "Not all files have been copied. Continue setup?", "Warning",
                        MB_ICONWARNING | MB_YESNO) != IDYES)
            return false;
    }

    if (IsDlgButtonChecked(CurrentDialog, IDC_REGISTRY)) {
        SetWindowTextA(CurrentDialog, "Updating Registry");
        WriteProductRegistry();
    }
    if (IsDlgButtonChecked(CurrentDialog, IDC_START_MENU)) CreateStartMenuLinks(message, link, target);
    if (IsDlgButtonChecked(CurrentDialog, IDC_STARTUP)) CreateStartUpLink(message, link, target);
    if (IsDlgButtonChecked(CurrentDialog, IDC_START_PRODUCT)) {
        WaitAndPump(500);
        SetWindowTextA(CurrentDialog, "Starting Zevrin");
        target.AssignConcat(DestinationFolder, "zv.exe");
        ShellExecuteA(CurrentDialog, nullptr, target.data, "V", DestinationFolder.data, SW_SHOWNORMAL);
    }
    return true;
}

void InstallCommand(HWND window)
{
    EnableWindow(window, FALSE);
    if (RunInstall()) EndDialog(window, 1);
    // After a success the dialog is already ending and these have no lasting effect.
    EnableWindow(window, TRUE);
    SetWindowTextA(CurrentDialog, "Install Zevrin");
    SetDlgItemTextA(window, IDOK, "Retry");
    SetForegroundWindow(window);
}
