#include "install/install_file.h"

#include <windows.h>
#include <shellapi.h>

#include <string.h>

#include "base/process_win32.h"
#include "base/product_names.h"
#include "install/shell_flags.h"
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
    if (Finder.search != INVALID_HANDLE_VALUE) FindClose(Finder.search);
    Finder.search = INVALID_HANDLE_VALUE;
}

}  // namespace

const char* FindFile(const char* name, int kind)
{
    if (name && *name) {
        CloseSearch();
        TextBuffer expanded;
        const char* pattern = (*name == '%' || *name == '$') ? ExpandPathTokens(expanded, name) : name;
        Finder.search = FindFirstFileA(pattern ? pattern : "", &Finder.found);
        if (Finder.search == INVALID_HANDLE_VALUE) return nullptr;
        if (Accepts(kind)) return Finder.found.cFileName;
    } else if (Finder.search == INVALID_HANDLE_VALUE) {
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

bool PathExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
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

bool IsPattern(const char* name) { return strpbrk(name, "*?") != nullptr; }

// The target for a single file that meets a file of its own name in `folder`: the first free
// name of the form "Copy of List.zvl", "Copy (2) of List.zvl", ..., the form the "Info" message
// names, so that the user finds the file it speaks of. The name is chosen here rather than left
// to the shell's rename on collision, whose form differs between Windows versions and which
// Wine ignores, overwriting the very file the policy keeps. Without a collision, or for a wildcard, the
// folder itself is the target. False when there is a collision and no free name fits.
bool ChooseTarget(const TextBuffer& folder, const char* name, TextBuffer& target)
{
    target.Assign(folder);
    if (IsPattern(name)) return true;
    const char* slash = strrchr(name, '\\');
    const char* bare = slash ? slash + 1 : name;
    TextBuffer prefix, candidate;
    prefix.Assign(folder);
    if (!prefix.EndsWith("\\", 1)) prefix.AppendText("\\");
    candidate.AssignConcat(prefix, bare);
    if (!PathExists(candidate.Data())) return true;
    char copyName[MAX_PATH];
    for (int n = 1; n < 10000; ++n) {
        if (!MakeCopyName(bare, n, copyName, sizeof copyName)) return false;
        candidate.AssignConcat(prefix, copyName);
        if (candidate.Length() >= MAX_PATH) return false;
        if (!PathExists(candidate.Data())) {
            target.Assign(candidate);
            return true;
        }
    }
    return false;
}

void AddToList(TextBuffer& list, const char* name) { list.AppendText(name).AppendText("\r\n"); }

}  // namespace

int InstallFile(const char* name, bool backupOld, bool copyAsNew, bool skipIfPresent)
{
    TextBuffer source, destination, target;
    source.AssignConcat(SourceFolder, name);
    destination.AssignConcat(DestinationFolder, name);
    target.Assign(DestinationFolder);

    if (skipIfPresent && FindFile(destination.Data(), kFindFiles)) return 0;

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
        if (IsFolder(backup.Data()) && ChooseTarget(backup, name, backupTarget)) {
            moved = ShellCopyList(destination, backupTarget, FO_MOVE, true, true, false, true);
            if (moved == 0 && PathExists(destination.Data())) moved = kInstallBackupFailed;
        }
        if (moved != 0) {
            AddToList(KeptFiles, name);
            return moved;
        }
        AddToList(ReplacedFiles, name);
    }

    bool besideKept = false;
    if (copyAsNew && FindFile(destination.Data(), kFindFiles)) {
        if (!FilesDiffer(source.Data(), destination.Data())) return 0;
        if (!ChooseTarget(DestinationFolder, name, target)) return kInstallNoFreeName;
        besideKept = true;
    }

    const int copied = ShellCopyList(source, target, FO_COPY, copyAsNew, true, true, false);
    // Listed only once the copy exists: the message tells the user where to find it.
    if (copied == 0 && besideKept) AddToList(CopiedAsNewFiles, name);
    SetForegroundWindow(CurrentDialog);
    WaitAndPump(0);
    ShowWaitCursor();
    return copied;
}
