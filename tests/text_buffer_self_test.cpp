// A buffer passed its own text or itself: every operation must read its source before it
// frees or overwrites it. ASan in the native build turns a mistake here into a failure.
#include "tests/buffer_checks.h"

#include <string.h>

TEST(SelfReference, AppendPrependAndPrependTextDouble)
{
    TextBuffer a;
    Fill(a, "ab");
    a.Append(a);
    EXPECT_EQ(Bytes(a), "abab");
    EXPECT_TRUE(Terminated(a));

    Fill(a, "ab");
    a.Prepend(a);
    EXPECT_EQ(Bytes(a), "abab");

    Fill(a, "ab");  // exact block: prepending its own text takes a new block
    a.PrependText(a.Data());
    EXPECT_EQ(Bytes(a), "abab");
    EXPECT_TRUE(Terminated(a));

    TextBuffer roomy(TextBuffer::NoShrink);
    roomy.ResizeDiscard(64);
    roomy.AssignText("ab");
    char* block = roomy.Data();
    roomy.PrependText(roomy.Data());  // block stays: front already holds the bytes after the move
    EXPECT_EQ(roomy.Data(), block);
    EXPECT_EQ(Bytes(roomy), "abab");
    EXPECT_TRUE(Terminated(roomy));
}

TEST(SelfReference, AppendTextOfOwnTextAcrossAReallocation)
{
    TextBuffer a;
    Fill(a, "0123456789");
    for (int i = 0; i < 6; ++i) a.AppendText(a.Data());
    EXPECT_EQ(a.Length(), 640);
    std::string expected;
    for (int i = 0; i < 64; ++i) expected += "0123456789";
    EXPECT_EQ(Bytes(a), expected);
    EXPECT_TRUE(Terminated(a));
}

TEST(SelfReference, AssignAndAssignTextOfItselfChangeNothing)
{
    TextBuffer a;
    Fill(a, "same");
    char* block = a.Data();
    a.Assign(a);
    a.AssignText(a.Data());
    EXPECT_EQ(a.Data(), block);
    EXPECT_EQ(Bytes(a), "same");
}

TEST(SelfReference, AssignConcatWithItselfOrItsText)
{
    TextBuffer a, b;
    Fill(a, "x");
    a.AssignConcat(a, "y");  // b is this buffer: AppendText
    EXPECT_EQ(Bytes(a), "xy");
    Fill(b, "pre-");
    a.AssignConcat(b, a.Data());  // text is the own text: Prepend b
    EXPECT_EQ(Bytes(a), "pre-xy");
    EXPECT_TRUE(Terminated(a));

    Fill(a, "C:\\Dir");
    a.AssignConcatText(a.Data(), "\\sub");
    EXPECT_EQ(Bytes(a), "C:\\Dir\\sub");
    a.AssignConcatText("D:", a.Data());
    EXPECT_EQ(Bytes(a), "D:C:\\Dir\\sub");
    EXPECT_TRUE(Terminated(a));
}

TEST(SelfReference, CopyPartOfItselfInBothBlockCases)
{
    TextBuffer a;
    Fill(a, "abcdefgh");
    a.CopyPart(a, 2, 3, false);  // 8 > 2*3+50 is false: same block
    EXPECT_EQ(Bytes(a), "cde");
    EXPECT_TRUE(Terminated(a));

    TextBuffer big;
    big.ResizeDiscard(400);
    memset(big.Data(), 'z', 400);
    memcpy(big.Data() + 390, "0123456789", 10);
    big.CopyPart(big, 390, -1, false);  // 400 > 70: a new block; the part comes from the old one
    EXPECT_EQ(Bytes(big), "0123456789");
    EXPECT_EQ(big.Capacity(), 10 + 1 + 10);
    EXPECT_TRUE(Terminated(big));

    big.CopyPart(big, 8, 5, true);  // appending a part of itself: safe, if never used
    EXPECT_EQ(Bytes(big), "012345678989");
    EXPECT_TRUE(Terminated(big));
}
