#include "install/nt_file.h"

#include <stddef.h>
#include <string.h>

#include "base/platform.h"
#include "base/text_buffer.h"

namespace {

// A call of ntdll.dll as this Windows has it, or null.
template <typename Function>
Function NtCall(const char* name)
{
    return reinterpret_cast<Function>(SystemFunction(name, "ntdll.dll"));
}

// FileDispositionInformationEx and its flags (Windows 10 1709 on), which winternl.h lacks.
const auto kFileDispositionInformationEx = static_cast<FILE_INFORMATION_CLASS>(64);
const ULONG kDispositionDelete = 0x1, kDispositionPosixSemantics = 0x2;

bool SetInformation(HANDLE handle, void* information, ULONG length, FILE_INFORMATION_CLASS kind)
{
    const auto set = NtCall<decltype(&NtSetInformationFile)>("NtSetInformationFile");
    IO_STATUS_BLOCK status;
    return set && set(handle, &status, information, length, kind) == 0;
}

}  // namespace

UNICODE_STRING NtCountedName(TextBuffer& wide, const char* name)
{
    wide.ConvertToWide(name);
    const USHORT bytes = static_cast<USHORT>(wide.Length());
    return {bytes, bytes, reinterpret_cast<wchar_t*>(wide.Data())};
}

bool HasNtFileCalls() { return NtCall<decltype(&NtCreateFile)>("NtCreateFile") != nullptr; }

bool NtOpenInside(OwnedHandle& opened, HANDLE folder, const char* name, NtOpen what, DWORD access, DWORD sharing,
                  bool& created)
{
    opened.Close();
    created = false;
    const auto open = NtCall<decltype(&NtCreateFile)>("NtCreateFile");
    TextBuffer wide;
    UNICODE_STRING counted = NtCountedName(wide, name);
    // No security of its own: a file made here takes what its folder passes on.
    OBJECT_ATTRIBUTES attributes = {};
    attributes.Length = sizeof attributes;
    attributes.RootDirectory = folder;
    attributes.ObjectName = &counted;
    attributes.Attributes = OBJ_CASE_INSENSITIVE;
    IO_STATUS_BLOCK status = {};
    // Synchronous, as ReadFile and WriteFile expect a handle of CreateFileA's to be.
    const ULONG options = (what == NtOpen::Folder ? FILE_DIRECTORY_FILE : FILE_NON_DIRECTORY_FILE) |
                          FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT;
    HANDLE handle = nullptr;
    if (!open || !folder || folder == INVALID_HANDLE_VALUE || counted.Length == 0 ||
        open(&handle, access | SYNCHRONIZE, &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL, sharing,
             what == NtOpen::FileOrNew ? FILE_OPEN_IF : FILE_OPEN, options, nullptr, 0) != 0)
        return false;
    opened.Reset(handle);
    created = status.Information == FILE_CREATED;
    return true;
}

bool NtReadResolvedName(HANDLE handle, NtResolvedName& name)
{
    const auto query = NtCall<decltype(&NtQueryObject)>("NtQueryObject");
    ULONG needed;
    return query && query(handle, ObjectNameInformation, &name, sizeof name, &needed) == 0 && name.info.Name.Buffer;
}

bool NtNamesEqualNoCase(const UNICODE_STRING& first, const UNICODE_STRING& second)
{
    typedef BOOLEAN(NTAPI * EqualFunction)(const UNICODE_STRING*, const UNICODE_STRING*, BOOLEAN ignoreCase);
    const auto equal = NtCall<EqualFunction>("RtlEqualUnicodeString");
    return equal && equal(&first, &second, TRUE);
}

bool NtDeleteThrough(HANDLE handle)
{
    ULONG flags = kDispositionDelete | kDispositionPosixSemantics;
    if (SetInformation(handle, &flags, sizeof flags, kFileDispositionInformationEx)) return true;
    FILE_DISPOSITION_INFORMATION remove = {TRUE};
    return SetInformation(handle, &remove, sizeof remove, FileDispositionInformation);
}

bool NtRenameInto(HANDLE file, HANDLE folder, const char* newName)
{
    // The name follows the fixed part, in room of the record's own.
    union {
        FILE_RENAME_INFORMATION info;
        BYTE room[sizeof(FILE_RENAME_INFORMATION) + MAX_PATH * sizeof(wchar_t)];
    } rename = {};
    TextBuffer wide;
    const UNICODE_STRING counted = NtCountedName(wide, newName);
    const size_t at = offsetof(FILE_RENAME_INFORMATION, FileName);
    if (counted.Length == 0 || at + counted.Length > sizeof rename) return false;
    rename.info.ReplaceIfExists = FALSE;
    rename.info.RootDirectory = folder;
    rename.info.FileNameLength = counted.Length;
    memcpy(rename.room + at, counted.Buffer, counted.Length);
    return SetInformation(file, &rename, sizeof rename, FileRenameInformation);
}

bool NtSetAttributes(HANDLE handle, DWORD attributes)
{
    // Times of zero leave them as they are.
    FILE_BASIC_INFORMATION basic = {};
    basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetInformation(handle, &basic, sizeof basic, FileBasicInformation);
}
