#include "base/format.h"

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

// Grows the block while formatting. When the format has escapes that take a pointer ('$' and
// '{'), the block the caller handed in may hold bytes still to be read, so when it is replaced
// it is kept, not freed, until the end (`kept`); the blocks taken afterwards are the
// formatter's own and grow in place. Without such escapes nothing can point into it, and it is
// replaced the cheap way.
class Room {
public:
    Room(TextBuffer& buffer, const char* format)
        : buffer_(buffer), callerBlock_(strchr(format, '$') || strchr(format, '{') ? buffer.Data() : nullptr)
    {
    }
    ~Room() { TextBuffer::FreeBlock(kept_); }
    Room(const Room&) = delete;
    Room& operator=(const Room&) = delete;

    // A new block of n bytes whose first `keep` bytes are the text so far.
    void Grow(int32_t n, int32_t keep)
    {
        if (buffer_.Data() && buffer_.Data() == callerBlock_ && !kept_) {
            char* old;
            if (buffer_.ResizeDetach(n, false, &old)) {
                if (keep > 0) memcpy(buffer_.Data(), old, static_cast<size_t>(keep));
                kept_ = old;
            }
            return;
        }
        if (keep == 0)
            buffer_.ResizeDiscard(n);
        else
            buffer_.Resize(n);
    }

    // Makes room for `needed` more bytes at position, by the formatter's own steps.
    void Make(int32_t position, int64_t needed, int64_t step)
    {
        if (position + needed <= buffer_.Capacity()) return;
        const int64_t wanted = position + step;
        if (wanted > INT32_MAX - 4000) abort();  // beyond what a block can hold
        Grow(static_cast<int32_t>(wanted), position);
    }

    bool Kept(const char* block) const { return block == kept_; }

private:
    TextBuffer& buffer_;
    char* const callerBlock_;
    char* kept_ = nullptr;
};

}  // namespace

namespace {

// A non-negative integer in limbs of four decimal digits, the least significant first: room for
// the exact decimal expansion of any double (at most 767 significant digits). 32-bit arithmetic
// only, so that no 64-bit division is linked into the 32-bit program.
struct DecimalLimbs {
    uint32_t limbs[200];
    int count = 1;

    DecimalLimbs() { limbs[0] = 0; }

    // this = this * factor + add, with factor at most 15625 (5^6; 8192 = 2^13 fits as well).
    void MultiplyAdd(uint32_t factor, uint32_t add)
    {
        uint32_t carry = add;
        for (int i = 0; i < count; ++i) {
            const uint32_t v = limbs[i] * factor + carry;
            limbs[i] = v % 10000;
            carry = v / 10000;
        }
        for (; carry; carry /= 10000) limbs[count++] = carry % 10000;
    }

    // Writes the digits, most significant first and without leading zeros; returns the count.
    int Digits(char* out) const
    {
        int written = 0;
        uint32_t top = limbs[count - 1];
        char reversed[4];
        int n = 0;
        do {
            reversed[n++] = static_cast<char>(top % 10);
            top /= 10;
        } while (top);
        while (n) out[written++] = reversed[--n];
        for (int i = count - 2; i >= 0; --i) {
            uint32_t v = limbs[i];
            for (int d = 3; d >= 0; --d, v /= 10) out[written + d] = static_cast<char>(v % 10);
            written += 4;
        }
        return written;
    }
};

// Writes digits[0..n) as characters without the trailing zeros; returns the count written.
int WriteWithoutTrailingZeros(const char* digits, int n, char* out)
{
    while (n > 0 && digits[n - 1] == 0) --n;
    for (int i = 0; i < n; ++i) out[i] = static_cast<char>('0' + digits[i]);
    return n;
}

}  // namespace

int WriteDouble(double value, char* out)
{
    // The digits are made here from the value's exact decimal expansion, not by the C runtime,
    // whose rounding of exact ties differs between runtimes: one rule, half away from zero,
    // wherever the program runs or is tested.
    uint64_t bits;
    memcpy(&bits, &value, sizeof bits);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    uint64_t mantissa = bits & ((1ull << 52) - 1);
    int written = 0;
    if (biased == 0x7FF && mantissa) {
        memcpy(out, "nan", 3);
        return 3;
    }
    if ((bits >> 63) && (biased || mantissa)) out[written++] = '-';
    if (biased == 0x7FF) {
        memcpy(out + written, "inf", 3);
        return written + 3;
    }
    if (biased) mantissa |= 1ull << 52;
    const int power = biased ? biased - 1075 : -1074;

    // value = mantissa * 2^power exactly; for a negative power that is mantissa * 5^-power with
    // the point -power digits from the right.
    DecimalLimbs exactValue;
    exactValue.MultiplyAdd(2, static_cast<uint32_t>(mantissa >> 52));
    for (int shift = 39; shift >= 0; shift -= 13)
        exactValue.MultiplyAdd(8192, static_cast<uint32_t>(mantissa >> shift) & 8191);
    for (int n = power; n > 0; n -= 13) exactValue.MultiplyAdd(1u << (n < 13 ? n : 13), 0);
    static const uint32_t kPowersOfFive[] = {1, 5, 25, 125, 625, 3125, 15625};
    for (int n = -power; n > 0; n -= 6) exactValue.MultiplyAdd(kPowersOfFive[n < 6 ? n : 6], 0);
    char exactDigits[800];
    const int count = exactValue.Digits(exactDigits);
    const char* const first = exactDigits;  // most significant first
    const bool zero = count == 1 && first[0] == 0;
    int e = zero ? -1 : count - 1 - (power < 0 ? -power : 0);  // before rounding; zero counts as -1

    // Ten significant digits, most significant first, rounded half away from zero. A carry out
    // of the first digit leaves 1000000000 and a value one power of ten higher.
    char rounded[11] = {};
    for (int i = 0; i < 10 && i < count; ++i) rounded[i] = first[i];
    bool carried = false;
    if (count > 10 && first[10] >= 5) {
        int i = 9;
        while (i >= 0 && rounded[i] == 9) rounded[i--] = 0;
        if (i >= 0) {
            ++rounded[i];
        } else {
            rounded[0] = 1;
            carried = true;
        }
    }

    if (e >= -1 && e <= 9) {
        // Fixed notation with 9 - e fraction digits; the notation follows e before rounding, so
        // 9999999999.5 gives 10000000000.
        const int integerDigits = e + 1 + (carried ? 1 : 0);  // a carry adds one, the rest zeros
        if (integerDigits == 0) out[written++] = '0';
        for (int i = 0; i < integerDigits; ++i) out[written++] = static_cast<char>('0' + rounded[i]);
        if (e == 9) return written;
        out[written++] = '.';
        return written + WriteWithoutTrailingZeros(rounded + integerDigits, 10 - integerDigits + (carried ? 1 : 0), out + written);
    }

    if (carried) ++e;
    out[written++] = static_cast<char>('0' + rounded[0]);
    out[written++] = '.';
    written += WriteWithoutTrailingZeros(rounded + 1, 9, out + written);
    out[written++] = 'e';
    out[written++] = e < 0 ? '-' : '+';
    const int magnitude = e < 0 ? -e : e;
    out[written++] = static_cast<char>('0' + magnitude / 100);
    out[written++] = static_cast<char>('0' + magnitude / 10 % 10);
    out[written++] = static_cast<char>('0' + magnitude % 10);
    return written;
}

TextBuffer& FormatTextAt(TextBuffer& buffer, int32_t start, const char* format, FormatArgs& args)
{
    if (start < 0) start = 0;
    if (start > buffer.Length()) start = buffer.Length();
    const char* p = format ? format : "";
    Room room(buffer, p);
    if (start == 0 && buffer.Capacity() < 300) room.Grow(300, 0);

    int32_t position = start;
    auto putByte = [&](char byte) {
        room.Make(position, 1, 300);
        buffer.Data()[position++] = byte;
    };
    // Callers are not to pass the text being formatted into, but if one does, the result is
    // still defined: bytes of the block being written move with it when it grows in place.
    auto putBytes = [&](const void* bytes, int64_t count) {
        if (!bytes || count <= 0) return;
        const char* from = static_cast<const char*>(bytes);
        char* const before = buffer.Data();
        const bool inside = before && from >= before && from < before + buffer.Capacity() + 3;
        room.Make(position, count, count + 300);
        if (inside && buffer.Data() != before && !room.Kept(before)) from = buffer.Data() + (from - before);
        memmove(buffer.Data() + position, from, static_cast<size_t>(count));
        position += static_cast<int32_t>(count);
    };

    while (*p) {
        const char c = *p++;
        switch (c) {
        case '#':
        case '&':
        case '^': {
            room.Make(position, 20, 300);
            char* out = buffer.Data() + position;
            if (c == '#') position += WriteDecimal(args.NextInt(), out);
            else if (c == '&') position += WriteHex(static_cast<uint32_t>(args.NextInt()), out);
#ifdef ZV_NO_DOUBLE_ESCAPE
            else args.NextDouble();
#else
            else position += WriteDouble(args.NextDouble(), out);
#endif
            break;
        }
        case '$': {
            const char* text = static_cast<const char*>(args.NextPointer());
            if (text) putBytes(text, static_cast<int64_t>(strlen(text)));
            break;
        }
        case '~': {
            const TextBuffer* other = static_cast<const TextBuffer*>(args.NextPointer());
            if (other && other->Length() > 0) putBytes(other->Data(), other->Length());
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

    if (buffer.Flags() & TextBuffer::NoShrink) {
        buffer.SetLength(position, true);
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
    if (buffer.Data()) {
        const uintptr_t low = reinterpret_cast<uintptr_t>(buffer.Data());
        const uintptr_t high = low + static_cast<uintptr_t>(buffer.Capacity()) + 16;
        for (int i = 0; i < count; ++i) {
            const uintptr_t at = reinterpret_cast<uintptr_t>(pointers[i]);
            if (i == 0 && at == low) continue;
            if (at >= low && at <= high) {
                buffer.ForceNewBlock();
                break;
            }
        }
    }

    char* oldBlock;
    buffer.ResizeDetach(static_cast<int32_t>(total), false, &oldBlock);
    int32_t position = 0;
    for (int i = 0; i < count; ++i) {
        if (lengths[i] <= 0) continue;
        if (pointers[i] != buffer.Data())
            memmove(buffer.Data() + position, pointers[i], static_cast<size_t>(lengths[i]));
        position += lengths[i];
    }
    TextBuffer::FreeBlock(oldBlock);
    return buffer;
}
