// SHA-256 against the published test vectors (FIPS 180-2 appendix B, and the NIST examples),
// added whole and in pieces that cross the 64-byte blocks and the padding boundary.
#include <gtest/gtest.h>

#include <string>

#include "base/sha256.h"

namespace {

std::string Hex(const std::string& message, size_t piece)
{
    Sha256 hash;
    for (size_t at = 0; at < message.size(); at += piece) hash.Add(message.data() + at, std::min(piece, message.size() - at));
    uint8_t digest[32];
    hash.Finish(digest);
    std::string hex;
    for (uint8_t b : digest) hex += "0123456789abcdef"[b >> 4], hex += "0123456789abcdef"[b & 15];
    return hex;
}

}  // namespace

TEST(Sha256, PublishedVectorsWholeAndInPieces)
{
    const struct {
        std::string message, digest;
    } vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopq"
         "rstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        // 55, 56 and 64 bytes: the length fits the last block, just does not, and a whole block.
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
    };
    for (const auto& v : vectors)
        for (size_t piece : {v.message.size() + 1, size_t{1}, size_t{63}, size_t{65}})
            EXPECT_EQ(Hex(v.message, piece), v.digest) << v.message.size() << " bytes in pieces of " << piece;
}
