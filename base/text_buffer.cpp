#include "base/text_buffer.h"

#include <stdlib.h>
#include <string.h>

namespace {

// No operation of the type can report a failure, and carrying on with a null block would
// corrupt the caller's text; stopping the process is the only safe answer to an empty heap.
char* AllocBlock(int64_t bytes)
{
    void* p = bytes <= INT32_MAX ? malloc(static_cast<size_t>(bytes)) : nullptr;
    if (!p) abort();
    return static_cast<char*>(p);
}

char* ReallocBlock(char* block, int64_t bytes)
{
    void* p = bytes <= INT32_MAX ? realloc(block, static_cast<size_t>(bytes)) : nullptr;
    if (!p) abort();
    return static_cast<char*>(p);
}

int32_t TextLength(const char* text) { return static_cast<int32_t>(strlen(text)); }

}  // namespace

inline bool TextBuffer::NeedsNewBlock(int32_t n, int32_t* newCapacity) const
{
    if (!data) {
        *newCapacity = n;
        return true;
    }
    const bool noShrink = flags & NoShrink;
    const int64_t slack = (flags & LargeSlack) ? 1000 : 10;
    const int64_t shrinkMargin = (flags & LargeSlack) ? 5000 : 50;
    const bool grow = capacity < n;
    const bool shrink = !noShrink && capacity > 2 * static_cast<int64_t>(n) + shrinkMargin;
    if (!grow && !shrink) return false;
    const int64_t wanted = static_cast<int64_t>(n) + n / 8 + slack;
    if (wanted > INT32_MAX - 3) abort();
    *newCapacity = static_cast<int32_t>(wanted);
    return true;
}

void TextBuffer::ResizeDiscard(int32_t n)
{
    int32_t newCapacity;
    if (NeedsNewBlock(n, &newCapacity)) {
        free(data);
        data = nullptr;
        data = AllocBlock(static_cast<int64_t>(newCapacity) + 3);
        capacity = newCapacity;
    }
    Terminate(n);
}

void TextBuffer::Resize(int32_t n)
{
    int32_t newCapacity;
    if (NeedsNewBlock(n, &newCapacity)) {
        data = ReallocBlock(data, static_cast<int64_t>(newCapacity) + 3);
        capacity = newCapacity;
    }
    Terminate(n);
}

bool TextBuffer::ResizeDetach(int32_t n, bool noTerminators, char** oldBlock)
{
    int32_t newCapacity;
    *oldBlock = nullptr;
    const bool fresh = NeedsNewBlock(n, &newCapacity);
    if (fresh) {
        *oldBlock = data;
        data = AllocBlock(static_cast<int64_t>(newCapacity) + 3);
        capacity = newCapacity;
    }
    length = n;
    if (!noTerminators) Terminate(n);
    return fresh;
}

void TextBuffer::FreeBlock(char* block) { free(block); }

void TextBuffer::Release()
{
    free(data);
    data = nullptr;
    length = 0;
    capacity = 0;
}

char* TextBuffer::Reserve(int32_t n, int mode)
{
    if (n < 0) {
        if (!data) return nullptr;
        data = ReallocBlock(data, static_cast<int64_t>(length) + 3);
        capacity = length;
        Terminate(length);
        return data;
    }
    if (mode & ReserveKeepText) {
        const int32_t oldLength = length;
        Resize(n);
        if (!(mode & ReserveSetLength) && n > oldLength) Terminate(oldLength);
        return data;
    }
    ResizeDiscard(n);
    data[0] = 0;
    data[1] = 0;
    if (mode & ReserveSetLength)
        Terminate(n);
    else
        length = 0;
    return data;
}

void TextBuffer::SetLength(int32_t n, bool keepBlock)
{
    if (capacity == 0) return;
    if (n < 0) {
        const void* zero = memchr(data, 0, static_cast<size_t>(capacity) + 1);
        if (!zero) {
            Terminate(capacity);
            return;
        }
        n = static_cast<int32_t>(static_cast<const char*>(zero) - data);
    }
    if (n > capacity) n = capacity;
    if ((flags & NoShrink) || keepBlock || n >= capacity)
        Terminate(n);
    else
        Resize(n);
}

bool TextBuffer::EqualsNoCase(const TextBuffer& a, const TextBuffer& b)
{
    if (a.length != b.length) return false;
    for (int32_t i = 0; i < a.length; ++i) {
        unsigned char x = static_cast<unsigned char>(a.data[i]);
        unsigned char y = static_cast<unsigned char>(b.data[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + ('a' - 'A'));
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + ('a' - 'A'));
        if (x != y) return false;
    }
    return true;
}

bool TextBuffer::StartsWith(const char* text, int32_t n) const
{
    if (!data || !text) return false;
    if (n < 0) n = TextLength(text);
    if (n > length) return false;
    return memcmp(data, text, static_cast<size_t>(n)) == 0;
}

bool TextBuffer::EndsWith(const char* text, int32_t n) const
{
    if (!data || !text) return false;
    if (n < 0) n = TextLength(text);
    if (n > length) return false;
    return memcmp(data + length - n, text, static_cast<size_t>(n)) == 0;
}

TextBuffer& TextBuffer::Append(const TextBuffer& other)
{
    const int32_t otherLength = other.length;
    if (otherLength == 0) return *this;
    const int32_t oldLength = length;
    Resize(oldLength + otherLength);
    // For a buffer appended to itself, other.data is read after the reallocation.
    memmove(data + oldLength, other.data, static_cast<size_t>(otherLength));
    return *this;
}

TextBuffer& TextBuffer::PrependBytes(const char* bytes, int32_t count, bool ownText)
{
    const int32_t oldLength = length;
    char* oldBlock;
    if (ResizeDetach(oldLength + count, false, &oldBlock)) {
        // The old block is still valid here, so own text is read from it.
        memcpy(data, bytes, static_cast<size_t>(count));
        memcpy(data + count, oldBlock, static_cast<size_t>(oldLength));
        FreeBlock(oldBlock);
        return *this;
    }
    memmove(data + count, data, static_cast<size_t>(oldLength) + 1);
    // Own text: after the move the front still holds exactly those bytes.
    if (!ownText) memcpy(data, bytes, static_cast<size_t>(count));
    return *this;
}

TextBuffer& TextBuffer::Prepend(const TextBuffer& other)
{
    if (other.length == 0) return *this;
    if (!data) {
        ResizeDiscard(other.length);
        memcpy(data, other.data, static_cast<size_t>(other.length));
        return *this;
    }
    if (&other == this) return Append(*this);
    return PrependBytes(other.data, other.length, false);
}

TextBuffer& TextBuffer::PrependText(const char* text)
{
    if (!text) return *this;
    const int32_t n = TextLength(text);
    if (n == 0) return *this;
    if (!data) {
        ResizeDiscard(n);
        memcpy(data, text, static_cast<size_t>(n));
        return *this;
    }
    return PrependBytes(text, n, text == data);
}

TextBuffer& TextBuffer::CopyPart(const TextBuffer& source, int32_t position, int32_t count, bool append)
{
    const int32_t sourceLength = source.length;
    if (position < 0) position = 0;
    if (position > sourceLength) position = sourceLength;
    const int32_t remaining = sourceLength - position;
    if (count < 0 || count > remaining) count = remaining;

    if (count == 0) {
        if (!append) ResizeDiscard(0);
        return *this;
    }
    if (&source == this) {
        if (append) {
            // Never requested; done safely by offset, since Resize may move the block.
            const int32_t oldLength = length;
            Resize(oldLength + count);
            memmove(data + oldLength, data + position, static_cast<size_t>(count));
            return *this;
        }
        char* oldBlock;
        ResizeDetach(count, true, &oldBlock);
        const char* from = oldBlock ? oldBlock : data;
        memmove(data, from + position, static_cast<size_t>(count));
        FreeBlock(oldBlock);
        Terminate(count);
        return *this;
    }
    if (!append) {
        ResizeDiscard(count);
        memcpy(data, source.data + position, static_cast<size_t>(count));
        return *this;
    }
    const int32_t oldLength = length;
    Resize(oldLength + count);
    memcpy(data + oldLength, source.data + position, static_cast<size_t>(count));
    return *this;
}

TextBuffer& TextBuffer::Assign(const TextBuffer& other)
{
    if (&other == this) return *this;
    if (!other.data) {
        Release();
        return *this;
    }
    ResizeDiscard(other.length);
    memcpy(data, other.data, static_cast<size_t>(other.length));
    return *this;
}

TextBuffer& TextBuffer::AssignText(const char* text)
{
    if (text && text == data) return *this;
    if (!text) {
        Release();
        return *this;
    }
    const int32_t n = TextLength(text);
    ResizeDiscard(n);
    memcpy(data, text, static_cast<size_t>(n));
    return *this;
}

TextBuffer& TextBuffer::AppendText(const char* text)
{
    if (!text) return *this;
    const int32_t n = TextLength(text);
    const int32_t oldLength = length;
    if (text == data) {
        Resize(oldLength + n);
        memmove(data + oldLength, data, static_cast<size_t>(n));
        return *this;
    }
    // A list growing line by line mostly fits its block: then the policy's one test is all the
    // work, and nothing is reallocated. Otherwise Resize applies the policy, shrink included.
    const int32_t newLength = oldLength + n;
    int32_t unused;
    if (data && newLength <= capacity && !NeedsNewBlock(newLength, &unused))
        Terminate(newLength);
    else
        Resize(newLength);
    memcpy(data + oldLength, text, static_cast<size_t>(n));
    return *this;
}

TextBuffer& TextBuffer::AssignConcat(const TextBuffer& b, const char* text)
{
    if (data == b.data) return AppendText(text);
    if (text && text == data) return Prepend(b);
    if (!b.data && !text) {
        Release();
        return *this;
    }
    const int32_t bLength = b.length;
    const int32_t textLength = text ? TextLength(text) : 0;
    ResizeDiscard(bLength + textLength);
    if (bLength > 0) memcpy(data, b.data, static_cast<size_t>(bLength));
    if (textLength > 0) memcpy(data + bLength, text, static_cast<size_t>(textLength));
    return *this;
}

TextBuffer& TextBuffer::AssignConcatText(const char* text1, const char* text2)
{
    if (text1 && text1 == data) return AppendText(text2);
    if (text2 && text2 == data) return PrependText(text1);
    if (!text1 && !text2) {
        Release();
        return *this;
    }
    const int32_t n1 = text1 ? TextLength(text1) : 0;
    const int32_t n2 = text2 ? TextLength(text2) : 0;
    ResizeDiscard(n1 + n2);
    if (n1 > 0) memcpy(data, text1, static_cast<size_t>(n1));
    if (n2 > 0) memcpy(data + n1, text2, static_cast<size_t>(n2));
    return *this;
}

TextBuffer& TextBuffer::TrimEnd(char ch)
{
    if (!data) return *this;
    int32_t n = length;
    if (ch != 0) {
        while (n > 0 && data[n - 1] == ch) --n;
    } else {
        while (n > 0 && static_cast<unsigned char>(data[n - 1]) <= 32) --n;
    }
    Terminate(n);
    return *this;
}
