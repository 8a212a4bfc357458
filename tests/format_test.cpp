#include "base/format.h"

#include <string.h>

#include "tests/buffer_checks.h"

namespace {

std::string Format(const char* format, ...)
{
    TextBuffer b;
    va_list args;
    va_start(args, format);
    FormatTextV(b, 0, format, args);
    va_end(args);
    EXPECT_TRUE(Terminated(b));
    return Bytes(b);
}

std::string Double(double v)
{
    char out[20];
    return std::string(out, static_cast<size_t>(WriteDouble(v, out)));
}

}  // namespace

TEST(Format, AnArgumentInsideTheBlockBeingWrittenIsReadBeforeTheBlockMoves)
{
    // Callers promise not to do this; it must still be defined (and clean under ASan).
    TextBuffer small;
    small.AssignText("hello");
    FormatText(small, "<$>", small.Data());
    EXPECT_EQ(Bytes(small), "<hello>") << "the caller's block outlives the first growth";

    const std::string wide(400, 'w');
    TextBuffer self;
    FormatText(self, "$~", wide.c_str(), &self);
    ASSERT_GE(self.Length(), 800);
    EXPECT_EQ(Bytes(self).substr(0, 800), wide + wide) << "its own text, taken as the block grows";
}

TEST(Format, EmptyFormatGivesABlockThatShrinksBack)
{
    TextBuffer b;
    FormatText(b, "");
    ASSERT_NE(b.Data(), nullptr);
    EXPECT_EQ(b.Length(), 0);
    EXPECT_EQ(b.Capacity(), 10);

    TextBuffer keep(TextBuffer::NoShrink);
    FormatText(keep, "abc");
    EXPECT_EQ(keep.Capacity(), 300);
    EXPECT_EQ(Bytes(keep), "abc");
    EXPECT_TRUE(Terminated(keep));
}

TEST(Format, Integers)
{
    EXPECT_EQ(Format("#", -5), "-5");
    EXPECT_EQ(Format("#", 0), "0");
    EXPECT_EQ(Format("#", INT32_MIN), "-2147483648");
    EXPECT_EQ(Format("#", INT32_MAX), "2147483647");
    EXPECT_EQ(Format("&", -1), "FFFFFFFF");
    EXPECT_EQ(Format("&", 255), "FF");
    EXPECT_EQ(Format("&", 0), "0");
    EXPECT_EQ(Format("0x&/#", 0xABC, 42), "0xABC/42");
}

TEST(Format, Doubles)
{
    EXPECT_EQ(Double(3.0), "3.");
    EXPECT_EQ(Double(2.5), "2.5");
    EXPECT_EQ(Double(0.25), "0.25");
    EXPECT_EQ(Double(0.0), "0.");
    EXPECT_EQ(Double(0.1), "0.1");
    EXPECT_EQ(Double(0.05), "5.e-002");
    EXPECT_EQ(Double(0.001), "1.e-003");
    EXPECT_EQ(Double(2500000000.0), "2500000000");
    EXPECT_EQ(Double(1234567890.0), "1234567890");
    EXPECT_EQ(Double(10000000000.0), "1.e+010");
    EXPECT_EQ(Double(12345678901.0), "1.23456789e+010");
    EXPECT_EQ(Double(-2.5), "-2.5");
    EXPECT_EQ(Double(1.0 / 3.0), "0.3333333333");
    EXPECT_EQ(Double(2.0 / 3.0), "0.6666666667");
    EXPECT_EQ(Double(9.99999999999), "10.");  // rounding carries into the next power of ten
    EXPECT_EQ(Double(1e300), "1.e+300");
    EXPECT_EQ(Double(-1.5e-300), "-1.5e-300");
    // The notation follows the exponent before rounding; exact ties round away from zero,
    // whichever C runtime the tests run on.
    EXPECT_EQ(Double(9999999999.5), "10000000000");
    EXPECT_EQ(Double(1234567890.5), "1234567891");
    EXPECT_EQ(Double(-1234567890.5), "-1234567891");
    EXPECT_EQ(Double(12345678905.0), "1.234567891e+010");
    EXPECT_EQ(Double(0.099999999999), "1.e-001");
    EXPECT_EQ(Double(5e-324), "4.940656458e-324");
    EXPECT_EQ(Double(1.7976931348623157e308), "1.797693135e+308");
    EXPECT_EQ(Format("^s", 3.0), "3.s");
}

TEST(Format, StringsAndNullPointers)
{
    EXPECT_EQ(Format("<$>", "abc"), "<abc>");
    EXPECT_EQ(Format("$#", static_cast<const char*>(nullptr), 7), "7");
    TextBuffer list;
    Fill(list, "a.txt\r\n");
    EXPECT_EQ(Format("Replaced:\r\n~", &list), "Replaced:\r\na.txt\r\n");
    TextBuffer empty;
    EXPECT_EQ(Format("Can~", &empty), "Can");

    TextBuffer withZero;
    withZero.ResizeDiscard(3);
    memcpy(withZero.Data(), "x\0y", 3);
    EXPECT_EQ(Format("~", &withZero), std::string("x\0y", 3));
}

TEST(Format, CountedBytes)
{
    const char* text = "abcdef";
    EXPECT_EQ(Format("{3}", text), "abc");
    EXPECT_EQ(Format("{0x2}", text), "ab");
    EXPECT_EQ(Format("{0X4}", text), "abcd");
    EXPECT_EQ(Format("{05}", text), "abcde");  // octal
    EXPECT_EQ(Format("{3}#", static_cast<const char*>(nullptr), 9), "9");
    EXPECT_EQ(Format("{2", text), "ab");  // unclosed: still writes, then the format ends
}

TEST(Format, ByteEscapes)
{
    EXPECT_EQ(Format("a[0]b"), std::string("a\0b", 3));
    EXPECT_EQ(Format("[65]"), "A");
    EXPECT_EQ(Format("[0x41]"), "A");
    EXPECT_EQ(Format("[010]"), "\x08");
    EXPECT_EQ(Format("[300]"), ",");
    EXPECT_EQ(Format("[x]"), "[x]");
    EXPECT_EQ(Format("["), "[");
    EXPECT_EQ(Format("[35][38][94][36][126][123]"), "#&^$~{");
    EXPECT_EQ(Format("[65"), "A");
    EXPECT_EQ(Format("100%"), "100%");
}

TEST(Format, RoomIsMadeInStepsOf300)
{
    TextBuffer b(TextBuffer::NoShrink);
    std::string big(400, 'q');
    FormatText(b, "$", big.c_str());
    EXPECT_EQ(b.Length(), 400);
    // 300 first, then Resize to 0 + 400 + 300 = 700 grows to 700 + 87 + 10.
    EXPECT_EQ(b.Capacity(), 797);

    TextBuffer bytes(TextBuffer::NoShrink);
    FormatText(bytes, big.c_str());
    EXPECT_EQ(bytes.Length(), 400);
    // Byte by byte: at position 300 Resize to 600, which grows to 600 + 75 + 10.
    EXPECT_EQ(bytes.Capacity(), 685);
    EXPECT_EQ(Bytes(bytes), big);
}

TEST(Format, FormatTextAtKeepsTheBytesBeforeStart)
{
    TextBuffer b;
    Fill(b, "Header: ");
    struct Args final : FormatArgs {
        int32_t NextInt() override { return 12; }
        double NextDouble() override { return 0; }
        const void* NextPointer() override { return nullptr; }
    } args;
    FormatTextAt(b, 8, "# files", args);
    EXPECT_EQ(Bytes(b), "Header: 12 files");
    EXPECT_TRUE(Terminated(b));
}

TEST(ConcatParts, PiecesNullsAndLengths)
{
    TextBuffer b;
    ConcatParts(b, 2, "ab", -1, "cd", 1);
    EXPECT_EQ(Bytes(b), "abc");
    ConcatParts(b, 3, "x", -1, static_cast<const char*>(nullptr), 5, "yz", 2);
    EXPECT_EQ(Bytes(b), "xyz");
    EXPECT_TRUE(Terminated(b));
}

TEST(ConcatParts, OwnFirstPieceIsCutInPlace)
{
    TextBuffer b(TextBuffer::NoShrink);
    Fill(b, "C:\\Zevrin 2\\");
    char* block = b.Data();
    ConcatParts(b, 1, b.Data(), b.Length() - 1);
    EXPECT_EQ(b.Data(), block);
    EXPECT_EQ(Bytes(b), "C:\\Zevrin 2");
    EXPECT_TRUE(Terminated(b));
}

TEST(ConcatParts, AliasingPieceBuildsInANewBlock)
{
    TextBuffer b;
    Fill(b, "abc");
    char* block = b.Data();
    ConcatParts(b, 2, "x-", -1, b.Data(), b.Length());
    EXPECT_NE(b.Data(), block);
    EXPECT_EQ(Bytes(b), "x-abc");
    EXPECT_TRUE(Terminated(b));

    ConcatParts(b, 2, b.Data(), 1, b.Data() + 2, 3);  // first in place, second aliases
    EXPECT_EQ(Bytes(b), "xabc");
}
