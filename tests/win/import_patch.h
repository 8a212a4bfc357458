#pragma once
// Swaps one entry of this program's import table for the test's own function, so that a test can
// see how the code calls the platform (access masks, sizes offered) or make a call misbehave
// (a value that grows between two queries). The original entry is restored on destruction.
#include <windows.h>

class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool Active() const { return slot_ != nullptr; }
    template <typename T>
    T Original() const { return reinterpret_cast<T>(original_); }

private:
    void Write(void* value);
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

#include <string.h>

#include <string>
#include <vector>

// GetProcAddress as patched by `patch`: the real answer, but for the function `wanted` the
// replacement, the real one kept in `real`.
template <typename Function>
FARPROC LookUpSwapped(const ImportPatch& patch, HMODULE module, LPCSTR name, const char* wanted, Function& real,
                      Function replacement)
{
    const FARPROC found = patch.Original<decltype(&GetProcAddress)>()(module, name);
    if (!HIWORD(name) || strcmp(name, wanted) != 0) return found;
    real = reinterpret_cast<Function>(reinterpret_cast<void*>(found));
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(replacement));
}

// While it lives, the system reports FILE_ATTRIBUTE_REPARSE_POINT for the given paths (whole
// paths, letter case ignored) as Windows reports a symbolic link to a file, which Wine 8 shows as
// a plain file: by path, through GetFileAttributesA, FindFirstFileA and FindNextFileA, and on a
// handle opened on the path with FILE_FLAG_OPEN_REPARSE_POINT, or as itself by NtCreateFile
// relative to a folder's handle, through GetFileInformationByHandle. `onHandlesOnly` limits the mark to handles, to test a check of the
// handle below the checks of the path. The files themselves stay plain, so a rule that ignores
// the mark acts on them and the test sees it.
class ReparseMarks {
public:
    explicit ReparseMarks(std::vector<std::string> paths, bool onHandlesOnly = false);
    ~ReparseMarks();
    ReparseMarks(const ReparseMarks&) = delete;
    ReparseMarks& operator=(const ReparseMarks&) = delete;

    bool Marked(const std::string& path) const;
    // A link planted from now on.
    void Add(const std::string& path);

    bool OnHandlesOnly() const { return onHandlesOnly_; }
    const ImportPatch& LookUp() const { return lookup_; }

private:
    std::vector<std::string> paths_;
    bool onHandlesOnly_;
    ImportPatch attributes_, first_, next_, open_, information_, lookup_;  // lookup_: for NtCreateFile
};

// While it lives, this test program is bound as scripts/bind binds setup.exe: the payload table
// it links (found in the loaded image by its mark) names the given files of `folder` with
// their sizes and SHA-256 as they are now; the digest of `lastByteOff`, when named, differs in
// its last byte. Emptied again on destruction.
class BoundPayload {
public:
    BoundPayload(const std::string& folder, const std::vector<std::string>& names, const std::string& lastByteOff = "");
    ~BoundPayload();
    BoundPayload(const BoundPayload&) = delete;
    BoundPayload& operator=(const BoundPayload&) = delete;

private:
    unsigned char* table_ = nullptr;
};

// While it lives, this process runs as on an older Windows: GetVersionExA reports `platform`
// (VER_PLATFORM_WIN32_NT, or VER_PLATFORM_WIN32_WINDOWS for 95, 98 and Me) and the version
// given, and GetProcAddress finds none of the functions newer than NT 4 that setup looks up,
// nor those in `missing`. On 95, 98 and Me there is no ntdll.dll, no handle opens on a folder
// and CreateFileA refuses FILE_SHARE_DELETE, as those systems do; with `onNt` the system below
// is NT whatever it reports, as in Windows' compatibility modes for 95 and 98.
struct OlderWindows {
    OlderWindows(DWORD platform, DWORD major, DWORD minor, std::vector<std::string> missing = {}, bool onNt = false);
    ~OlderWindows();
    bool Active() const { return version.Active() && lookup.Active() && module.Active() && open.Active(); }

    DWORD platform, major, minor;
    bool nt;  // the system below: NT, with ntdll
    std::vector<std::string> missing;
    ImportPatch version, lookup, module, open;
};

// While it lives, every call that changes a file or folder by path (DeleteFileA, MoveFileA,
// MoveFileExA, SetFileAttributesA, RemoveDirectoryA, CreateFileA with write or delete access) on
// a path inside one of `folders`, or the folder itself (letter case ignored), is recorded in
// `acts`: a line of the call and the path each.
struct ActsByPath {
    explicit ActsByPath(std::vector<std::string> folders);
    ~ActsByPath();

    std::vector<std::string> folders;
    std::string acts;
    ImportPatch remove, move, moveEx, attributes, removeFolder, open;
};

// While it lives, NtSetInformationFile, as setup looks it up, honours the POSIX delete
// (FileDispositionInformationEx with FILE_DISPOSITION_POSIX_SEMANTICS) as Windows 10 does on
// NTFS and Wine 8 does not (it answers STATUS_NOT_IMPLEMENTED): the name leaves its folder at
// once, moved out of it through the handle into `parking`, and the file goes with its last
// handle. `asked` counts the POSIX deletes.
struct PosixDeletes {
    explicit PosixDeletes(std::string parking);
    ~PosixDeletes();

    std::string parking;
    int asked = 0;
    ImportPatch lookup;
};

// While it lives, NtQueryObject, as setup looks it up, reports the name of a handle on a folder
// called `name` one level off, as a junction swapped in above it between two opens would make
// Windows resolve it: "...\<name>" becomes "...\elsewhere\<name>". `asked` counts the names
// so reported.
struct NamesOneLevelOff {
    explicit NamesOneLevelOff(std::string name);
    ~NamesOneLevelOff();

    std::string name;
    int asked = 0;
    ImportPatch lookup;
};
