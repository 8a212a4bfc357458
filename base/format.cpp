#include "base/format.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

class VaListArgs final : public FormatArgs {
public:
    explicit VaListArgs(va_list args) { va_copy(list_, args); }
    ~VaListArgs() { va_end(list_); }
    VaListArgs(const VaListArgs&) = delete;
    VaListArgs& operator=(const VaListArgs&) = delete;

    int32_t NextInt() override { return va_arg(list_, int32_t); }
    double NextDouble() override { return va_arg(list_, double); }
    const void* NextPointer() override { return va_arg(list_, const void*); }

private:
    va_list list_;
};

// Reads an unsigned number in decimal, 0x hexadecimal or leading-0 octal; stops at the first
// byte that is no digit of its base. Overflow wraps, which keeps the value modulo 256 exact.
uint32_t ReadNumber(const char** cursor)
{
    const char* p = *cursor;
    uint32_t value = 0;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        p += 2;
        for (;; ++p) {
            const char c = *p;
            uint32_t digit;
            if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
            else break;
            value = value * 16 + digit;
        }
    } else if (p[0] == '0') {
        for (++p; *p >= '0' && *p <= '7'; ++p) value = value * 8 + static_cast<uint32_t>(*p - '0');
    } else {
        for (; *p >= '0' && *p <= '9'; ++p) value = value * 10 + static_cast<uint32_t>(*p - '0');
    }
    *cursor = p;
    return value;
}

// Leaves the cursor after the next `close`, or on the terminating zero when there is none.
void SkipPast(const char** cursor, char close)
{
    const char* p = *cursor;
    while (*p && *p != close) ++p;
    if (*p) ++p;
    *cursor = p;
}

int WriteDecimal(int32_t value, char* out)
{
    char digits[12];
    int count = 0;
    // Work in the unsigned domain so that -2147483648 needs no special case.
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    int written = 0;
    if (value < 0) out[written++] = '-';
    while (count) out[written++] = digits[--count];
    return written;
}

int WriteHex(uint32_t value, char* out)
{
    char digits[8];
    int count = 0;
    do {
        digits[count++] = "0123456789ABCDEF"[value & 15];
        value >>= 4;
    } while (value);
    int written = 0;
    while (count) out[written++] = digits[--count];
    return written;
}

// Makes room for n more bytes at position, by the formatter's own steps of 300.
void MakeRoom(TextBuffer& buffer, int32_t position, int64_t needed, int64_t step)
{
    if (position + needed <= buffer.capacity) return;
    const int64_t wanted = position + step;
    if (wanted > INT32_MAX - 4000) abort();  // beyond what a block can hold
    buffer.Resize(static_cast<int32_t>(wanted));
}

}  // namespace

int WriteDouble(double value, char* out)
{
    int written = 0;
    if (isnan(value)) {
        memcpy(out, "nan", 3);
        return 3;
    }
    if (value < 0 || (value == 0 && signbit(value))) {
        if (value != 0) out[written++] = '-';
        value = -value;
    }
    if (isinf(value)) {
        memcpy(out + written, "inf", 3);
        return written + 3;
    }

    // Ten significant digits, correctly rounded by the C runtime; the exponent is taken after
    // rounding, so 9.9999999999 becomes "10." rather than a fraction of ten digits.
    char digits[10];
    int exponent = -1;
    if (value == 0) {
        memset(digits, '0', sizeof digits);
    } else {
        char scratch[40];
#ifdef _WIN32
        // msvcrt's own printf keeps the program small; mingw's replacement would add kilobytes.
        _snprintf(scratch, sizeof scratch, "%.9e", value);
#else
        snprintf(scratch, sizeof scratch, "%.9e", value);
#endif
        digits[0] = scratch[0];
        memcpy(digits + 1, scratch + 2, 9);
        exponent = atoi(scratch + 12);
    }

    int last = 9;  // last significant digit kept after removing trailing zeros
    if (exponent >= -1 && exponent <= 9) {
        if (exponent == -1) {
            out[written++] = '0';
        } else {
            memcpy(out + written, digits, static_cast<size_t>(exponent) + 1);
            written += exponent + 1;
        }
        if (exponent == 9) return written;
        out[written++] = '.';
        const int firstFraction = exponent + 1;
        while (last >= firstFraction && digits[last] == '0') --last;
        for (int i = firstFraction; i <= last; ++i) out[written++] = digits[i];
        return written;
    }

    out[written++] = digits[0];
    out[written++] = '.';
    while (last >= 1 && digits[last] == '0') --last;
    for (int i = 1; i <= last; ++i) out[written++] = digits[i];
    out[written++] = 'e';
    out[written++] = exponent < 0 ? '-' : '+';
    const int magnitude = exponent < 0 ? -exponent : exponent;
    out[written++] = static_cast<char>('0' + magnitude / 100);
    out[written++] = static_cast<char>('0' + magnitude / 10 % 10);
    out[written++] = static_cast<char>('0' + magnitude % 10);
    return written;
}

TextBuffer& FormatTextAt(TextBuffer& buffer, int32_t start, const char* format, FormatArgs& args)
{
    if (start < 0) start = 0;
    if (start > buffer.length) start = buffer.length;
    if (start == 0 && buffer.capacity < 300) buffer.ResizeDiscard(300);

    int32_t position = start;
    auto putByte = [&](char byte) {
        MakeRoom(buffer, position, 1, 300);
        buffer.data[position++] = byte;
    };
    auto putBytes = [&](const void* bytes, int64_t count) {
        if (!bytes || count <= 0) return;
        MakeRoom(buffer, position, count, count + 300);
        memcpy(buffer.data + position, bytes, static_cast<size_t>(count));
        position += static_cast<int32_t>(count);
    };

    const char* p = format ? format : "";
    while (*p) {
        const char c = *p++;
        switch (c) {
        case '#':
        case '&':
        case '^': {
            MakeRoom(buffer, position, 20, 300);
            char* out = buffer.data + position;
            if (c == '#') position += WriteDecimal(args.NextInt(), out);
            else if (c == '&') position += WriteHex(static_cast<uint32_t>(args.NextInt()), out);
            else position += WriteDouble(args.NextDouble(), out);
            break;
        }
        case '$': {
            const char* text = static_cast<const char*>(args.NextPointer());
            if (text) putBytes(text, static_cast<int64_t>(strlen(text)));
            break;
        }
        case '~': {
            const TextBuffer* other = static_cast<const TextBuffer*>(args.NextPointer());
            if (other && other->length > 0) putBytes(other->data, other->length);
            break;
        }
        case '{': {
            const void* bytes = args.NextPointer();
            if (bytes) putBytes(bytes, ReadNumber(&p));
            SkipPast(&p, '}');
            break;
        }
        case '[':
            if (*p >= '0' && *p <= '9') {
                putByte(static_cast<char>(ReadNumber(&p) & 0xFF));
                SkipPast(&p, ']');
            } else {
                putByte('[');
            }
            break;
        default:
            putByte(c);
            break;
        }
    }

    if (buffer.flags & TextBuffer::NoShrink) {
        buffer.length = position;
        buffer.data[position] = 0;
        buffer.data[position + 1] = 0;
    } else {
        buffer.Resize(position);
    }
    return buffer;
}

TextBuffer& FormatTextV(TextBuffer& buffer, int32_t start, const char* format, va_list args)
{
    VaListArgs source(args);
    return FormatTextAt(buffer, start, format, source);
}

TextBuffer& FormatText(TextBuffer& buffer, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatTextV(buffer, 0, format, args);
    va_end(args);
    return buffer;
}

TextBuffer& ConcatParts(TextBuffer& buffer, int count, ...)
{
    enum { kMaxPieces = 16 };
    const char* pointers[kMaxPieces];
    int32_t lengths[kMaxPieces];
    if (count < 0) count = 0;
    if (count > kMaxPieces) count = kMaxPieces;

    va_list args;
    va_start(args, count);
    int64_t total = 0;
    for (int i = 0; i < count; ++i) {
        pointers[i] = static_cast<const char*>(va_arg(args, const void*));
        int32_t n = va_arg(args, int32_t);
        if (!pointers[i]) n = 0;
        else if (n < 0) n = static_cast<int32_t>(strlen(pointers[i]));
        lengths[i] = n;
        total += n;
    }
    va_end(args);
    if (total > INT32_MAX - 4000) abort();

    // A piece inside the block (a little past its end too) would be overwritten or freed while
    // it is still to be read, so such a call always builds in a fresh block. A first piece at the
    // very start of the block is already in place and needs no copy.
    if (buffer.data) {
        const uintptr_t low = reinterpret_cast<uintptr_t>(buffer.data);
        const uintptr_t high = low + static_cast<uintptr_t>(buffer.capacity) + 16;
        for (int i = 0; i < count; ++i) {
            const uintptr_t at = reinterpret_cast<uintptr_t>(pointers[i]);
            if (i == 0 && at == low) continue;
            if (at >= low && at <= high) {
                buffer.capacity = 0;
                break;
            }
        }
    }

    char* oldBlock;
    buffer.ResizeDetach(static_cast<int32_t>(total), false, &oldBlock);
    int32_t position = 0;
    for (int i = 0; i < count; ++i) {
        if (lengths[i] <= 0) continue;
        if (pointers[i] != buffer.data)
            memmove(buffer.data + position, pointers[i], static_cast<size_t>(lengths[i]));
        position += lengths[i];
    }
    TextBuffer::FreeBlock(oldBlock);
    return buffer;
}
