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

// Grows the block while formatting. The block the caller handed in may hold the text of a '$'
// argument still to be read, so when it is replaced it is kept, not freed, until the end
// (`kept`); the blocks taken afterwards are the formatter's own and grow in place.
class Room {
public:
    explicit Room(TextBuffer& buffer) : buffer_(buffer), callerBlock_(buffer.Data()) {}
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

// A non-negative integer of up to 90 limbs of nine decimal digits, lowest limb first: room for
// the exact decimal expansion of any double (at most 767 significant digits).
class BigDecimal {
public:
    explicit BigDecimal(uint64_t value)
    {
        do {
            limbs_[count_++] = static_cast<uint32_t>(value % kBase);
            value /= kBase;
        } while (value);
    }

    // factor is below 2^32, so no step can overflow 64 bits.
    void Multiply(uint32_t factor)
    {
        uint64_t carry = 0;
        for (int i = 0; i < count_; ++i) {
            const uint64_t product = static_cast<uint64_t>(limbs_[i]) * factor + carry;
            limbs_[i] = static_cast<uint32_t>(product % kBase);
            carry = product / kBase;
        }
        while (carry) {
            limbs_[count_++] = static_cast<uint32_t>(carry % kBase);
            carry /= kBase;
        }
    }

    // Writes the decimal digits, most significant first, without leading zeros; returns the count.
    int Digits(char* out) const
    {
        int written = 0;
        for (uint32_t v = limbs_[count_ - 1]; v; v /= 10) out[written++] = static_cast<char>('0' + v % 10);
        for (int a = 0, b = written - 1; a < b; ++a, --b) {
            const char t = out[a];
            out[a] = out[b];
            out[b] = t;
        }
        for (int i = count_ - 2; i >= 0; --i) {
            uint32_t v = limbs_[i];
            for (int d = 8; d >= 0; --d) {
                out[written + d] = static_cast<char>('0' + v % 10);
                v /= 10;
            }
            written += 9;
        }
        return written;
    }

private:
    static constexpr uint32_t kBase = 1000000000;
    uint32_t limbs_[90] = {};
    int count_ = 0;
};

int WriteUnsigned(uint64_t value, char* out)
{
    char digits[20];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value);
    int written = 0;
    while (count) out[written++] = digits[--count];
    return written;
}

// Writes the `digits` digits of a fraction, leading zeros included and trailing zeros left out;
// returns the count written.
int WriteFraction(uint64_t fraction, int digits, char* out)
{
    while (digits > 0 && fraction % 10 == 0) {
        fraction /= 10;
        --digits;
    }
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
    }
    return digits;
}

}  // namespace

int WriteDouble(double value, char* out)
{
    // The digits are made here from the value's exact decimal expansion, not by the C runtime,
    // whose rounding of exact ties differs between runtimes: one rule, half away from zero,
    // wherever the program runs or is tested.
    uint64_t bits;
    memcpy(&bits, &value, sizeof bits);
    const bool negative = bits >> 63;
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    const uint64_t fraction = bits & ((1ull << 52) - 1);
    int written = 0;
    if (biased == 0x7FF && fraction) {
        memcpy(out, "nan", 3);
        return 3;
    }
    const bool zero = biased == 0 && fraction == 0;
    if (negative && !zero) out[written++] = '-';
    if (biased == 0x7FF) {
        memcpy(out + written, "inf", 3);
        return written + 3;
    }

    // value = mantissa * 2^power exactly; for a negative power that is
    // mantissa * 5^-power / 10^-power, an integer with the point moved -power places.
    uint64_t q = 0;  // the value rounded to 10 significant digits, as an integer
    int e = -1;      // decimal exponent of the value before rounding; zero counts as -1
    bool carried = false;
    if (!zero) {
        const uint64_t mantissa = biased ? fraction | (1ull << 52) : fraction;
        const int power = biased ? biased - 1075 : -1074;
        BigDecimal exact(mantissa);
        int scale = 0;
        if (power >= 0) {
            for (int n = power; n > 0; n -= 29) exact.Multiply(1u << (n < 29 ? n : 29));
        } else {
            static const uint32_t kPowersOfFive[] = {1, 5, 25, 125, 625, 3125, 15625, 78125, 390625, 1953125,
                                                     9765625, 48828125, 244140625, 1220703125};
            for (int n = -power; n > 0; n -= 13) exact.Multiply(kPowersOfFive[n < 13 ? n : 13]);
            scale = -power;
        }
        char digits[800];
        const int count = exact.Digits(digits);
        e = count - 1 - scale;
        for (int i = 0; i < 10; ++i) q = q * 10 + static_cast<uint64_t>(i < count ? digits[i] - '0' : 0);
        if (count > 10 && digits[10] >= '5') ++q;
        carried = q == 10000000000ull;
    }

    if (e >= -1 && e <= 9) {
        // Fixed notation, 9 - e fraction digits; the notation follows e before rounding, so
        // 9999999999.5 gives 10000000000.
        const int fractionDigits = 9 - e;
        uint64_t scaleDown = 1;
        for (int i = 0; i < fractionDigits; ++i) scaleDown *= 10;
        written += WriteUnsigned(q / scaleDown, out + written);
        if (fractionDigits == 0) return written;
        out[written++] = '.';
        return written + WriteFraction(q % scaleDown, fractionDigits, out + written);
    }

    if (carried) {
        q /= 10;
        ++e;
    }
    out[written++] = static_cast<char>('0' + q / 1000000000);
    out[written++] = '.';
    written += WriteFraction(q % 1000000000, 9, out + written);
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
    Room room(buffer);
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

    const char* p = format ? format : "";
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
