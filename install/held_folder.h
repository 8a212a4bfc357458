#pragma once
// Checks and acts on one object. Between a check by path and an act by path, any process of the
// user's can rename a folder and put a link in its place; setup, running as administrator,
// would then write or delete wherever that link points. So a folder setup writes into or
// deletes from is held open, without FILE_SHARE_DELETE, from its check to its last act: nobody
// can rename or replace it meanwhile. A file setup deletes is deleted through a handle of its
// own, opened on the file itself (a link, not what it points to) and checked first. The NT
// calls behind the handles are in install/nt_file.h.
// On Windows 95, 98 and Me, which have no NT file calls, open no handle on a folder and have
// no links, the same checks and acts go by path.
#include <windows.h>

#include "base/owned_handle.h"
#include "base/text_buffer.h"

// Whether a path names anything, or a folder, right now, read by path; they accept a path with
// a trailing backslash (which names what a link points to).
bool PathExists(const char* path);
bool IsFolder(const char* path);
// Whether the path itself is a reparse point (a symbolic link or junction): whatever setup
// writes, moves or deletes through it lands wherever its owner pointed it.
bool IsLink(const char* path);
// Whether two paths name one folder, as the file system knows it: the same volume and file
// index, whatever the spelling (a short name, another drive letter or share, a link). Where a
// folder cannot be opened (95, 98 and Me), only the same text, letter case ignored, names one.
bool SameFolder(const TextBuffer& first, const TextBuffer& second);

class HeldFolder {
public:
    HeldFolder() = default;
    ~HeldFolder() { Release(); }
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;

    // Opens the folder's parent as its path resolves (a mount point or junction on the way is
    // followed), then the folder itself inside it, and checks what was opened: a folder, no
    // reparse point on the handle (as Windows shows a link), the path still naming the object
    // held, and the name Windows resolved for it the parent's and its own (Wine opens a link's
    // target, whose name shows it). False, with nothing held, when any check fails. With
    // `toRemove` the handle may delete the folder; Wine's searches cannot then open the folder,
    // and a current folder cannot be held so.
    bool Hold(const TextBuffer& folder, bool toRemove = false);
    // Removes a folder held to be removed through its handle when it is empty, and lets it go;
    // true when it was removed.
    bool RemoveIfEmpty();
    // Deletes the plain file `name` directly inside the held folder, as DeleteCheckedFile does,
    // through a handle opened relative to the folder's own (see OpenInside).
    bool DeleteFileInside(const char* name);
    // Writes `bytes` as the whole of the plain file `name` directly inside the held folder,
    // through a handle opened as OpenInside says, without truncating it before its check; one
    // that the open made and the check refused is removed again through that handle. `created`
    // tells whether the file is new. False when it was not written whole (a full drive, a
    // quota): `created` then tells that the file this run made was removed again, so that
    // nothing of it is left; otherwise a file that was there is as the failure left it. On 95,
    // 98 and Me by path.
    bool WriteFileInside(const char* name, const void* bytes, DWORD size, bool& created);
    // Moves the plain file `name` from the held folder into the folder `to` holds, as
    // `newName`, through the file's handle opened as OpenInside says and a rename relative to
    // `to`'s handle; a file of that name already there stays, and the move fails. Not on 95, 98
    // and Me, which have no handles on folders.
    bool MoveFileInside(const char* name, const HeldFolder& to, const char* newName);
    void Release();

private:
    // Opens the plain file `name` itself (a link, not what it points to) relative to the held
    // folder's handle, so that a folder above swapped since the hold leads nowhere else, with
    // `access` and `sharing`; with `create` it is made when missing. Then checks it through its
    // handle: a plain file of one name (a hard link is refused), and its resolved name the held
    // folder's and `name` (a link to a file elsewhere, which Wine follows even when asked for
    // the link, resolves elsewhere). A file the open made and the check refused is removed
    // again. False, with nothing open and `created` false, on any failure, and where
    // NtCreateFile is missing.
    bool OpenInside(OwnedHandle& file, const char* name, DWORD access, DWORD sharing, bool create, bool& created);

    OwnedHandle handle_;
    TextBuffer path_;  // the folder as checked, without its trailing backslash
};

// Whether a file that a copy by path would write over is somebody else's object: a reparse
// point, by path or on its handle, or one name of a file that has others (a hard link), whose
// other names the copy would change too. False for a plain file and for nothing there.
bool InTheWay(const char* path);

// Deletes a plain file of one name through its own handle; false, deleting nothing, when the
// path names a reparse point, a folder, a hard link or nothing, or the delete failed.
bool DeleteCheckedFile(const char* path);

// Drops the read-only mark of a plain file through a handle of its own, checked as above; the
// attributes of a link, and of a file of several names, are left as they are. True when the
// mark was dropped.
bool DropReadOnlyChecked(const char* path);
