#pragma once
// Helpers shared by the text buffer and formatter tests.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "base/text_buffer.h"

inline std::string Bytes(const TextBuffer& b) { return b.Data() ? std::string(b.Data(), b.Length()) : std::string(); }

// The invariant every operation keeps: two zero bytes after the text, length within capacity.
inline ::testing::AssertionResult Terminated(const TextBuffer& b)
{
    if (!b.Data()) {
        if (b.Length() == 0 && b.Capacity() == 0) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "no block but length " << b.Length() << ", capacity " << b.Capacity();
    }
    if (b.Length() > b.Capacity()) return ::testing::AssertionFailure() << "length " << b.Length() << " > capacity " << b.Capacity();
    if (b.Data()[b.Length()] != 0 || b.Data()[b.Length() + 1] != 0)
        return ::testing::AssertionFailure() << "missing zero bytes after length " << b.Length();
    return ::testing::AssertionSuccess();
}

inline void Fill(TextBuffer& b, const char* text) { b.AssignText(text); }

// Any bytes, zero bytes included, as a text the program read could hold them.
inline void FillBytes(TextBuffer& b, const std::string& bytes)
{
    b.ResizeDiscard(static_cast<int32_t>(bytes.size()));
    memcpy(b.Data(), bytes.data(), bytes.size());
}
