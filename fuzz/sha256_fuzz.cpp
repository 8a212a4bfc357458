// SHA-256 against OpenSSL's, the reference: any input, added in pieces whose sizes the first
// bytes choose.
#include <openssl/sha.h>

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "base/sha256.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) return 0;
    const size_t pieceA = data[0] + 1u, pieceB = data[1] + 1u;
    data += 2;
    size -= 2;
    Sha256 ours;
    bool which = false;
    for (size_t at = 0; at < size;) {
        const size_t take = (which = !which) ? pieceA : pieceB;
        const size_t n = take < size - at ? take : size - at;
        ours.Add(data + at, n);
        at += n;
    }
    uint8_t digest[32], reference[SHA256_DIGEST_LENGTH];
    ours.Finish(digest);
    SHA256(data, size, reference);
    if (memcmp(digest, reference, sizeof digest) != 0) abort();
    return 0;
}
