#include "install/install_file.h"

#include <windows.h>
#include <shellapi.h>

#include <string.h>

#include "base/ascii.h"
#include "base/process_win32.h"
#include "base/product_names.h"
#include "install/nt_file.h"
#include "install/shell_flags.h"
#include "install/payload.h"
#include "install/shell_ops.h"
#include "install/waiting.h"
#include "paths/special_folders.h"

namespace {

bool Accepts(int kind)
{
    const bool folder = (Finder.found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (kind == kFindFiles) return !folder;
    if (kind == kFindFolders) return folder;
    return true;
}

void CloseSearch()
{
    if (Finder.search) FindClose(Finder.search);
    Finder.search = nullptr;
}

}  // namespace

const char* FindFile(const char* name, int kind)
{
    if (name && *name) {
        CloseSearch();
        TextBuffer expanded;
        const char* pattern = (*name == '%' || *name == '$') ? ExpandPathTokens(expanded, name) : name;
        Finder.search = FindFirstFileA(pattern ? pattern : "", &Finder.found);
        if (Finder.search == INVALID_HANDLE_VALUE) {
            Finder.search = nullptr;
            return nullptr;
        }
        if (Accepts(kind)) return Finder.found.cFileName;
    } else if (!Finder.search) {
        return nullptr;
    }
    for (;;) {
        if (!FindNextFileA(Finder.search, &Finder.found)) {
            CloseSearch();
            return nullptr;
        }
        if (Accepts(kind)) return Finder.found.cFileName;
    }
}

bool FoundLink() { return (Finder.found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

bool HoldsLink(const TextBuffer& folder)
{
    TextBuffer pattern;
    pattern.AssignConcat(folder, "\\*");
    bool found = false;
    ForEachFound(
        pattern.Data(),
        [](const WIN32_FIND_DATAA& entry, void* link) {
            return !(*static_cast<bool*>(link) = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
        },
        &found);
    return found;
}

namespace {

// What FilesDiffer compares: last-write time and the low 32 bits of the size.
struct FoundStamp {
    DWORD writeLow, writeHigh, sizeLow;
};

FoundStamp LastFoundStamp()
{
    const WIN32_FIND_DATAA& found = Finder.found;
    return {found.ftLastWriteTime.dwLowDateTime, found.ftLastWriteTime.dwHighDateTime, found.nFileSizeLow};
}

}  // namespace

bool FilesDiffer(const char* first, const char* second)
{
    if (!FindFile(first, kFindFiles)) return true;
    const FoundStamp a = LastFoundStamp();
    if (!FindFile(second, kFindFiles)) return true;
    const FoundStamp b = LastFoundStamp();
    return a.writeLow != b.writeLow || a.writeHigh != b.writeHigh || a.sizeLow != b.sizeLow;
}

namespace {

bool IsPattern(const char* name) { return strchr(name, '*') || strchr(name, '?'); }

// The target for a single file that meets a file of its own name in `folder`: the first free
// name of the form "Copy of List.zvl", "Copy (2) of List.zvl", ..., the form the "Info" message
// names, so that the user finds the file it speaks of. The name is chosen here rather than left
// to the shell's rename on collision, whose form differs between Windows versions and which
// Wine ignores, overwriting the very file the policy keeps. Without a collision, or for a
// wildcard, the folder itself is the target. `file` receives the full name the file will have
// (empty for a wildcard). False when there is a collision and no free name fits.
bool ChooseTarget(const TextBuffer& folder, const char* name, TextBuffer& target, TextBuffer& file)
{
    target.Assign(folder);
    file.AssignText("");
    if (IsPattern(name)) return true;
    TextBuffer prefix;
    prefix.Assign(folder);
    if (!prefix.EndsWith("\\", 1)) prefix.AppendText("\\");
    file.AssignConcat(prefix, name);
    if (!PathExists(file.Data())) return true;
    char copyName[MAX_PATH];
    for (int n = 1; n < 10000; ++n) {
        if (!MakeCopyName(name, n, copyName, sizeof copyName)) return false;
        file.AssignConcat(prefix, copyName);
        if (file.Length() >= MAX_PATH) return false;
        if (!PathExists(file.Data())) {
            target.Assign(file);
            return true;
        }
    }
    return false;
}

// Size and last-write time of a file, to tell whether a copy touched it.
struct FileStamp {
    bool exists = false;
    ULONGLONG size = 0;
    ULONGLONG written = 0;
};

FileStamp StampOf(const TextBuffer& path)
{
    FileStamp stamp;
    WIN32_FIND_DATAA data;
    HANDLE search = path.Length() > 0 ? FindFirstFileA(path.Data(), &data) : INVALID_HANDLE_VALUE;
    if (search == INVALID_HANDLE_VALUE) return stamp;
    FindClose(search);
    stamp.exists = true;
    stamp.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.written = (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

// Checks what a copy left, since its result alone cannot be trusted: Wine leaves part of a file
// behind when the disk fills, and reports success when it could not open a target that exists.
// A target the copy changed without leaving a file of the source's size holds a part: it is
// removed, so that the name holds the whole new file, the whole earlier one, or nothing. A
// target the copy never touched keeps what it held; if it differs in size from the source, the
// copy did not happen whatever was reported. Sizes only: some file systems keep write times
// coarser than the source's. Returns the copy's result, made a failure where it was not complete.
int CheckCopy(int copied, const TextBuffer& source, const TextBuffer& file, const FileStamp& before)
{
    if (file.Length() == 0) return copied;  // a wildcard row: each match is the shell's
    const FileStamp after = StampOf(file);
    const ULONGLONG wanted = StampOf(source).size;
    const bool touched = after.exists && (!before.exists || after.size != before.size ||
                                          after.written != before.written);
    if (touched && after.size != wanted) {
        DeleteCheckedFile(file.Data());
        return copied != 0 ? copied : kInstallIncomplete;
    }
    if (copied == 0 && (!after.exists || (!touched && after.size != wanted))) return kInstallIncomplete;
    return copied;
}

void AddToList(TextBuffer& list, const char* name) { list.AppendText(name).AppendText("\r\n"); }

// Visits the destination's path of each name the pattern matches in the source folder, until
// the visit returns false; false when it did.
bool ForEachMatch(const char* pattern, bool (*visit)(const char* installed))
{
    TextBuffer path;
    path.AssignConcat(SourceFolder, pattern);
    bool stopped = false;
    struct Walk {
        bool (*visit)(const char*);
        bool* stopped;
    } walk = {visit, &stopped};
    ForEachFound(
        path.Data(),
        [](const WIN32_FIND_DATAA& entry, void* context) {
            const Walk& w = *static_cast<Walk*>(context);
            TextBuffer installed;
            installed.AssignConcat(DestinationFolder, entry.cFileName);
            return !(*w.stopped = !w.visit(installed.Data()));
        },
        &walk);
    return !stopped;
}

// Drops the read-only mark that the file a single row wrote (`file`), or for a wildcard row the
// destination's file of each name the pattern matches, brought from its media (a CD, a
// write-protected share, an archive that keeps the marks): the product could not save into it,
// nor a reinstall replace it. A link is not ours to change.
void DropReadOnlyOfRow(const TextBuffer& file, const char* pattern)
{
    if (file.Length() > 0) {
        DropReadOnlyChecked(file.Data());
        return;
    }
    ForEachMatch(pattern, [](const char* installed) {
        DropReadOnlyChecked(installed);
        return true;
    });
}

// Whether the file the row would write, or any a wildcard row would, is somebody else's: a
// reparse point or a hard link.
bool WritesThroughLink(const TextBuffer& file, const char* pattern)
{
    if (!IsPattern(pattern)) return InTheWay(file.Text());
    return !ForEachMatch(pattern, [](const char* installed) { return !InTheWay(installed); });
}

}  // namespace

namespace {

// Whether a file name matches a row's pattern of the form "*.ext", letter case ignored.
bool MatchesPattern(const PayloadFile& file, const char* pattern)
{
    const int32_t tail = static_cast<int32_t>(strlen(pattern + 1));
    return file.nameLength >= tail && EqualsIgnoringAsciiCase(file.name + file.nameLength - tail, pattern + 1, tail);
}

}  // namespace

int InstallFile(const char* name, bool backupOld, bool copyAsNew, bool skipIfPresent)
{
    // A bound wildcard row installs the files the table names, each on its own and checked;
    // whatever else lies beside setup.exe stays there.
    if (PayloadBound() && IsPattern(name)) {
        int result = 0;
        PayloadFile file = {};
        while (NextPayloadFile(file)) {
            if (!MatchesPattern(file, name)) continue;
            const int one = InstallFile(file.name, false, false, false);
            if (result == 0) result = one;
        }
        return result;
    }

    TextBuffer source, destination, target, file;
    source.AssignConcat(SourceFolder, name);
    destination.AssignConcat(DestinationFolder, name);
    target.Assign(DestinationFolder);
    if (!IsPattern(name)) file.Assign(destination);

    if (skipIfPresent && FindFile(destination.Data(), kFindFiles)) return 0;

    // Held until the copy is done: the copy reads the bytes that were checked.
    VerifiedFile verified;
    if (PayloadBound() && EqualsIgnoringAsciiCase(name, names::kSetupExe)) {
        // Its own digest cannot be in its own table: the file it runs from, held since
        // start-up, is the copy it installs, under the row's name whatever its own.
        source.Assign(SetupProgram);
        target.Assign(destination);
    } else if (PayloadBound() && !verified.Open(source.Data(), name)) {
        AddToList(DamagedFiles, name);
        return kInstallDamaged;
    }

    TextBuffer backupFile;  // where the user's file went, once it has been put aside
    // Held from the check to the last move, both: the user's file moves between the two folders
    // checked, through their handles, whatever their paths lead to meanwhile.
    HeldFolder heldBackup, heldDestination;
    const char* backupName = "";  // its name there
    if (backupOld && FindFile(destination.Data(), kFindFiles)) {
        if (!FilesDiffer(source.Data(), destination.Data())) return 0;
        TextBuffer backup;
        backup.AssignConcat(DestinationFolder, names::kBackupFolder);
        if (!FindFile(backup.Data(), kFindAny)) CreateDirectoryA(backup.Data(), nullptr);
        // Copying over a file that was not saved would lose the user's changes while the list
        // told them it was kept: when it cannot be moved into the folder Backup, the row is
        // not copied at all. A file named Backup would be overwritten by the move.
        TextBuffer backupTarget;
        int moved = kInstallBackupFailed;
        // A Backup that is a link would carry the user's file off to wherever it points; held
        // from this check to the move, it cannot become one meanwhile.
        if (heldBackup.Hold(backup) && ChooseTarget(backup, name, backupTarget, backupFile)) {
            if (!HasNtFileCalls()) {
                moved = ShellCopyList(destination, backupTarget, FO_MOVE, true, true, false, true);
                if (moved == 0 && PathExists(destination.Data())) moved = kInstallBackupFailed;
            } else if (backupFile.Length() > backup.Length() && heldDestination.Hold(DestinationFolder)) {
                backupName = backupFile.Text() + backup.Length() + 1;
                if (heldDestination.MoveFileInside(name, heldBackup, backupName)) moved = 0;
            }
        }
        if (moved != 0) {
            AddToList(KeptFiles, name);
            return moved;
        }
    }

    bool besideKept = false;
    if (copyAsNew && FindFile(destination.Data(), kFindFiles)) {
        if (!FilesDiffer(source.Data(), destination.Data())) return 0;
        if (!ChooseTarget(DestinationFolder, name, target, file)) return kInstallNoFreeName;
        besideKept = true;
    }

    if (WritesThroughLink(file, name)) return kInstallLinkInWay;
    const FileStamp before = StampOf(file);
    int copied = ShellCopyList(source, target, FO_COPY, copyAsNew, true, true, false);
    copied = CheckCopy(copied, source, file, before);
    if (copied == 0) DropReadOnlyOfRow(file, name);
    // Each list names a file only once it is where the message says.
    if (copied == 0 && besideKept) AddToList(CopiedAsNewFiles, name);
    if (backupFile.Length() > 0) {
        // The new file did not arrive: the user's own goes back in its place rather than
        // leaving the name empty. Should that fail too, it stays in Backup, as listed.
        if (copied == 0 || !(HasNtFileCalls() ? heldBackup.MoveFileInside(backupName, heldDestination, name)
                                              : ShellCopyList(backupFile, destination, FO_MOVE, false, true, false, true) == 0))
            AddToList(ReplacedFiles, name);
    }
    SetForegroundWindow(CurrentDialog);
    WaitAndPump(0);
    ShowWaitCursor();
    return copied;
}
