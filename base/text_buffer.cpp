#include "base/text_buffer.h"

#include "base/ascii.h"
#include "base/code_page.h"

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
    if (!data_) {
        *newCapacity = n;
        return true;
    }
    const int64_t slack = (flags_ & LargeSlack) ? 1000 : 10;
    if (capacity_ >= n && !ShrinksTo(n)) return false;
    const int64_t wanted = static_cast<int64_t>(n) + n / 8 + slack;
    if (wanted > INT32_MAX - 3) abort();
    *newCapacity = static_cast<int32_t>(wanted);
    return true;
}

void TextBuffer::ResizeDiscard(int32_t n)
{
    int32_t newCapacity;
    if (NeedsNewBlock(n, &newCapacity)) {
        free(data_);
        data_ = nullptr;
        data_ = AllocBlock(static_cast<int64_t>(newCapacity) + 3);
        capacity_ = newCapacity;
    }
    Terminate(n);
}

void TextBuffer::Resize(int32_t n)
{
    int32_t newCapacity;
    if (NeedsNewBlock(n, &newCapacity)) {
        data_ = ReallocBlock(data_, static_cast<int64_t>(newCapacity) + 3);
        capacity_ = newCapacity;
    }
    Terminate(n);
}

bool TextBuffer::ResizeDetach(int32_t n, bool noTerminators, char** oldBlock)
{
    int32_t newCapacity;
    *oldBlock = nullptr;
    const bool fresh = NeedsNewBlock(n, &newCapacity);
    if (fresh) {
        *oldBlock = data_;
        data_ = AllocBlock(static_cast<int64_t>(newCapacity) + 3);
        capacity_ = newCapacity;
    }
    length_ = n;
    if (!noTerminators) Terminate(n);
    return fresh;
}

void TextBuffer::FreeBlock(char* block) { free(block); }

char* TextBuffer::TakeBlock()
{
    char* block = data_;
    data_ = nullptr;
    length_ = 0;
    capacity_ = 0;
    return block;
}

void TextBuffer::Release()
{
    free(data_);
    data_ = nullptr;
    length_ = 0;
    capacity_ = 0;
}

char* TextBuffer::Reserve(int32_t n, int mode)
{
    if (n < 0) {
        if (!data_) return nullptr;
        data_ = ReallocBlock(data_, static_cast<int64_t>(length_) + 3);
        capacity_ = length_;
        Terminate(length_);
        return data_;
    }
    if (mode & ReserveKeepText) {
        const int32_t oldLength = length_;
        Resize(n);
        if (!(mode & ReserveSetLength) && n > oldLength) Terminate(oldLength);
        return data_;
    }
    ResizeDiscard(n);
    data_[0] = 0;
    data_[1] = 0;
    if (mode & ReserveSetLength)
        Terminate(n);
    else
        length_ = 0;
    return data_;
}

void TextBuffer::SetLength(int32_t n, bool keepBlock)
{
    if (capacity_ == 0) return;
    if (n < 0) {
        const void* zero = memchr(data_, 0, static_cast<size_t>(capacity_) + 1);
        if (!zero) {
            Terminate(capacity_);
            return;
        }
        n = static_cast<int32_t>(static_cast<const char*>(zero) - data_);
    }
    if (n > capacity_) n = capacity_;
    if ((flags_ & NoShrink) || keepBlock || n >= capacity_)
        Terminate(n);
    else
        Resize(n);
}

bool TextBuffer::EqualsNoCase(const TextBuffer& a, const TextBuffer& b)
{
    return a.length_ == b.length_ && EqualsIgnoringAsciiCase(a.Text(), b.Text(), a.length_);
}

bool TextBuffer::StartsWith(const char* text, int32_t n) const
{
    if (!data_ || !text) return false;
    if (n < 0) n = TextLength(text);
    if (n > length_) return false;
    return memcmp(data_, text, static_cast<size_t>(n)) == 0;
}

bool TextBuffer::EndsWith(const char* text, int32_t n) const
{
    if (!data_ || !text) return false;
    if (n < 0) n = TextLength(text);
    if (n > length_) return false;
    // In characters: a backslash that is the second byte of a two-byte character is no ending.
    return memcmp(data_ + length_ - n, text, static_cast<size_t>(n)) == 0 && IsCharStart(data_, length_ - n);
}

TextBuffer& TextBuffer::Append(const TextBuffer& other)
{
    const int32_t otherLength = other.length_;
    if (otherLength == 0) return *this;
    const int32_t oldLength = length_;
    Resize(oldLength + otherLength);
    // For a buffer appended to itself, other.data_ is read after the reallocation.
    memmove(data_ + oldLength, other.data_, static_cast<size_t>(otherLength));
    return *this;
}

TextBuffer& TextBuffer::PrependBytes(const char* bytes, int32_t count, bool ownText)
{
    const int32_t oldLength = length_;
    char* oldBlock;
    if (ResizeDetach(oldLength + count, false, &oldBlock)) {
        // The old block is still valid here, so own text is read from it.
        memcpy(data_, bytes, static_cast<size_t>(count));
        memcpy(data_ + count, oldBlock, static_cast<size_t>(oldLength));
        FreeBlock(oldBlock);
        return *this;
    }
    memmove(data_ + count, data_, static_cast<size_t>(oldLength) + 1);
    // Own text: after the move the front still holds exactly those bytes.
    if (!ownText) memcpy(data_, bytes, static_cast<size_t>(count));
    return *this;
}

TextBuffer& TextBuffer::Prepend(const TextBuffer& other)
{
    if (other.length_ == 0) return *this;
    if (!data_) {
        ResizeDiscard(other.length_);
        memcpy(data_, other.data_, static_cast<size_t>(other.length_));
        return *this;
    }
    if (&other == this) return Append(*this);
    return PrependBytes(other.data_, other.length_, false);
}

TextBuffer& TextBuffer::PrependText(const char* text)
{
    if (!text) return *this;
    const int32_t n = TextLength(text);
    if (n == 0) return *this;
    if (!data_) {
        ResizeDiscard(n);
        memcpy(data_, text, static_cast<size_t>(n));
        return *this;
    }
    return PrependBytes(text, n, text == data_);
}

TextBuffer& TextBuffer::CopyPart(const TextBuffer& source, int32_t position, int32_t count, bool append)
{
    const int32_t sourceLength = source.length_;
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
            const int32_t oldLength = length_;
            Resize(oldLength + count);
            memmove(data_ + oldLength, data_ + position, static_cast<size_t>(count));
            return *this;
        }
        char* oldBlock;
        ResizeDetach(count, true, &oldBlock);
        const char* from = oldBlock ? oldBlock : data_;
        memmove(data_, from + position, static_cast<size_t>(count));
        FreeBlock(oldBlock);
        Terminate(count);
        return *this;
    }
    if (!append) {
        ResizeDiscard(count);
        memcpy(data_, source.data_ + position, static_cast<size_t>(count));
        return *this;
    }
    const int32_t oldLength = length_;
    Resize(oldLength + count);
    memcpy(data_ + oldLength, source.data_ + position, static_cast<size_t>(count));
    return *this;
}

TextBuffer& TextBuffer::Assign(const TextBuffer& other)
{
    if (&other == this) return *this;
    if (!other.data_) {
        Release();
        return *this;
    }
    ResizeDiscard(other.length_);
    memcpy(data_, other.data_, static_cast<size_t>(other.length_));
    return *this;
}

TextBuffer& TextBuffer::AssignText(const char* text)
{
    if (text && text == data_) return *this;
    if (!text) {
        Release();
        return *this;
    }
    const int32_t n = TextLength(text);
    ResizeDiscard(n);
    memcpy(data_, text, static_cast<size_t>(n));
    return *this;
}

TextBuffer& TextBuffer::AppendTextSlow(const char* text, int32_t n)
{
    const int32_t oldLength = length_;
    if (text == data_) {
        Resize(oldLength + n);
        memmove(data_ + oldLength, data_, static_cast<size_t>(n));
        return *this;
    }
    Resize(oldLength + n);
    memcpy(data_ + oldLength, text, static_cast<size_t>(n));
    return *this;
}

TextBuffer& TextBuffer::AssignConcat(const TextBuffer& b, const char* text)
{
    if (data_ == b.data_) return AppendText(text);
    if (text && text == data_) return Prepend(b);
    if (!b.data_ && !text) {
        Release();
        return *this;
    }
    const int32_t bLength = b.length_;
    const int32_t textLength = text ? TextLength(text) : 0;
    ResizeDiscard(bLength + textLength);
    if (bLength > 0) memcpy(data_, b.data_, static_cast<size_t>(bLength));
    if (textLength > 0) memcpy(data_ + bLength, text, static_cast<size_t>(textLength));
    return *this;
}

TextBuffer& TextBuffer::AssignConcatText(const char* text1, const char* text2)
{
    if (text1 && text1 == data_) return AppendText(text2);
    if (text2 && text2 == data_) return PrependText(text1);
    if (!text1 && !text2) {
        Release();
        return *this;
    }
    const int32_t n1 = text1 ? TextLength(text1) : 0;
    const int32_t n2 = text2 ? TextLength(text2) : 0;
    ResizeDiscard(n1 + n2);
    if (n1 > 0) memcpy(data_, text1, static_cast<size_t>(n1));
    if (n2 > 0) memcpy(data_ + n1, text2, static_cast<size_t>(n2));
    return *this;
}

TextBuffer& TextBuffer::TrimEnd(char ch)
{
    if (!data_) return *this;
    // By characters: a byte goes only as a character of its own, never as a second byte.
    int32_t n = length_;
    while (n > 0 && (ch != 0 ? data_[n - 1] == ch : static_cast<unsigned char>(data_[n - 1]) <= 32) &&
           IsCharStart(data_, n - 1))
        --n;
    Terminate(n);
    return *this;
}
