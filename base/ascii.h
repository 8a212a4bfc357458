#pragma once
// ASCII letter case, the only case the program folds: paths and arguments compare with 'A' to
// 'Z' folded to lower case and every other byte as it is, whatever the code page. The second
// byte of a two-byte character is never folded: 0x83 0x41 and 0x83 0x61 are two katakana.
#include <stdint.h>

#include "base/code_page.h"

inline char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

// Compares n bytes of each (n < 0: up to and including the zero byte of each).
inline bool EqualsIgnoringAsciiCase(const char* a, const char* b, int32_t n = -1)
{
    for (int32_t i = 0; n < 0 || i < n; ++i) {
        // Equal first bytes are both lead bytes or neither; a lead byte is never a letter.
        const bool second = IsLeadByte(a[i]) && a[i + 1] && (n < 0 || i + 1 < n);
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
        if (n < 0 && a[i] == 0) return true;
        if (second) {
            ++i;
            if (a[i] != b[i]) return false;
        }
    }
    return true;
}
