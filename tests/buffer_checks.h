#pragma once
// Helpers shared by the text buffer and formatter tests.
#include <gtest/gtest.h>

#include <string>

#include "base/text_buffer.h"

inline std::string Bytes(const TextBuffer& b) { return b.data ? std::string(b.data, b.length) : std::string(); }

// The invariant every operation keeps: two zero bytes after the text, length within capacity.
inline ::testing::AssertionResult Terminated(const TextBuffer& b)
{
    if (!b.data) {
        if (b.length == 0 && b.capacity == 0) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "no block but length " << b.length << ", capacity " << b.capacity;
    }
    if (b.length > b.capacity) return ::testing::AssertionFailure() << "length " << b.length << " > capacity " << b.capacity;
    if (b.data[b.length] != 0 || b.data[b.length + 1] != 0)
        return ::testing::AssertionFailure() << "missing zero bytes after length " << b.length;
    return ::testing::AssertionSuccess();
}

inline void Fill(TextBuffer& b, const char* text) { b.AssignText(text); }
