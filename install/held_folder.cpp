#include "install/held_folder.h"

#include "base/text_buffer.h"
#include "install/nt_file.h"

namespace {

// Whether the path names something that has the attribute.
bool HasAttribute(const char* path, DWORD attribute)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & attribute);
}

// The object a handle holds: the volume and the file's index on it.
bool Identity(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info)
{
    return handle && handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &info);
}

// Whether two handles' information names one object: the same volume and file index.
bool SameObject(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexLow == b.nFileIndexLow &&
           a.nFileIndexHigh == b.nFileIndexHigh;
}

void OpenItself(OwnedHandle& handle, const char* path, DWORD access, DWORD sharing)
{
    handle.Reset(CreateFileA(path, access, sharing, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// Opens what a path leads to now, every link on the way followed, to read its attributes and
// identity, or as the root of names opened inside it.
void OpenAsItResolves(OwnedHandle& handle, const char* path)
{
    handle.Reset(CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// Whether a handle's information is a plain file that is only itself: no folder, no reparse
// point (a link, as Windows shows one), and no second name. A hard link shows no mark, and what
// is written, moved or deleted through one name changes the file every other name shares,
// wherever that lies; FAT reports one link.
bool IsOnlyItself(const BY_HANDLE_FILE_INFORMATION& info)
{
    return !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) && info.nNumberOfLinks <= 1;
}

// Opens a plain file itself (a link, not what it points to) with `access`, sharing everything,
// and reads its information; false, with nothing open, when the path names nothing, a folder,
// a reparse point or a file of several names. A link to a folder opens, under Wine, as the
// folder it points to: refused as a folder.
bool OpenPlainFile(OwnedHandle& file, const char* path, DWORD access, BY_HANDLE_FILE_INFORMATION& info)
{
    OpenItself(file, path, access | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (Identity(file.Get(), info) && IsOnlyItself(info)) return true;
    file.Close();
    return false;
}

// On Windows 95, 98 and Me: whether the attributes read by path are a plain file's.
bool IsPlainFile(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

// Whether the object `held` is the one named `name` directly inside the folder `parent` holds:
// its resolved name is the parent's, a backslash and `name`, letter case ignored as Windows
// ignores it. A link in place of it, which Wine follows even when asked for the link itself,
// resolves elsewhere.
NtResolvedName parentName, heldName;

bool NamedInParent(HANDLE parent, HANDLE held, const char* name)
{
    if (!NtReadResolvedName(parent, parentName) || !NtReadResolvedName(held, heldName)) return false;
    const UNICODE_STRING& above = parentName.info.Name;
    const UNICODE_STRING& whole = heldName.info.Name;
    TextBuffer wide;
    const UNICODE_STRING own = NtCountedName(wide, name);
    const USHORT nameBytes = own.Length;
    const bool separated = above.Length >= 2 && above.Buffer[above.Length / 2 - 1] == L'\\';
    const USHORT prefix = static_cast<USHORT>(above.Length + (separated ? 0 : 2));
    if (nameBytes == 0 || whole.Length != prefix + nameBytes || (!separated && whole.Buffer[above.Length / 2] != L'\\'))
        return false;
    const UNICODE_STRING start = {above.Length, above.Length, whole.Buffer};
    const UNICODE_STRING last = {nameBytes, nameBytes, whole.Buffer + prefix / 2};
    return NtNamesEqualNoCase(start, above) && NtNamesEqualNoCase(last, own);
}

}  // namespace

bool PathExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const char* path) { return HasAttribute(path, FILE_ATTRIBUTE_DIRECTORY); }

bool IsLink(const char* path) { return HasAttribute(path, FILE_ATTRIBUTE_REPARSE_POINT); }

bool SameFolder(const TextBuffer& first, const TextBuffer& second)
{
    if (TextBuffer::EqualsNoCase(first, second)) return true;
    // Opened as a path resolves: a link typed for the folder is the folder it points to.
    OwnedHandle handles[2];
    BY_HANDLE_FILE_INFORMATION info[2];
    const TextBuffer* const paths[] = {&first, &second};
    for (int i = 0; i < 2; ++i) {
        OpenAsItResolves(handles[i], paths[i]->Text());
        if (!Identity(handles[i].Get(), info[i])) return false;
    }
    return SameObject(info[0], info[1]);
}

bool HeldFolder::Hold(const TextBuffer& folder, bool toRemove)
{
    Release();
    // Without a trailing backslash: with one, the path names what a link points to.
    const char* path = path_.Assign(folder).TrimEnd('\\').Data();
    // No folder can be opened as a handle there: the folder is checked by path, and kept by
    // name for its removal.
    if (!HasNtFileCalls()) {
        if (IsFolder(path) && !IsLink(path)) return true;
        Release();
        return false;
    }
    // Resolved once, then handles only. The parent is opened as its path resolves now: a mount
    // point or junction on the way (a profile disk, a profile or C:\Apps moved to another disk)
    // is followed, as every program follows it. The folder itself is opened inside that parent,
    // as itself, and known by the name Windows resolved for it: a link in its place, which Wine
    // opens as the folder it points to, resolves elsewhere. A swap that passes as setup looks is
    // met again a moment later; one that stays is refused.
    TextBuffer above;
    above.GetFolderPart(path_);
    const char* name = path + above.Length();
    for (int tries = 0; *name && tries < 3; ++tries) {
        OwnedHandle parent, again;
        OpenAsItResolves(parent, above.Text());
        bool created;
        // Data access, not attributes alone: only a handle with it imposes its sharing on others.
        NtOpenInside(handle_, parent.Get(), name, NtOpen::Folder, GENERIC_READ | (toRemove ? DELETE : 0),
                     FILE_SHARE_READ | FILE_SHARE_WRITE, created);
        BY_HANDLE_FILE_INFORMATION held, named;
        OpenItself(again, path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        if (Identity(handle_.Get(), held) && Identity(again.Get(), named) &&
            (held.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == FILE_ATTRIBUTE_DIRECTORY &&
            SameObject(held, named) && NamedInParent(parent.Get(), handle_.Get(), name))
            return true;
        handle_.Close();
    }
    Release();
    return false;
}

bool HeldFolder::RemoveIfEmpty()
{
    const bool removed = HasNtFileCalls() ? NtDeleteThrough(handle_.Get()) : path_.Length() > 0 && RemoveDirectoryA(path_.Data());
    Release();
    return removed;
}

void HeldFolder::Release()
{
    handle_.Close();
    path_.Release();
}

bool HeldFolder::OpenInside(OwnedHandle& file, const char* name, DWORD access, DWORD sharing, bool create, bool& created)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (NtOpenInside(file, handle_.Get(), name, create ? NtOpen::FileOrNew : NtOpen::File, access | FILE_READ_ATTRIBUTES,
                     sharing, created) &&
        Identity(file.Get(), info) && IsOnlyItself(info) && NamedInParent(handle_.Get(), file.Get(), name))
        return true;
    if (created) NtDeleteThrough(file.Get());
    file.Close();
    created = false;
    return false;
}

bool HeldFolder::DeleteFileInside(const char* name)
{
    if (!HasNtFileCalls()) {
        TextBuffer path;
        path.AssignConcat(path_, "\\").AppendText(name);
        return DeleteCheckedFile(path.Data());
    }
    OwnedHandle file;
    bool created;
    return OpenInside(file, name, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false, created) &&
           NtDeleteThrough(file.Get());
}

bool HeldFolder::WriteFileInside(const char* name, const void* bytes, DWORD size, bool& created)
{
    OwnedHandle file;
    TextBuffer path;  // on 95, 98 and Me, where the file goes by path
    if (!HasNtFileCalls()) {
        path.AssignConcat(path_, "\\").AppendText(name);
        const HANDLE opened = CreateFileA(path.Data(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
        created = opened != INVALID_HANDLE_VALUE && GetLastError() != ERROR_ALREADY_EXISTS;
        file.Reset(opened);
    } else if (!OpenInside(file, name, GENERIC_WRITE | DELETE, FILE_SHARE_READ, true, created)) {
        return false;
    }
    DWORD written;
    if (file.Valid() && WriteFile(file.Get(), bytes, size, &written, nullptr) && written == size && SetEndOfFile(file.Get()))
        return true;
    // A file cut short (a full drive, a quota) is no link: one this run made goes again.
    if (created && path.Length() > 0) {
        file.Close();
        created = DeleteFileA(path.Data());
    } else if (created) {
        created = NtDeleteThrough(file.Get());
    }
    return false;
}

bool HeldFolder::MoveFileInside(const char* name, const HeldFolder& to, const char* newName)
{
    OwnedHandle file;
    bool created;
    return to.handle_.Valid() &&
           OpenInside(file, name, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false, created) &&
           NtRenameInto(file.Get(), to.handle_.Get(), newName);
}

bool InTheWay(const char* path)
{
    if (IsLink(path)) return true;
    OwnedHandle file;
    BY_HANDLE_FILE_INFORMATION info;
    OpenItself(file, path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    return Identity(file.Get(), info) && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsOnlyItself(info);
}

bool DeleteCheckedFile(const char* path)
{
    if (!HasNtFileCalls()) return IsPlainFile(GetFileAttributesA(path)) && DeleteFileA(path);
    BY_HANDLE_FILE_INFORMATION info;
    OwnedHandle file;
    return OpenPlainFile(file, path, DELETE, info) && NtDeleteThrough(file.Get());
}

bool DropReadOnlyChecked(const char* path)
{
    if (!HasNtFileCalls()) {
        const DWORD attributes = GetFileAttributesA(path);
        return IsPlainFile(attributes) && (attributes & FILE_ATTRIBUTE_READONLY) &&
               SetFileAttributesA(path, (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) ?: FILE_ATTRIBUTE_NORMAL);
    }
    BY_HANDLE_FILE_INFORMATION info;
    OwnedHandle file;
    return OpenPlainFile(file, path, FILE_WRITE_ATTRIBUTES, info) && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) &&
           NtSetAttributes(file.Get(), info.dwFileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}
