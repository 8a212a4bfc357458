#pragma once
// SHA-256 (FIPS 180-4), small and portable: the program checks the files it installs with it on
// every system it runs on, including those whose crypto provider has no SHA-256.
#include <stddef.h>
#include <stdint.h>

class Sha256 {
public:
    Sha256();
    void Add(const void* bytes, size_t count);
    // The digest of everything added; the object is spent afterwards.
    void Finish(uint8_t digest[32]);

private:
    void Compress(const uint8_t* block);
    uint32_t state_[8];
    uint64_t bits_ = 0;
    uint8_t block_[64];
};
