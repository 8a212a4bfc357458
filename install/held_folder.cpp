#include "install/held_folder.h"

#include "base/text_buffer.h"
#include "install/install_file.h"

namespace {

// The object a handle holds: the volume and the file's index on it.
bool Identity(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info)
{
    return handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &info);
}

HANDLE OpenItself(const char* path, DWORD access, DWORD sharing)
{
    return CreateFileA(path, access, sharing, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                       nullptr);
}

// Opens a plain file itself (a link, not what it points to) with `access`, sharing everything,
// and reads its information; INVALID_HANDLE_VALUE, with nothing open, when the path names
// nothing, a folder or a reparse point. A link to a folder opens, under Wine, as the folder it
// points to: refused as a folder.
HANDLE OpenPlainFile(const char* path, DWORD access, BY_HANDLE_FILE_INFORMATION& info)
{
    HANDLE file = OpenItself(path, access | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (Identity(file, info) && !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return file;
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return INVALID_HANDLE_VALUE;
}

// Changes the object behind the handle itself. NtSetInformationFile is there from NT 3.1 on
// (SetFileInformationByHandle only from Vista); where it is missing, so are links.
bool SetInformation(HANDLE handle, void* information, ULONG length, int kind)
{
    typedef LONG(WINAPI * Set)(HANDLE, void* status, void* information, ULONG length, int kind);
    const auto set = reinterpret_cast<Set>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtSetInformationFile")));
    void* status[2];
    return set && set(handle, status, information, length, kind) == 0;
}

// Marks the object behind the handle for deletion when the handle closes.
bool DeleteOnClose(HANDLE handle)
{
    BOOLEAN remove = TRUE;
    const int kFileDispositionInformation = 13;
    return SetInformation(handle, &remove, sizeof remove, kFileDispositionInformation);
}

}  // namespace

bool HeldFolder::Hold(const TextBuffer& folder, bool toRemove)
{
    Release();
    // Without a trailing backslash: with one, the path names what a link points to.
    TextBuffer bare;
    const char* path = bare.Assign(folder).TrimEnd('\\').Data();
    // Data access, not attributes alone: only a handle with it imposes its sharing on others.
    handle_ = OpenItself(path, GENERIC_READ | (toRemove ? DELETE : 0), FILE_SHARE_READ | FILE_SHARE_WRITE);
    BY_HANDLE_FILE_INFORMATION held, named;
    HANDLE again = OpenItself(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    const bool same = Identity(handle_, held) && Identity(again, named) &&
                      (held.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == FILE_ATTRIBUTE_DIRECTORY &&
                      !IsLink(path) && held.dwVolumeSerialNumber == named.dwVolumeSerialNumber &&
                      held.nFileIndexLow == named.nFileIndexLow && held.nFileIndexHigh == named.nFileIndexHigh;
    if (again != INVALID_HANDLE_VALUE) CloseHandle(again);
    if (!same) Release();
    return same;
}

bool HeldFolder::RemoveIfEmpty()
{
    const bool removed = DeleteOnClose(handle_);
    Release();
    return removed;
}

void HeldFolder::Release()
{
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

bool DeleteCheckedFile(const char* path)
{
    BY_HANDLE_FILE_INFORMATION info;
    HANDLE file = OpenPlainFile(path, DELETE, info);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool deleted = DeleteOnClose(file);
    CloseHandle(file);
    return deleted;
}

bool DropReadOnlyChecked(const char* path)
{
    BY_HANDLE_FILE_INFORMATION info;
    HANDLE file = OpenPlainFile(path, FILE_WRITE_ATTRIBUTES, info);
    if (file == INVALID_HANDLE_VALUE) return false;
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
        dropped = SetInformation(file, &basic, sizeof basic, kFileBasicInformation);
    }
    CloseHandle(file);
    return dropped;
}
