#pragma once
// The NT file calls setup makes where the Win32 calls NT 4 has act only by path: a name opened
// relative to a folder's handle, the name Windows resolved for a handle, and a delete, a rename
// and attributes set through a handle. Each is in ntdll.dll from NT 3.1 on and is looked up as
// it is called; Windows 95, 98 and Me have no ntdll, and every call here fails there.
#include <windows.h>
#include <winternl.h>

#include "base/owned_handle.h"

class TextBuffer;

// Whether this Windows has the NT file calls (NtCreateFile in ntdll), whatever version it
// reports: Windows' compatibility modes for 95 and 98 report platform id 1 on NT, where every
// rule of NT still holds. Only where it has none (95, 98, Me) do setup's acts go by path.
bool HasNtFileCalls();

// `name` as NT takes a name: counted UTF-16 (lengths in bytes), whose text lives in `wide`.
UNICODE_STRING NtCountedName(TextBuffer& wide, const char* name);

// What NtOpenInside opens: a plain file that is there, a plain file made when missing, or a
// folder that is there.
enum class NtOpen { File, FileOrNew, Folder };

// Opens `name`, one name without a folder, relative to the folder `folder` holds: looked up in
// that folder whatever its path leads to now, and opened as itself (FILE_OPEN_REPARSE_POINT: a
// link in its place is opened, not followed; Wine follows it all the same, and the resolved
// name shows where). `created` tells whether the open made the file. False, with nothing open,
// on any failure and where NtCreateFile is missing.
bool NtOpenInside(OwnedHandle& opened, HANDLE folder, const char* name, NtOpen what, DWORD access, DWORD sharing,
                  bool& created);

// The name Windows resolved for what a handle holds (NtQueryObject, ObjectNameInformation):
// every link on the way followed, in the kernel's own form ("\Device\HarddiskVolume2\Users\...",
// under Wine "\??\C:\users\..."). The counted name and its text live in the area.
union NtResolvedName {
    OBJECT_NAME_INFORMATION info;
    wchar_t room[1024];
};
// False where the call is missing, fails or the name does not fit.
bool NtReadResolvedName(HANDLE handle, NtResolvedName& name);

// Whether two counted names are equal, letter case ignored as NTFS ignores it
// (RtlEqualUnicodeString); false where the call is missing.
bool NtNamesEqualNoCase(const UNICODE_STRING& first, const UNICODE_STRING& second);

// Deletes what the handle holds, which must have been opened with DELETE. With POSIX semantics
// (Windows 10 1709 and later, on NTFS) its name goes at once, even while another process (an
// indexer, a virus scanner) has it open; the classic disposition, everywhere else, keeps the
// name until the last handle closes, and so keeps a folder that held it from being removed
// meanwhile.
bool NtDeleteThrough(HANDLE handle);

// Renames the file the handle holds (opened with DELETE) to `newName` inside the folder that
// `folder` holds, never over a file already there.
bool NtRenameInto(HANDLE file, HANDLE folder, const char* newName);

// Sets the attributes of what the handle holds (opened with FILE_WRITE_ATTRIBUTES); none at
// all would read as "unchanged", so none is sent as FILE_ATTRIBUTE_NORMAL.
bool NtSetAttributes(HANDLE handle, DWORD attributes);
