#include "install/install_file.h"

#include <windows.h>
#include <shellapi.h>

#include <string.h>

#include "app/globals.h"
#include "app/wait_pump.h"
#include "install/file_finder.h"
#include "install/shell_flags.h"
#include "install/shell_ops.h"

TextBuffer ReplacedFiles;
TextBuffer CopiedAsNewFiles;
TextBuffer KeptFiles;

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
    if (!PathExists(candidate.data)) return true;
    char copyName[MAX_PATH];
    for (int n = 1; n < 10000; ++n) {
        if (!MakeCopyName(bare, n, copyName, sizeof copyName)) return false;
        candidate.AssignConcat(prefix, copyName);
        if (candidate.length >= MAX_PATH) return false;
        if (!PathExists(candidate.data)) {
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

    if (skipIfPresent && FindFile(destination.data, 0)) return 0;

    if (backupOld && FindFile(destination.data, 0)) {
        if (!FilesDiffer(source.data, destination.data)) return 0;
        TextBuffer backup;
        backup.AssignConcat(DestinationFolder, "Backup");
        if (!FindFile(backup.data, 2)) CreateDirectoryA(backup.data, nullptr);
        // Copying over a file that was not saved would lose the user's changes while the list
        // told them it was kept: when it cannot be moved into the folder Backup, the row is
        // not copied at all. A file named Backup would be overwritten by the move.
        TextBuffer backupTarget;
        int moved = INSTALL_BACKUP_FAILED;
        if (IsFolder(backup.data) && ChooseTarget(backup, name, backupTarget)) {
            moved = ShellCopyList(destination, backupTarget, FO_MOVE, true, true, false, true);
            if (moved == 0 && PathExists(destination.data)) moved = INSTALL_BACKUP_FAILED;
        }
        if (moved != 0) {
            AddToList(KeptFiles, name);
            return moved;
        }
        AddToList(ReplacedFiles, name);
    }

    bool besideKept = false;
    if (copyAsNew && FindFile(destination.data, 0)) {
        if (!FilesDiffer(source.data, destination.data)) return 0;
        if (!ChooseTarget(DestinationFolder, name, target)) return INSTALL_NO_FREE_NAME;
        besideKept = true;
    }

    const int copied = ShellCopyList(source, target, FO_COPY, copyAsNew, true, true, false);
    // Listed only once the copy exists: the message tells the user where to find it.
    if (copied == 0 && besideKept) AddToList(CopiedAsNewFiles, name);
    SetForegroundWindow(CurrentDialog);
    WaitAndPump(0);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    return copied;
}
