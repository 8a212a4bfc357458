#pragma once
// ASCII letter case, the only case the program folds: paths and arguments compare with 'A' to
// 'Z' folded to lower case and every other byte as it is, whatever the code page.
#include <stdint.h>

inline char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

// Compares n bytes of each (n < 0: up to and including the zero byte of each).
inline bool EqualsIgnoringAsciiCase(const char* a, const char* b, int32_t n = -1)
{
    for (int32_t i = 0; n < 0 || i < n; ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
        if (n < 0 && a[i] == 0) return true;
    }
    return true;
}
