#include "tests/win/import_patch.h"

#include <string.h>
#include <wchar.h>

#include "base/sha256.h"
#include "install/payload.h"

#include <utility>

ImportPatch::ImportPatch(const char* dll, const char* function, void* replacement)
{
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress) return;
    for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); desc->Name; ++desc) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + desc->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            slot_ = reinterpret_cast<void**>(&slots->u1.Function);
            original_ = *slot_;
            Write(replacement);
            return;
        }
    }
}

ImportPatch::~ImportPatch()
{
    if (slot_) Write(original_);
}

void ImportPatch::Write(void* value)
{
    DWORD old;
    VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &old);
    *slot_ = value;
    VirtualProtect(slot_, sizeof(void*), old, &old);
}

namespace {

ReparseMarks* marks;
// The folder of each search opened through the patch, to name what FindNextFileA finds.
std::vector<std::pair<HANDLE, std::string>> searches;

std::string Folded(std::string path)
{
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    for (char& c : path)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return path;
}

// The system's own functions: a call by name from this program would come back to the patch.
template <typename F>
F System(const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

// Handles opened on a marked path, on the link itself; and the path of each handle opened, to
// name a file opened relative to a folder's handle.
std::vector<HANDLE> markedHandles;
std::vector<std::pair<HANDLE, std::string>> openedPaths;

void Opened(HANDLE handle, const std::string& path)
{
    for (HANDLE& h : markedHandles)
        if (h == handle) h = INVALID_HANDLE_VALUE;
    for (auto& opened : openedPaths)
        if (opened.first == handle) opened.first = INVALID_HANDLE_VALUE;
    openedPaths.emplace_back(handle, path);
}

bool MarkedPath(LPCSTR path) { return path && !marks->OnHandlesOnly() && marks->Marked(path); }

HANDLE WINAPI MarkedOpen(LPCSTR path, DWORD access, DWORD sharing, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                         DWORD flags, HANDLE model)
{
    HANDLE handle = System<decltype(&CreateFileA)>("CreateFileA")(path, access, sharing, security, disposition, flags, model);
    if (handle == INVALID_HANDLE_VALUE || !path) return handle;
    Opened(handle, path);
    if ((flags & FILE_FLAG_OPEN_REPARSE_POINT) && marks->Marked(path)) markedHandles.push_back(handle);
    return handle;
}

// NtCreateFile: a file opened as itself (FILE_OPEN_REPARSE_POINT) relative to a folder's handle.
typedef LONG(WINAPI* CreateFunction)(HANDLE*, DWORD, void* object, void* status, void* size, ULONG attributes, ULONG sharing,
                                     ULONG disposition, ULONG options, void* extended, ULONG extendedLength);
CreateFunction realCreate;

LONG WINAPI MarkedCreate(HANDLE* handle, DWORD access, void* object, void* status, void* size, ULONG attributes, ULONG sharing,
                         ULONG disposition, ULONG options, void* extended, ULONG extendedLength)
{
    const LONG result =
        realCreate(handle, access, object, status, size, attributes, sharing, disposition, options, extended, extendedLength);
    const struct {
        ULONG size;
        HANDLE root;
        const struct {
            USHORT length, room;
            const WCHAR* text;
        }* name;
    }* named = static_cast<decltype(named)>(object);
    if (result != 0 || !named->root) return result;
    std::string path;
    for (const auto& opened : openedPaths)
        if (opened.first == named->root) path = opened.second;
    char name[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, named->name->text, named->name->length / 2, name, MAX_PATH - 1, nullptr, nullptr);
    path = Folded(path) + "\\" + name;
    Opened(*handle, path);
    if ((options & 0x200000) && marks->Marked(path)) markedHandles.push_back(*handle);
    return result;
}

FARPROC WINAPI MarkedLookUp(HMODULE module, LPCSTR name)
{
    return LookUpSwapped<CreateFunction>(marks->LookUp(), module, name, "NtCreateFile", realCreate, MarkedCreate);
}

BOOL WINAPI MarkedInformation(HANDLE handle, LPBY_HANDLE_FILE_INFORMATION information)
{
    const BOOL got = System<decltype(&GetFileInformationByHandle)>("GetFileInformationByHandle")(handle, information);
    for (HANDLE h : markedHandles)
        if (got && h == handle) information->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    return got;
}

DWORD WINAPI MarkedAttributes(LPCSTR path)
{
    const DWORD attributes = System<decltype(&GetFileAttributesA)>("GetFileAttributesA")(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && MarkedPath(path))
        return attributes | FILE_ATTRIBUTE_REPARSE_POINT;
    return attributes;
}

void MarkFound(const std::string& folder, WIN32_FIND_DATAA* data)
{
    if (MarkedPath((folder + data->cFileName).c_str())) data->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
}

HANDLE WINAPI MarkedFirst(LPCSTR name, LPWIN32_FIND_DATAA data)
{
    HANDLE search = System<decltype(&FindFirstFileA)>("FindFirstFileA")(name, data);
    if (search == INVALID_HANDLE_VALUE || !name) return search;
    std::string folder = name;
    folder.erase(folder.find_last_of('\\') + 1);
    if (strpbrk(name, "*?")) {
        MarkFound(folder, data);
        searches.emplace_back(search, folder);
    } else if (MarkedPath(name)) {
        data->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    }
    return search;
}

BOOL WINAPI MarkedNext(HANDLE search, LPWIN32_FIND_DATAA data)
{
    const BOOL found = System<decltype(&FindNextFileA)>("FindNextFileA")(search, data);
    if (found)
        for (const auto& s : searches)
            if (s.first == search) MarkFound(s.second, data);
    return found;
}

}  // namespace

ReparseMarks::ReparseMarks(std::vector<std::string> paths, bool onHandlesOnly)
    : paths_(std::move(paths)),
      onHandlesOnly_(onHandlesOnly),
      attributes_("kernel32.dll", "GetFileAttributesA", reinterpret_cast<void*>(MarkedAttributes)),
      first_("kernel32.dll", "FindFirstFileA", reinterpret_cast<void*>(MarkedFirst)),
      next_("kernel32.dll", "FindNextFileA", reinterpret_cast<void*>(MarkedNext)),
      open_("kernel32.dll", "CreateFileA", reinterpret_cast<void*>(MarkedOpen)),
      information_("kernel32.dll", "GetFileInformationByHandle", reinterpret_cast<void*>(MarkedInformation)),
      lookup_("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(MarkedLookUp))
{
    for (std::string& path : paths_) path = Folded(path);
    marks = this;
}

ReparseMarks::~ReparseMarks()
{
    marks = nullptr;
    searches.clear();
    markedHandles.clear();
    openedPaths.clear();
}

void ReparseMarks::Add(const std::string& path) { paths_.push_back(Folded(path)); }

bool ReparseMarks::Marked(const std::string& path) const
{
    const std::string folded = Folded(path);
    for (const std::string& p : paths_)
        if (p == folded) return true;
    return false;
}

namespace {

const char kPayloadMark[] = "ZV payload v1";

// The mark followed by an empty table; this file's own copy of the mark is followed by other data.
unsigned char* FindPayloadTable()
{
    auto* base = reinterpret_cast<unsigned char*>(GetModuleHandleA(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        unsigned char* start = base + section->VirtualAddress;
        const size_t size = section->Misc.VirtualSize;
        for (size_t at = 0; at + kPayloadTableBytes <= size; ++at) {
            unsigned char* p = start + at;
            if (memcmp(p, kPayloadMark, sizeof kPayloadMark) != 0) continue;
            bool empty = true;
            for (int j = sizeof kPayloadMark; j < kPayloadTableBytes && empty; ++j) empty = p[j] == 0;
            if (empty) return p;
        }
    }
    return nullptr;
}

void WriteTable(unsigned char* table, const std::string& bytes)
{
    DWORD old;
    VirtualProtect(table, kPayloadTableBytes, PAGE_READWRITE, &old);
    memset(table + kPayloadMarkBytes, 0, kPayloadTableBytes - kPayloadMarkBytes);
    memcpy(table + kPayloadMarkBytes, bytes.data(), bytes.size());
    VirtualProtect(table, kPayloadTableBytes, old, &old);
}

}  // namespace

BoundPayload::BoundPayload(const std::string& folder, const std::vector<std::string>& names, const std::string& lastByteOff)
    : table_(FindPayloadTable())
{
    if (!table_) return;
    std::string entries;
    for (const std::string& name : names) {
        std::string bytes;
        HANDLE file = CreateFileA((folder + "\\" + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        char area[4096];
        DWORD got;
        while (file != INVALID_HANDLE_VALUE && ReadFile(file, area, sizeof area, &got, nullptr) && got) bytes.append(area, got);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        Sha256 hash;
        hash.Add(bytes.data(), bytes.size());
        uint8_t digest[32];
        hash.Finish(digest);
        if (name == lastByteOff) digest[31] ^= 1;
        const uint32_t size = static_cast<uint32_t>(bytes.size());
        entries += static_cast<char>(name.size()) + name + '\0';
        entries.append(reinterpret_cast<const char*>(&size), 4);
        entries.append(reinterpret_cast<const char*>(digest), 32);
    }
    WriteTable(table_, entries);
}

BoundPayload::~BoundPayload()
{
    if (table_) WriteTable(table_, "");
}

namespace {

OlderWindows* older;  // set before the first patch is made: making one calls GetModuleHandleA

BOOL WINAPI OlderVersion(LPOSVERSIONINFOA version)
{
    if (!version || version->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) return FALSE;
    *version = {version->dwOSVersionInfoSize, older->major, older->minor, 0, older->platform, {}};
    return TRUE;
}

FARPROC WINAPI OlderLookup(HMODULE module, LPCSTR name)
{
    for (const std::string& missing : older->missing)
        if (HIWORD(name) && missing == name) return nullptr;
    return older->lookup.Original<decltype(&GetProcAddress)>()(module, name);
}

HMODULE WINAPI OlderModule(LPCSTR name)
{
    if (name && !older->nt && lstrcmpiA(name, "ntdll.dll") == 0) return nullptr;
    return older->module.Original<decltype(&GetModuleHandleA)>()(name);
}

HANDLE WINAPI OlderOpen(LPCSTR path, DWORD access, DWORD sharing, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                        DWORD flags, HANDLE model)
{
    const DWORD attributes = path ? GetFileAttributesA(path) : INVALID_FILE_ATTRIBUTES;
    if (!older->nt &&
        ((sharing & FILE_SHARE_DELETE) || (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return older->open.Original<decltype(&CreateFileA)>()(path, access, sharing, security, disposition, flags, model);
}

OlderWindows* Registered(OlderWindows* windows) { return older = windows; }

}  // namespace

OlderWindows::OlderWindows(DWORD platform, DWORD major, DWORD minor, std::vector<std::string> missing, bool onNt)
    : platform((Registered(this), platform)),
      major(major),
      minor(minor),
      nt(onNt || platform == VER_PLATFORM_WIN32_NT),
      missing(std::move(missing)),
      version("kernel32.dll", "GetVersionExA", reinterpret_cast<void*>(OlderVersion)),
      lookup("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(OlderLookup)),
      module("kernel32.dll", "GetModuleHandleA", reinterpret_cast<void*>(OlderModule)),
      open("kernel32.dll", "CreateFileA", reinterpret_cast<void*>(OlderOpen))
{
    // Looked up by setup and newer than NT 4; then those NT 4 has and 95, 98 and Me lack.
    for (const char* name : {"SetDefaultDllDirectories", "SetDllDirectoryA", "SetProcessMitigationPolicy"})
        this->missing.push_back(name);
    if (!nt)
        for (const char* name : {"IsProcessorFeaturePresent", "NtSetInformationFile"}) this->missing.push_back(name);
}

OlderWindows::~OlderWindows() { older = nullptr; }

namespace {

ActsByPath* recorder;

void Record(const char* call, LPCSTR path)
{
    if (!recorder || !path) return;
    const std::string folded = Folded(path);
    for (const std::string& folder : recorder->folders)
        if (folded == folder || folded.rfind(folder + "\\", 0) == 0) recorder->acts += std::string(call) + " " + path + "\n";
}

// Each records its path (a move both), then makes the call as the patch found it.
BOOL WINAPI RecordDelete(LPCSTR path) { return Record("DeleteFileA", path), recorder->remove.Original<decltype(&DeleteFileA)>()(path); }
BOOL WINAPI RecordMove(LPCSTR from, LPCSTR to)
{
    return Record("MoveFileA", from), Record("MoveFileA", to), recorder->move.Original<decltype(&MoveFileA)>()(from, to);
}
BOOL WINAPI RecordMoveEx(LPCSTR from, LPCSTR to, DWORD flags)
{
    return Record("MoveFileExA", from), Record("MoveFileExA", to), recorder->moveEx.Original<decltype(&MoveFileExA)>()(from, to, flags);
}
BOOL WINAPI RecordAttributes(LPCSTR path, DWORD attributes)
{
    return Record("SetFileAttributesA", path), recorder->attributes.Original<decltype(&SetFileAttributesA)>()(path, attributes);
}
BOOL WINAPI RecordRemoveFolder(LPCSTR path)
{
    return Record("RemoveDirectoryA", path), recorder->removeFolder.Original<decltype(&RemoveDirectoryA)>()(path);
}
HANDLE WINAPI RecordOpen(LPCSTR path, DWORD access, DWORD sharing, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                         DWORD flags, HANDLE model)
{
    if (access & (GENERIC_WRITE | GENERIC_ALL | DELETE | FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES))
        Record("CreateFileA", path);
    return recorder->open.Original<decltype(&CreateFileA)>()(path, access, sharing, security, disposition, flags, model);
}

}  // namespace

ActsByPath::ActsByPath(std::vector<std::string> folders)
    : folders((recorder = this, std::move(folders))),
      remove("kernel32.dll", "DeleteFileA", reinterpret_cast<void*>(RecordDelete)),
      move("kernel32.dll", "MoveFileA", reinterpret_cast<void*>(RecordMove)),
      moveEx("kernel32.dll", "MoveFileExA", reinterpret_cast<void*>(RecordMoveEx)),
      attributes("kernel32.dll", "SetFileAttributesA", reinterpret_cast<void*>(RecordAttributes)),
      removeFolder("kernel32.dll", "RemoveDirectoryA", reinterpret_cast<void*>(RecordRemoveFolder)),
      open("kernel32.dll", "CreateFileA", reinterpret_cast<void*>(RecordOpen))
{
    for (std::string& folder : this->folders) folder = Folded(folder);
}

ActsByPath::~ActsByPath() { recorder = nullptr; }

namespace {

PosixDeletes* posix;
typedef LONG(WINAPI* SetFileInformation)(HANDLE, void* status, void* information, ULONG length, int kind);
SetFileInformation realSetInformation;

LONG WINAPI PosixSetInformation(HANDLE handle, void* status, void* information, ULONG length, int kind)
{
    const int kDispositionEx = 64, kDisposition = 13, kRename = 10;
    const ULONG kDeletePosix = 0x1 | 0x2;
    if (kind != kDispositionEx || (*static_cast<ULONG*>(information) & kDeletePosix) != kDeletePosix)
        return realSetInformation(handle, status, information, length, kind);
    // FILE_RENAME_INFORMATION: replace, root, the name's length in bytes, the NT name.
    const std::string target = "\\??\\" + posix->parking + "\\" + std::to_string(++posix->asked);
    struct {
        BOOLEAN replace;
        HANDLE root;
        ULONG length;
        WCHAR name[MAX_PATH];
    } rename = {};
    rename.length = static_cast<ULONG>(MultiByteToWideChar(CP_ACP, 0, target.c_str(), -1, rename.name, MAX_PATH) - 1) * 2;
    BOOLEAN remove = TRUE;
    const LONG moved = realSetInformation(handle, status, &rename, sizeof rename, kRename);
    return moved ? moved : realSetInformation(handle, status, &remove, sizeof remove, kDisposition);
}

FARPROC WINAPI PosixLookup(HMODULE module, LPCSTR name)
{
    return LookUpSwapped<SetFileInformation>(posix->lookup, module, name, "NtSetInformationFile", realSetInformation,
                                             PosixSetInformation);
}

}  // namespace

PosixDeletes::PosixDeletes(std::string parking)
    : parking(std::move(parking)), lookup("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(PosixLookup))
{
    CreateDirectoryA(this->parking.c_str(), nullptr);
    posix = this;
}

PosixDeletes::~PosixDeletes() { posix = nullptr; }

namespace {

NamesOneLevelOff* offNames;
typedef LONG(WINAPI* QueryObject)(HANDLE, int kind, void* information, ULONG length, ULONG* needed);
QueryObject realQueryObject;

LONG WINAPI QueryNameOneLevelOff(HANDLE handle, int kind, void* information, ULONG length, ULONG* needed)
{
    const LONG status = realQueryObject(handle, kind, information, length, needed);
    struct Counted {
        USHORT length, room;
        WCHAR* text;
    }* name = static_cast<Counted*>(information);
    if (status != 0 || kind != 1 /* ObjectNameInformation */) return status;
    std::wstring text(name->text, name->length / 2);
    WCHAR own[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, ("\\" + offNames->name).c_str(), -1, own, MAX_PATH);
    const size_t at = text.size() >= wcslen(own) ? text.size() - wcslen(own) : std::wstring::npos;
    if (at == std::wstring::npos || _wcsicmp(text.c_str() + at, own) != 0) return status;
    text.insert(at, L"\\elsewhere");
    // Written after the counted name, where the real text was.
    if (sizeof(Counted) + (text.size() + 1) * 2 > length) return status;
    WCHAR* area = reinterpret_cast<WCHAR*>(name + 1);
    wcscpy(area, text.c_str());
    name->text = area;
    name->length = static_cast<USHORT>(text.size() * 2);
    name->room = static_cast<USHORT>(name->length + 2);
    ++offNames->asked;
    return status;
}

FARPROC WINAPI OneLevelOffLookup(HMODULE module, LPCSTR name)
{
    return LookUpSwapped<QueryObject>(offNames->lookup, module, name, "NtQueryObject", realQueryObject, QueryNameOneLevelOff);
}

}  // namespace

NamesOneLevelOff::NamesOneLevelOff(std::string name)
    : name(std::move(name)), lookup("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(OneLevelOffLookup))
{
    offNames = this;
}

NamesOneLevelOff::~NamesOneLevelOff() { offNames = nullptr; }
