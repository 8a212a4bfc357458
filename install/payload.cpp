#include "install/payload.h"

#include <string.h>

#include "base/ascii.h"
#include "base/sha256.h"

namespace {

// Found and filled by scripts/bind; empty after the mark in the development build. The mark is
// the only non-zero part, so the table costs its size in the file and nothing else.
__attribute__((used)) const unsigned char kPayloadTable[kPayloadTableBytes] = "ZV payload v1";

// The table as the program reads it: the compiler must not fold the empty table it sees into
// the code, since the bytes are replaced after linking.
const uint8_t* Table()
{
    const uint8_t* table = kPayloadTable;
    __asm__("" : "+r"(table));
    return table;
}

uint32_t ReadSize(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

// Room for reading a file through the hash: in .bss, so it costs the file nothing.
uint8_t readArea[32768];

}  // namespace

bool PayloadBound() { return Table()[kPayloadMarkBytes] != 0; }

bool NextPayloadFile(PayloadFile& file)
{
    const uint8_t* at = file.entry ? file.entry + 2 + file.nameLength + 4 + 32 : Table() + kPayloadMarkBytes;
    // An entry that would run past the table, or whose name runs on, ends it.
    if (at >= Table() + kPayloadTableBytes || *at == 0 || at + 2 + *at + 4 + 32 > Table() + kPayloadTableBytes ||
        at[1 + *at] != 0)
        return false;
    file.entry = at;
    file.nameLength = at[0];
    file.name = reinterpret_cast<const char*>(at + 1);
    file.size = ReadSize(at + 2 + file.nameLength);
    file.digest = at + 2 + file.nameLength + 4;
    return true;
}

bool VerifiedFile::Open(const char* path, const char* name)
{
    Close();
    PayloadFile file = {};
    const size_t length = strlen(name);
    for (;;) {
        if (!NextPayloadFile(file)) return false;
        if (file.nameLength == length && EqualsIgnoringAsciiCase(file.name, name, static_cast<int32_t>(length))) break;
    }
    handle_.Reset(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!handle_.Valid()) return false;
    Sha256 hash;
    uint32_t total = 0;
    DWORD got;
    while (ReadFile(handle_.Get(), readArea, sizeof readArea, &got, nullptr) && got > 0) {
        total += got;
        // A file larger than named is not the one named, however it goes on.
        if (total > file.size) break;
        hash.Add(readArea, got);
    }
    uint8_t digest[32];
    hash.Finish(digest);
    uint8_t differ = total != file.size;
    for (int i = 0; i < 32; ++i) differ |= digest[i] ^ file.digest[i];
    if (differ) Close();
    return handle_.Valid();
}
