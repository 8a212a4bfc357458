#include "install/held_folder.h"

#include <string.h>

#include "base/code_page.h"
#include "base/platform.h"
#include "base/text_buffer.h"

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

// Opens a plain file itself (a link, not what it points to) with `access`, sharing everything,
// and reads its information; false, with nothing open, when the path names nothing, a folder
// or a reparse point. A link to a folder opens, under Wine, as the folder it points to:
// refused as a folder.
bool OpenPlainFile(OwnedHandle& file, const char* path, DWORD access, BY_HANDLE_FILE_INFORMATION& info)
{
    OpenItself(file, path, access | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (Identity(file.Get(), info) && !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return true;
    file.Close();
    return false;
}

// Changes the object behind the handle itself. NtSetInformationFile is there from NT 3.1 on
// (SetFileInformationByHandle only from Vista); where it is missing the act is refused.
typedef LONG(WINAPI* SetInformationFunction)(HANDLE, void* status, void* information, ULONG length, int kind);

SetInformationFunction SetInformationCall()
{
    return reinterpret_cast<SetInformationFunction>(SystemFunction("NtSetInformationFile", "ntdll.dll"));
}

bool SetInformation(SetInformationFunction set, HANDLE handle, void* information, ULONG length, int kind)
{
    void* status[2];
    return set && set(handle, status, information, length, kind) == 0;
}

// Deletes the object behind the handle. With POSIX semantics (Windows 10 1709 and later, on
// NTFS) its name goes at once, even while another process (an indexer, a virus scanner) has it
// open; the classic disposition, everywhere else, keeps the name until the last handle closes,
// and so keeps a folder that held it from being removed meanwhile.
bool DeleteOnClose(HANDLE handle)
{
    const SetInformationFunction set = SetInformationCall();
    ULONG flags = 0x1 | 0x2;  // FILE_DISPOSITION_DELETE | FILE_DISPOSITION_POSIX_SEMANTICS
    const int kFileDispositionInformationEx = 64;
    if (SetInformation(set, handle, &flags, sizeof flags, kFileDispositionInformationEx)) return true;
    BOOLEAN remove = TRUE;
    const int kFileDispositionInformation = 13;
    return SetInformation(set, handle, &remove, sizeof remove, kFileDispositionInformation);
}

// On Windows 95, 98 and Me: whether the attributes read by path are a plain file's.
bool IsPlainFile(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

// A UNICODE_STRING: the length and room in bytes, and the text, not ended by a zero.
struct CountedName {
    USHORT length, room;
    const wchar_t* text;
};

// The name Windows resolved for what a handle holds, as NtQueryObject (ObjectNameInformation,
// there from NT 3.1) reports it: every link on the way followed, in the kernel's own form
// ("\Device\HarddiskVolume2\Users\...", under Wine "\??\C:\users\..."). The name lives in
// `area` (OBJECT_NAME_INFORMATION: the counted name, then its text); false where the call is
// missing, fails or the name does not fit.
union NameArea {
    CountedName name;
    wchar_t units[1024];
};

bool ResolvedName(HANDLE handle, NameArea& area)
{
    typedef LONG(WINAPI * QueryFunction)(HANDLE, int kind, void* information, ULONG length, ULONG* needed);
    const auto query = reinterpret_cast<QueryFunction>(SystemFunction("NtQueryObject", "ntdll.dll"));
    ULONG needed;
    const int kObjectNameInformation = 1;
    return query && query(handle, kObjectNameInformation, &area, sizeof area, &needed) == 0 && area.name.text;
}

// Whether the object `held` is the one named `name` inside the folder `parent` holds (directly,
// or for a name of several folders, below it): its resolved name is the parent's, a backslash
// and `name`, letter case ignored as Windows ignores it. A link in place of the folder, or one
// above it that was swapped in between the two opens, resolves elsewhere.
NameArea parentName, heldName;

bool NamedInParent(HANDLE parent, HANDLE held, const char* name)
{
    typedef BOOLEAN(WINAPI * EqualFunction)(const CountedName*, const CountedName*, BOOLEAN ignoreCase);
    const auto equal = reinterpret_cast<EqualFunction>(SystemFunction("RtlEqualUnicodeString", "ntdll.dll"));
    if (!equal || !ResolvedName(parent, parentName) || !ResolvedName(held, heldName)) return false;
    const CountedName& above = parentName.name;
    const CountedName& whole = heldName.name;
    TextBuffer wide;
    wide.ConvertToWide(name);
    const USHORT nameBytes = static_cast<USHORT>(wide.Length());
    const bool separated = above.length >= 2 && above.text[above.length / 2 - 1] == L'\\';
    const USHORT prefix = static_cast<USHORT>(above.length + (separated ? 0 : 2));
    if (nameBytes == 0 || whole.length != prefix + nameBytes || (!separated && whole.text[above.length / 2] != L'\\'))
        return false;
    const CountedName start = {above.length, above.length, whole.text};
    const CountedName last = {nameBytes, nameBytes, whole.text + prefix / 2};
    const CountedName own = {nameBytes, nameBytes, reinterpret_cast<const wchar_t*>(wide.Data())};
    return equal(&start, &above, TRUE) && equal(&last, &own, TRUE);
}

// The bytes of the root a full path starts from, C:\ or \\server\share\; 0 for any other.
int32_t RootLength(const char* path)
{
    if (path[0] && path[1] == ':' && path[2] == '\\') return 3;
    if (path[0] != '\\' || path[1] != '\\') return 0;
    int separators = 0;
    for (int32_t at = 2; path[at]; at += CharLength(path + at))
        if (path[at] == '\\' && ++separators == 2) return at + 1;
    return 0;
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
        handles[i].Reset(CreateFileA(paths[i]->Text(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
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
    if (OnWindows9x()) {
        if (IsFolder(path) && !IsLink(path)) return true;
        Release();
        return false;
    }
    // The folder's parent is opened first, as its path resolves, and the folder held is then
    // known by the name Windows resolved. A swap that passes as setup looks is met again a
    // moment later; one that stays is refused.
    // The parent is known by its name too, below the root of the path (a drive or a share,
    // which no user's process can swap): a link anywhere between the two, one folder up or
    // more, resolves elsewhere.
    TextBuffer above, root, below;
    above.GetFolderPart(path_);
    const char* name = path + above.Length();
    const int32_t rootLength = RootLength(path);
    root.CopyPart(path_, 0, rootLength, false);
    if (above.Length() > rootLength) below.CopyPart(above, rootLength, above.Length() - rootLength - 1, false);
    OwnedHandle top;
    OpenItself(top, root.Text(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    for (int tries = 0; rootLength > 0 && tries < 3; ++tries) {
        OwnedHandle parent;
        OpenItself(parent, above.Text(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        // Data access, not attributes alone: only a handle with it imposes its sharing on others.
        OpenItself(handle_, path, GENERIC_READ | (toRemove ? DELETE : 0), FILE_SHARE_READ | FILE_SHARE_WRITE);
        BY_HANDLE_FILE_INFORMATION held, named;
        OwnedHandle again;
        OpenItself(again, path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        if (Identity(handle_.Get(), held) && Identity(again.Get(), named) &&
            (held.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == FILE_ATTRIBUTE_DIRECTORY &&
            SameObject(held, named) &&
            (below.Length() == 0 || NamedInParent(top.Get(), parent.Get(), below.Text())) &&
            NamedInParent(parent.Get(), handle_.Get(), name))
            return true;
        handle_.Close();
    }
    Release();
    return false;
}

bool HeldFolder::RemoveIfEmpty()
{
    const bool removed = OnWindows9x() ? path_.Length() > 0 && RemoveDirectoryA(path_.Data()) : DeleteOnClose(handle_.Get());
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
    // NtCreateFile (from NT 3.1) with the held folder as the root of the name: the file is
    // looked up in the folder held, whatever its path leads to now.
    typedef LONG(WINAPI * CreateFunction)(HANDLE*, DWORD access, const void* object, ULONG_PTR* status, void* size,
                                          ULONG attributes, ULONG sharing, ULONG disposition, ULONG options, void*, ULONG);
    const auto open = reinterpret_cast<CreateFunction>(SystemFunction("NtCreateFile", "ntdll.dll"));
    TextBuffer wide;
    wide.ConvertToWide(name);
    const USHORT bytes = static_cast<USHORT>(wide.Length());
    const CountedName counted = {bytes, bytes, reinterpret_cast<const wchar_t*>(wide.Data())};
    // OBJECT_ATTRIBUTES: its size, the root, the name, OBJ_CASE_INSENSITIVE, no security.
    const struct {
        ULONG size;
        HANDLE root;
        const CountedName* name;
        ULONG flags;
        void *security, *quality;
    } attributes = {sizeof attributes, handle_.Get(), &counted, 0x40, nullptr, nullptr};
    ULONG_PTR status[2] = {};
    const ULONG kOpen = 1, kOpenIf = 3, kCreated = 2;
    // FILE_NON_DIRECTORY_FILE, FILE_SYNCHRONOUS_IO_NONALERT, FILE_OPEN_REPARSE_POINT: a plain
    // file, written as WriteFile expects, and a link opened as itself.
    const ULONG options = 0x40 | 0x20 | 0x200000;
    created = false;
    if (!open || !handle_.Valid() || bytes == 0 ||
        open(file.Receive(), access | SYNCHRONIZE | FILE_READ_ATTRIBUTES, &attributes, status, nullptr, FILE_ATTRIBUTE_NORMAL,
             sharing, create ? kOpenIf : kOpen, options, nullptr, 0) != 0) {
        file.Reset(nullptr);
        return false;
    }
    created = status[1] == kCreated;
    BY_HANDLE_FILE_INFORMATION info;
    if (Identity(file.Get(), info) && !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
        NamedInParent(handle_.Get(), file.Get(), name))
        return true;
    if (created) DeleteOnClose(file.Get());
    file.Close();
    return false;
}

bool HeldFolder::DeleteFileInside(const char* name)
{
    if (OnWindows9x()) {
        TextBuffer path;
        path.AssignConcat(path_, "\\").AppendText(name);
        return DeleteCheckedFile(path.Data());
    }
    OwnedHandle file;
    bool created;
    return OpenInside(file, name, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false, created) &&
           DeleteOnClose(file.Get());
}

bool HeldFolder::WriteFileInside(const char* name, const void* bytes, DWORD size, bool& created)
{
    OwnedHandle file;
    if (OnWindows9x()) {
        TextBuffer path;
        path.AssignConcat(path_, "\\").AppendText(name);
        file.Reset(CreateFileA(path.Data(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr));
        created = GetLastError() != ERROR_ALREADY_EXISTS;
    } else if (!OpenInside(file, name, GENERIC_WRITE | DELETE, FILE_SHARE_READ, true, created)) {
        return false;
    }
    DWORD written;
    return file.Valid() && WriteFile(file.Get(), bytes, size, &written, nullptr) && written == size && SetEndOfFile(file.Get());
}

bool HeldFolder::MoveFileInside(const char* name, const HeldFolder& to, const char* newName)
{
    OwnedHandle file;
    bool created;
    if (!to.handle_.Valid() ||
        !OpenInside(file, name, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false, created))
        return false;
    // FILE_RENAME_INFORMATION: the new name relative to the other held folder, never over a
    // file already there.
    struct {
        BOOLEAN replace;
        HANDLE root;
        ULONG bytes;
        wchar_t name[MAX_PATH];
    } rename = {FALSE, to.handle_.Get(), 0, {}};
    TextBuffer wide;
    wide.ConvertToWide(newName);
    rename.bytes = static_cast<ULONG>(wide.Length());
    if (rename.bytes == 0 || rename.bytes >= sizeof rename.name) return false;
    memcpy(rename.name, wide.Data(), rename.bytes);
    const int kFileRenameInformation = 10;
    return SetInformation(SetInformationCall(), file.Get(), &rename, sizeof rename, kFileRenameInformation);
}

bool DeleteCheckedFile(const char* path)
{
    if (OnWindows9x()) return IsPlainFile(GetFileAttributesA(path)) && DeleteFileA(path);
    BY_HANDLE_FILE_INFORMATION info;
    OwnedHandle file;
    return OpenPlainFile(file, path, DELETE, info) && DeleteOnClose(file.Get());
}

bool DropReadOnlyChecked(const char* path)
{
    if (OnWindows9x()) {
        const DWORD attributes = GetFileAttributesA(path);
        return IsPlainFile(attributes) && (attributes & FILE_ATTRIBUTE_READONLY) &&
               SetFileAttributesA(path, (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) ?: FILE_ATTRIBUTE_NORMAL);
    }
    BY_HANDLE_FILE_INFORMATION info;
    OwnedHandle file;
    if (!OpenPlainFile(file, path, FILE_WRITE_ATTRIBUTES, info)) return false;
    bool dropped = false;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
        // FILE_BASIC_INFORMATION: four times (zero: unchanged), then the attributes, of which
        // none at all would also read as "unchanged".
        struct {
            LARGE_INTEGER times[4];
            ULONG attributes;
        } basic = {};
        basic.attributes = (info.dwFileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) ?: FILE_ATTRIBUTE_NORMAL;
        const int kFileBasicInformation = 4;
        dropped = SetInformation(SetInformationCall(), file.Get(), &basic, sizeof basic, kFileBasicInformation);
    }
    return dropped;
}
