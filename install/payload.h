#pragma once
// The product files a release of setup.exe is bound to: their names, sizes and SHA-256 digests,
// carried inside setup.exe so that its signature covers them. scripts/bind writes them into
// the reserved table after linking; the development build leaves it empty and is unbound.
//
// The table (kPayloadTableBytes bytes in .rdata): the 16-byte mark "ZV payload v1" followed
// by zero bytes, then one entry per file, each
//   1 byte   name length n (1..254); 0 ends the table
//   n bytes  the file's name as it lies beside setup.exe (ANSI, no zero byte), and a zero byte
//   4 bytes  its size, little-endian
//   32 bytes its SHA-256
// and zero bytes to the end.
#include <windows.h>

#include <stdint.h>

#include "base/owned_handle.h"

constexpr int kPayloadTableBytes = 1024;
constexpr int kPayloadMarkBytes = 16;

// Whether this setup.exe is bound to its product files.
bool PayloadBound();

// One entry of the table. Start with a zeroed one; NextPayloadFile moves to the next entry and
// returns false past the last.
struct PayloadFile {
    const uint8_t* entry;
    const char* name;  // nameLength bytes and a zero byte
    uint8_t nameLength;
    uint32_t size;
    const uint8_t* digest;
};
bool NextPayloadFile(PayloadFile& file);

// A file opened for reading whose bytes were found to be the ones the table names. While it
// lives nobody else may write, delete or rename the file (no FILE_SHARE_WRITE, no
// FILE_SHARE_DELETE), so what was checked is what a copy or a start then reads.
class VerifiedFile {
public:
    VerifiedFile() = default;
    VerifiedFile(const VerifiedFile&) = delete;
    VerifiedFile& operator=(const VerifiedFile&) = delete;

    // Opens `path` and checks it against the table's entry for `name`. False, with nothing
    // held, when the file is missing or unreadable, the table names no such file, or its size
    // or digest differ.
    bool Open(const char* path, const char* name);
    void Close() { handle_.Close(); }

private:
    OwnedHandle handle_;
};
