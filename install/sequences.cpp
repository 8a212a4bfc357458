// The install and uninstall sequences: what the OK button of each dialog starts, and the only
// code that decides what the user is told.
#include "install/sequences.h"

#include <shellapi.h>
#include <shlobj.h>

#include "base/format.h"
#include "base/process_win32.h"
#include "base/product_names.h"
#include "install/held_folder.h"
#include "install/install_file.h"
#include "install/launcher.h"
#include "install/payload.h"
#include "install/shell_ops.h"
#include "install/shortcut.h"
#include "install/waiting.h"
#include "paths/path_token.h"
#include "paths/special_folders.h"
#include "registry/product_entries.h"
#include "registry/registry.h"
#include "res/resource.h"

namespace {

// What a row's failure does: stop the install, flag it for the closing question, or nothing.
enum class OnFailure : uint8_t { Stop, Flag, Ignore };

struct Row {
    const char* caption;  // null: unchanged
    const char* name;
    bool backupOld, copyAsNew, skipIfPresent;
    OnFailure onFailure;
    bool onlyOnNt4;
};

// The product's files, in the order they are copied. Row 1 is checked by itself first.
const Row kRows[] = {
    {"Copying dll files", "zvhook20.dll", false, false, false, OnFailure::Stop, false},
    {nullptr, "pdh.dll", false, false, true, OnFailure::Flag, true},
    {nullptr, "psapi.dll", false, false, true, OnFailure::Flag, true},
    {"Copying exe files", names::kSetupExe, false, false, false, OnFailure::Flag, false},
    {nullptr, "zvcl.exe", false, false, false, OnFailure::Stop, false},
    {nullptr, names::kProductExe, false, false, false, OnFailure::Stop, false},
    {"Copying icon files", "*.ico", false, false, false, OnFailure::Flag, false},
    {"Copying text and ini files", "license.txt", false, false, false, OnFailure::Flag, false},
    {nullptr, "typecat.ini", false, false, false, OnFailure::Flag, false},
    {nullptr, "winapiZV.txt", false, false, false, OnFailure::Flag, false},
    {nullptr, "zvrecwin.txt", false, false, true, OnFailure::Ignore, false},
    {nullptr, "Form Notes.txt", false, false, false, OnFailure::Flag, false},
    {"Copying macro list files", "System.zvl", true, false, false, OnFailure::Flag, false},
    {nullptr, "Samples2.zvl", true, false, false, OnFailure::Flag, false},
    {nullptr, "Convert old macros.zvl", true, false, false, OnFailure::Flag, false},
    {nullptr, "List.zvl", false, true, false, OnFailure::Flag, false},
    {"Copying type library files", "wininet.tlb", false, false, false, OnFailure::Flag, false},
    {"Copying help files", names::kHelpFile, false, false, false, OnFailure::Stop, false},
    {nullptr, "pcrepattern.html", false, false, false, OnFailure::Stop, false},
};
const int kRowsBeforeSummary = 16;

void ReadNtVersion()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;  // 148
    const bool nt = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    NtMajorVersion = nt ? static_cast<int>(version.dwMajorVersion) : 0;
}

// Whether a file can be made in the folder: a read-only drive would otherwise fail the first
// row with advice about closing WinZip and restarting Windows. A probe left behind by a run
// that was ended counts as written.
bool CanWriteIn(const TextBuffer& folder)
{
    TextBuffer probe;
    probe.AssignConcat(folder, "~zvsetup.tmp");
    HANDLE file = CreateFileA(probe.Data(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(file);
    return true;
}

void ShowCannotWrite() { ShowMessage(MB_ICONERROR, nullptr, "Can't write to folder ~", &DestinationFolder); }

// The one message of an install about product files a bound setup.exe would not install; the
// list is emptied, so that it is not shown twice.
void ReportDamaged()
{
    if (DamagedFiles.Length() == 0) return;
    ShowMessage(MB_ICONERROR, nullptr, "Following files are damaged or have been changed, and were not installed:\r\n~",
                &DamagedFiles);
    DamagedFiles.Release();
}

// Copies rows [first, last); false when a row whose failure stops the install failed, or when
// the destination folder went away meanwhile (the shell would make it again, half filled).
bool CopyRows(int first, int last, bool* notAllCopied)
{
    for (int i = first; i < last; ++i) {
        const Row& row = kRows[i];
        if (!IsFolder(DestinationFolder.Data())) {
            ShowCannotWrite();
            return false;
        }
        if (row.onlyOnNt4 && NtMajorVersion != 4) continue;
        if (row.caption) SetWindowTextA(CurrentDialog, row.caption);
        const int result = InstallFile(row.name, row.backupOld, row.copyAsNew, row.skipIfPresent);
        if (result == 0) {
            if (i == 0) ReadNtVersion();
            continue;
        }
        // A file that is not the one the release names is no matter of WinZip or restarts.
        if (i == 0 && result != kInstallDamaged) {
            MessageBoxA(CurrentDialog,
                        "Please retry. If you are installing from WinZip, try to close it, or just restore minimized "
                        "window. If error will appear again, then delete ZV shortcut in StartUp folder and restart "
                        "Windows.",
                        nullptr, MB_ICONERROR);
            return false;
        }
        if (row.onFailure == OnFailure::Stop) {
            ReportDamaged();
            return false;
        }
        if (row.onFailure == OnFailure::Flag) *notAllCopied = true;
    }
    return true;
}

// A folder or link a hold or a checked act refused: it is left as it is, and the user is told.
void Left(const TextBuffer& path) { LeftFolders.Append(path).AppendText("\r\n"); }

// The one message of a sequence about what it left; the list is emptied.
void ReportLeft()
{
    if (LeftFolders.Length() == 0) return;
    ShowMessage(MB_ICONWARNING, nullptr,
                "Following folders and shortcuts were left as they are, because they could not be checked or changed "
                "safely:\r\n~",
                &LeftFolders);
    LeftFolders.Release();
}

void ReportPolicyOutcomes(TextBuffer& message)
{
    struct Part {
        const TextBuffer& names;
        const char* format;
    };
    static const Part parts[] = {
        {ReplacedFiles, "Following files have been replaced (old files moved to Backup folder):\r\n~"},
        {CopiedAsNewFiles, "Following new files have been copied as \"Copy of...\":\r\n~"},
        // A shipped file that did not arrive because the user's own could not be put aside.
        {KeptFiles, "Following files have been kept, because they could not be moved to Backup folder:\r\n~"},
    };
    message.AssignText("");
    TextBuffer part;
    for (const Part& p : parts) {
        if (p.names.Length() == 0) continue;
        FormatText(part, p.format, &p.names);
        if (message.Length() > 0) message.AppendText("\r\n");
        message.Append(part);
    }
    if (message.Length() > 0) MessageBoxA(CurrentDialog, message.Data(), "Info", MB_ICONINFORMATION);
}

// Turns the destination as typed into the one full path that every later step uses, the
// folder test included: its leading path token expanded, then made full, a relative text
// against the current directory, which start-up made the source folder. False when the text
// cannot be an installation folder: a token left unresolved, a wildcard or a character no file
// name may hold, or a drive or share root. The folder then holds the text as far as it got.
bool ResolveDestination(TextBuffer& folder, TextBuffer& scratch)
{
    ExpandPathTokens(folder, nullptr);
    if (folder.Length() == 0 || folder.Data()[0] == '$' || folder.Data()[0] == '%') return false;
    FillFromSystem(
        scratch,
        [](char* area, DWORD room, const void* path) {
            return GetFullPathNameA(static_cast<const char*>(path), room, area, nullptr);
        },
        folder.Data());
    if (scratch.Length() == 0) return false;
    folder.Assign(scratch);
    return IsInstallableFolder(folder.Data());
}

bool FolderFound(const TextBuffer& folder)
{
    // A trailing backslash is tolerated.
    TextBuffer bare;
    bare.Assign(folder).TrimEnd('\\');
    return (bare.Length() > 0 && FindFile(bare.Data(), kFindFolders)) || IsFolder(folder.Text());
}

// One of the user's folders from Shell Folders (Programs or StartUp) followed by `after`, or
// false when the user has none.
bool ReadUserFolder(TextBuffer& folder, const char* value, const char* after)
{
    RegReadPath(folder, names::kShellFoldersKey, value, HKEY_CURRENT_USER);
    // Resolved once, here: every check and act after this sees the same text. A token left
    // unresolved is no folder.
    ExpandPathTokens(folder, nullptr);
    if (folder.Length() == 0 || folder.Data()[0] == '%' || folder.Data()[0] == '$') return false;
    folder.AppendText(after);
    return true;
}

// The user's Start Menu programs folder followed by "\Zevrin 2", or false when the user has none.
bool ReadStartMenuFolder(TextBuffer& folder)
{
    return ReadUserFolder(folder, names::kProgramsValue, "\\" ZV_START_MENU_FOLDER);
}

struct StartMenuLink {
    const char* name;
    const char* target;
    bool ownIcon;
    const char* arguments;
};
const StartMenuLink kStartMenuLinks[] = {
    {names::kProductLink, names::kProductExe, false, nullptr},
    {names::kHelpLink, names::kHelpFile, false, nullptr},
    {names::kUninstallLink, names::kSetupExe, true, names::kUninstallArgument},
};

void CreateStartMenuLinks(TextBuffer& folder, TextBuffer& link, TextBuffer& target)
{
    ShowWaitCursor();
    SetWindowTextA(CurrentDialog, "Creating Shortcuts");
    if (!ReadStartMenuFolder(folder)) return;
    // The folder is the user's to change: one that is, or holds, a link was made so by somebody
    // else, and every link saved through it would land where that somebody chose. One made
    // just now is checked as well, and held until the last link is in.
    if (!FindFile(folder.Data(), kFindFolders)) CreateDirectoryA(folder.Data(), nullptr);
    HeldFolder held;
    if (!IsFolder(folder.Data())) return;
    if (HoldsLink(folder) || !held.Hold(folder)) {
        Left(folder);
        return;
    }
    folder.AppendText("\\");
    for (const StartMenuLink& l : kStartMenuLinks) {
        link.AssignConcat(folder, l.name);
        target.AssignConcat(DestinationFolder, l.target);
        if (CreateShortcut(held, link, target.Data(), l.ownIcon ? target.Data() : nullptr, 1, l.arguments,
                           DestinationFolder.Data(), 0) == kShortcutRefused)
            Left(link);
    }
}

// The user's StartUp folder followed by a backslash, or false when the user has none.
bool ReadStartUpFolder(TextBuffer& folder) { return ReadUserFolder(folder, names::kStartUpValue, "\\"); }

// A link of ours is a plain file; a reparse point in its place is somebody else's. Deleted for
// good through its own handle, which checks it; otherwise into the Recycle Bin by the shell.
// One that is there and could not be deleted is told.
void DeleteIfFound(TextBuffer& path, HeldFolder& held, const TextBuffer& folder, const char* name, bool permanent)
{
    path.AssignConcat(folder, name);
    if (!PathExists(path.Data())) return;
    const bool gone = permanent ? held.DeleteFileInside(name)
                                : FindFile(path.Data(), kFindFiles) && !FoundLink() && ShellDeleteList(path, false) == 0;
    if (!gone) Left(path);
}

void CreateStartUpLink(TextBuffer& folder, TextBuffer& link, TextBuffer& target)
{
    ShowWaitCursor();
    HeldFolder held;
    if (!ReadStartUpFolder(folder) || !IsFolder(folder.Data())) return;
    if (!held.Hold(folder)) {
        Left(folder);
        return;
    }
    DeleteIfFound(link, held, folder, names::kEarlierStartUpLink, false);
    link.AssignConcat(folder, names::kProductLink);
    target.AssignConcat(DestinationFolder, names::kProductExe);
    if (CreateShortcut(held, link, target.Data(), nullptr, 0, "S", DestinationFolder.Data(), 0) == kShortcutRefused) Left(link);
}

}  // namespace

bool RunInstall()
{
    TextBuffer message(TextBuffer::NoShrink), link(TextBuffer::NoShrink), target(TextBuffer::NoShrink);

    CloseRunningProduct();
    ShowWaitCursor();
    LeftFolders.Release();
    DestinationFolder.ReadWindowText(GetDlgItem(CurrentDialog, IDC_DESTINATION), false);
    if (DestinationFolder.Length() == 0) {
        MessageBeep(0);
        return false;
    }
    const bool usable = ResolveDestination(DestinationFolder, message);
    // The user sees, and a retry starts from, the folder that is really meant.
    SetDlgItemTextA(CurrentDialog, IDC_DESTINATION, DestinationFolder.Data());
    if (!usable || (!FolderFound(DestinationFolder) && !CreateDirectoryA(DestinationFolder.Data(), nullptr))) {
        ShowMessage(MB_ICONERROR, nullptr, "Can't create folder ~", &DestinationFolder);
        return false;
    }
    if (!DestinationFolder.EndsWith("\\", 1)) DestinationFolder.AppendText("\\");
    if (SameFolder(DestinationFolder, SourceFolder)) {
        ShowMessage(MB_ICONERROR, nullptr,
                    "Source and destination directories must be different.\r\nIf you want to uninstall ZV, do it "
                    "through Control Panel Add-Remove Programs.");
        return false;
    }

    if (IsDlgButtonChecked(CurrentDialog, IDC_COPY_FILES)) {
        if (!CanWriteIn(DestinationFolder)) {
            ShowCannotWrite();
            return false;
        }
        bool notAllCopied = false;
        ReplacedFiles.Release();
        CopiedAsNewFiles.Release();
        KeptFiles.Release();
        DamagedFiles.Release();
        if (!CopyRows(0, kRowsBeforeSummary, &notAllCopied)) return false;
        HeldFolder source;
        if (source.Hold(SourceFolder)) source.DeleteFileInside(names::kObsoleteSourceFile);
        source.Release();
        ReportPolicyOutcomes(message);
        if (!CopyRows(kRowsBeforeSummary, sizeof kRows / sizeof kRows[0], &notAllCopied)) return false;
        ReportDamaged();
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
    ReportLeft();
    if (IsDlgButtonChecked(CurrentDialog, IDC_START_PRODUCT)) {
        WaitAndPump(500);
        SetWindowTextA(CurrentDialog, "Starting Zevrin");
        target.AssignConcat(DestinationFolder, names::kProductExe);
        // A bound setup.exe starts only the program its table names, whether it copied it now
        // or found it installed; held while it starts, it is the file that runs.
        VerifiedFile product;
        if (!PayloadBound() || product.Open(target.Data(), names::kProductExe))
            StartForUser(CurrentDialog, nullptr, target.Data(), "V", DestinationFolder.Data());
        else
            ShowMessage(MB_ICONERROR, nullptr, "~ has been changed, and was not started.", &target);
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

void RunUninstall()
{
    TextBuffer folder, path;
    CloseRunningProduct();
    ShowWaitCursor();
    SetWindowTextA(CurrentDialog, "Removing Registry entries");
    RemoveProductRegistry();
    SetWindowTextA(CurrentDialog, "Deleting Shortcuts");

    // A folder that is, or holds, a link is left as it is: deleting through a link deletes what
    // it points to. Held from the check to its removal.
    LeftFolders.Release();
    HeldFolder held;
    if (ReadStartMenuFolder(folder) && FindFile(folder.Data(), kFindFolders)) {
        if (HoldsLink(folder) || !held.Hold(folder, true)) {
            Left(folder);
        } else {
            TextBuffer inside;
            inside.Assign(folder).AppendText("\\");
            for (const StartMenuLink& l : kStartMenuLinks) DeleteIfFound(path, held, inside, l.name, true);
            // Only an empty folder goes: whatever the user put there, in subfolders too, keeps it.
            // The removal itself refuses a folder that is not empty, however it came to be so.
            if (held.RemoveIfEmpty()) SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHA, folder.Data(), nullptr);
        }
    }
    if (ReadStartUpFolder(folder) && IsFolder(folder.Data())) {
        if (held.Hold(folder)) DeleteIfFound(path, held, folder, names::kProductLink, true);
        else Left(folder);
    }
    held.Release();
    ReportLeft();

    SetWindowTextA(CurrentDialog, "Zevrin uninstalled");
    if (MessageBoxA(CurrentDialog, "Can't delete ZV folder. You should delete it manually.\r\nOpen ZV folder in Explorer?",
                    "Delete ZV files", MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND | MB_TOPMOST) == IDYES)
        StartForUser(nullptr, "Explore", SourceFolder.Text(), nullptr, nullptr);
}

void UninstallCommand(HWND window)
{
    EnableWindow(window, FALSE);
    RunUninstall();
    EndDialog(window, 1);
}
