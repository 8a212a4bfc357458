#pragma once
// The program's own message formatter. Escapes in the format, each taking the next argument:
//   #  int32_t, decimal           &  int32_t, unsigned upper-case hexadecimal
//   ^  double, 10 significant digits (setup.exe, none of whose messages holds a number, is
//      built with ZV_NO_DOUBLE_ESCAPE: the double is taken and nothing written, which leaves
//      out the kilobyte of exact decimal expansion)
//   $  const char*, zero-terminated (null writes nothing)
//   ~  const TextBuffer*, its length bytes
//   {n}  const void*, exactly n bytes (n decimal, 0x hex or 0 octal; null writes nothing)
// and without an argument: [n] one byte of value n mod 256 ([0] a zero byte); '[' followed by
// anything but a digit is itself. Every other byte is copied. There is no '%' escape.

#include <stdarg.h>
#include <stdint.h>

#include "base/text_buffer.h"

// Where the escapes take their arguments from, in order. The program passes a C variable
// argument list; tests and fuzzers can feed typed values.
class FormatArgs {
public:
    virtual int32_t NextInt() = 0;
    virtual double NextDouble() = 0;
    virtual const void* NextPointer() = 0;

protected:
    ~FormatArgs() = default;
};

TextBuffer& FormatTextAt(TextBuffer& buffer, int32_t start, const char* format, FormatArgs& args);
TextBuffer& FormatTextV(TextBuffer& buffer, int32_t start, const char* format, va_list args);
TextBuffer& FormatText(TextBuffer& buffer, const char* format, ...);

// The buffer becomes count pieces, each passed as (const void* pointer, int32_t length): a null
// pointer is empty, a negative length runs to the piece's zero byte. Pieces may point into the
// buffer's own block. At most 16 pieces.
TextBuffer& ConcatParts(TextBuffer& buffer, int count, ...);

// Writes the decimal form of a double with 10 significant digits ("3.", "0.25", "1.e+010") into
// out, which must hold 20 bytes; returns the count written, without a terminator.
int WriteDouble(double value, char* out);

#ifdef _WIN32
// Formats the message and shows it in a message box owned by CurrentDialog; returns the button.
int ShowMessage(unsigned type, const char* caption, const char* format, ...);
#endif
