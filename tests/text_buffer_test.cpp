#include "tests/buffer_checks.h"

#include <string.h>

TEST(GrowthPolicy, FirstBlockIsExactThenGrowsByAnEighthPlusTen)
{
    TextBuffer b;
    b.ResizeDiscard(7);
    EXPECT_EQ(b.Capacity(), 7);
    EXPECT_EQ(b.Length(), 7);
    EXPECT_TRUE(Terminated(b));
    b.Resize(8);
    EXPECT_EQ(b.Capacity(), 8 + 1 + 10);
    EXPECT_TRUE(Terminated(b));
}

TEST(GrowthPolicy, ShrinkTestIsStrictAndNoShrinkKeepsTheBlock)
{
    TextBuffer plain;
    plain.ResizeDiscard(300);
    plain.Resize(125);  // 300 > 2*125+50 is false: the block stays
    EXPECT_EQ(plain.Capacity(), 300);
    plain.Resize(100);  // 300 > 250: a new block of 100 + 12 + 10
    EXPECT_EQ(plain.Capacity(), 122);

    TextBuffer keep(TextBuffer::NoShrink);
    keep.ResizeDiscard(300);
    keep.Resize(100);
    EXPECT_EQ(keep.Capacity(), 300);
    keep.ResizeDiscard(0);
    EXPECT_EQ(keep.Capacity(), 300);
    EXPECT_TRUE(Terminated(keep));
}

TEST(GrowthPolicy, LargeSlackAddsAThousandAndShrinksOnlyPastFiveThousand)
{
    TextBuffer b(TextBuffer::LargeSlack);
    b.ResizeDiscard(100);
    EXPECT_EQ(b.Capacity(), 100);
    b.Resize(2000);
    EXPECT_EQ(b.Capacity(), 2000 + 250 + 1000);
    b.Resize(0);
    EXPECT_EQ(b.Capacity(), 3250);  // 3250 > 5000 is false
    b.ResizeDiscard(10000);
    EXPECT_EQ(b.Capacity(), 10000 + 1250 + 1000);
    b.Resize(100);  // 11250 > 5200: shrinks to 100 + 12 + 1000
    EXPECT_EQ(b.Capacity(), 1112);

    TextBuffer both(TextBuffer::LargeSlack | TextBuffer::NoShrink);
    both.ResizeDiscard(10);
    both.Resize(11);
    EXPECT_EQ(both.Capacity(), 11 + 1 + 1000);
    both.Resize(0);
    EXPECT_EQ(both.Capacity(), 1012);
}

TEST(GrowthPolicy, ResizeKeepsTextResizeDiscardMayNot)
{
    TextBuffer b;
    Fill(b, "abcdef");
    b.Resize(200);
    EXPECT_EQ(std::string(b.Data(), 6), "abcdef");
    EXPECT_EQ(b.Length(), 200);
    EXPECT_TRUE(Terminated(b));
    b.Resize(3);
    EXPECT_EQ(Bytes(b), "abc");
    EXPECT_TRUE(Terminated(b));
}

TEST(GrowthPolicy, ResizeDetachHandsTheOldBlockToTheCaller)
{
    TextBuffer b;
    char* old;
    EXPECT_TRUE(b.ResizeDetach(4, false, &old));  // no block before counts as new
    EXPECT_EQ(old, nullptr);
    memcpy(b.Data(), "wxyz", 4);
    char* first = b.Data();
    EXPECT_FALSE(b.ResizeDetach(2, false, &old));
    EXPECT_EQ(old, nullptr);
    EXPECT_EQ(b.Data(), first);
    EXPECT_TRUE(b.ResizeDetach(50, true, &old));
    ASSERT_EQ(old, first);
    EXPECT_EQ(std::string(old, 2), "wx");  // still readable until the caller frees it
    TextBuffer::FreeBlock(old);
    EXPECT_EQ(b.Length(), 50);
}

TEST(TextBuffer, ReleaseKeepsFlags)
{
    TextBuffer b(TextBuffer::NoShrink);
    Fill(b, "abc");
    b.Release();
    EXPECT_EQ(b.Data(), nullptr);
    EXPECT_EQ(b.Length(), 0);
    EXPECT_EQ(b.Capacity(), 0);
    EXPECT_EQ(b.Flags(), TextBuffer::NoShrink);
}

TEST(TextBuffer, Reserve)
{
    TextBuffer b;
    EXPECT_EQ(b.Reserve(-1, 0), nullptr);
    Fill(b, "abc");
    b.Reserve(10, TextBuffer::ReserveKeepText);
    EXPECT_EQ(Bytes(b), "abc");
    EXPECT_GE(b.Capacity(), 10);
    EXPECT_TRUE(Terminated(b));

    b.Reserve(10, TextBuffer::ReserveKeepText | TextBuffer::ReserveSetLength);
    EXPECT_EQ(b.Length(), 10);
    EXPECT_EQ(std::string(b.Data(), 3), "abc");
    EXPECT_TRUE(Terminated(b));

    Fill(b, "abc");
    b.Reserve(2, TextBuffer::ReserveKeepText);
    EXPECT_EQ(Bytes(b), "ab");

    char* room = b.Reserve(260, 0);
    EXPECT_EQ(room, b.Data());
    EXPECT_EQ(b.Length(), 0);
    EXPECT_GE(b.Capacity(), 260);
    EXPECT_EQ(room[0], 0);
    EXPECT_EQ(room[1], 0);

    b.Reserve(20, TextBuffer::ReserveSetLength);
    EXPECT_EQ(b.Length(), 20);

    Fill(b, "hello");
    b.Reserve(-1, 0);  // trims the block to the text
    EXPECT_EQ(b.Capacity(), 5);
    EXPECT_EQ(Bytes(b), "hello");
    EXPECT_TRUE(Terminated(b));
}

TEST(TextBuffer, SetLength)
{
    TextBuffer none;
    none.SetLength(5, true);  // nothing at all without capacity
    EXPECT_EQ(none.Data(), nullptr);

    TextBuffer b;
    char* room = b.Reserve(300, 0);
    strcpy(room, "ab");
    b.SetLength(-1, true);
    EXPECT_EQ(b.Length(), 2);
    b.SetLength(500, true);
    EXPECT_EQ(b.Length(), 300);
    EXPECT_EQ(b.Capacity(), 300);
    EXPECT_TRUE(Terminated(b));

    memset(b.Data(), 'x', 301);  // no zero among positions 0..Capacity()
    b.SetLength(-1, false);
    EXPECT_EQ(b.Length(), 300);
    EXPECT_TRUE(Terminated(b));

    b.SetLength(10, false);  // without keep block the block shrinks by the policy
    EXPECT_EQ(b.Length(), 10);
    EXPECT_EQ(b.Capacity(), 10 + 1 + 10);
    EXPECT_TRUE(Terminated(b));

    TextBuffer keep(TextBuffer::NoShrink);
    keep.Reserve(300, 0);
    keep.SetLength(3, false);
    EXPECT_EQ(keep.Capacity(), 300);
    EXPECT_EQ(keep.Length(), 3);
}

TEST(TextBuffer, Comparisons)
{
    TextBuffer a, b;
    Fill(a, "C:\\Setup\\");
    Fill(b, "c:\\SETUP\\");
    EXPECT_TRUE(TextBuffer::EqualsNoCase(a, b));
    Fill(b, "c:\\SETUP");
    EXPECT_FALSE(TextBuffer::EqualsNoCase(a, b));
    // Only ASCII letters fold: 0xC4 and 0xE4 (A and a with diaeresis in 1252) differ.
    Fill(a, "\xC4");
    Fill(b, "\xE4");
    EXPECT_FALSE(TextBuffer::EqualsNoCase(a, b));
    Fill(a, "[");
    Fill(b, "{");
    EXPECT_FALSE(TextBuffer::EqualsNoCase(a, b));

    Fill(a, "C:\\x");
    EXPECT_FALSE(a.StartsWith("c:", -1));
    EXPECT_TRUE(a.StartsWith("C:", -1));
    EXPECT_TRUE(a.StartsWith("zzz", 0));
    EXPECT_FALSE(a.StartsWith("C:\\x\\", -1));
    EXPECT_FALSE(a.StartsWith(nullptr, 0));
    Fill(a, "C:\\x\\");
    EXPECT_TRUE(a.EndsWith("\\", -1));
    EXPECT_TRUE(a.EndsWith("x\\", 2));
    EXPECT_FALSE(a.EndsWith("X\\", 2));
    TextBuffer empty;
    EXPECT_FALSE(empty.StartsWith("", 0));
    EXPECT_FALSE(empty.EndsWith("", 0));
}

TEST(TextBuffer, AssignAndAppend)
{
    TextBuffer a, b;
    Fill(a, "ab");
    b.Assign(a);
    EXPECT_EQ(Bytes(b), "ab");
    b.AppendText("cd").Append(a);
    EXPECT_EQ(Bytes(b), "abcdab");
    EXPECT_TRUE(Terminated(b));

    TextBuffer none;
    b.Assign(none);  // a buffer without a block makes this one release its block
    EXPECT_EQ(b.Data(), nullptr);

    b.AssignText("x");
    b.AssignText(nullptr);
    EXPECT_EQ(b.Data(), nullptr);

    b.AppendText(nullptr);
    EXPECT_EQ(b.Data(), nullptr);
    b.AppendText("");  // Resize to 0 still takes a block
    ASSERT_NE(b.Data(), nullptr);
    EXPECT_EQ(b.Length(), 0);
    EXPECT_TRUE(Terminated(b));

    TextBuffer empty;
    Fill(a, "q");
    a.Append(empty);
    EXPECT_EQ(Bytes(a), "q");
}

TEST(TextBuffer, AppendingAListLineByLineGrowsRarely)
{
    TextBuffer list;
    int blocks = 0;
    const char* last = nullptr;
    for (int i = 0; i < 1000; ++i) {
        list.AppendText("Help\\zv.chm\r\n");
        if (list.Data() != last) {
            ++blocks;
            last = list.Data();
        }
    }
    EXPECT_EQ(list.Length(), 13000);
    EXPECT_TRUE(Terminated(list));
    // Capacity follows n + n/8 + 10 at each growth: the number of reallocations is logarithmic.
    EXPECT_LT(blocks, 60);
}

TEST(TextBuffer, PrependAndPrependText)
{
    TextBuffer a, b;
    Fill(a, "world");
    Fill(b, "hello ");
    a.Prepend(b);
    EXPECT_EQ(Bytes(a), "hello world");
    EXPECT_TRUE(Terminated(a));

    TextBuffer none;
    none.Prepend(b);  // without a block the other text is copied in
    EXPECT_EQ(Bytes(none), "hello ");

    // Prepend into a block that has room: the text moves up in place.
    TextBuffer roomy(TextBuffer::NoShrink);
    roomy.ResizeDiscard(100);
    roomy.AssignText("tail");
    char* block = roomy.Data();
    roomy.PrependText("head-");
    EXPECT_EQ(roomy.Data(), block);
    EXPECT_EQ(Bytes(roomy), "head-tail");
    EXPECT_TRUE(Terminated(roomy));

    roomy.PrependText(nullptr);
    roomy.PrependText("");
    EXPECT_EQ(Bytes(roomy), "head-tail");
}

TEST(TextBuffer, CopyPart)
{
    TextBuffer src, dst;
    Fill(src, "abc");
    Fill(dst, "keep");
    dst.CopyPart(src, 5, -1, false);
    EXPECT_EQ(Bytes(dst), "");
    ASSERT_NE(dst.Data(), nullptr);

    Fill(src, "abcd");
    dst.CopyPart(src, -2, 2, false);
    EXPECT_EQ(Bytes(dst), "ab");

    Fill(src, "abc");
    Fill(dst, "x");
    dst.CopyPart(src, 1, 10, true);
    EXPECT_EQ(Bytes(dst), "xbc");
    dst.CopyPart(src, 3, 1, true);  // empty part with append: unchanged
    EXPECT_EQ(Bytes(dst), "xbc");
    dst.CopyPart(src, 1, 0, false);  // a count of zero: nothing, not the rest
    EXPECT_EQ(Bytes(dst), "");
    EXPECT_TRUE(Terminated(dst));
}

TEST(TextBuffer, AssignConcatAndAssignConcatText)
{
    TextBuffer a, b;
    Fill(b, "x");
    a.AssignConcat(b, nullptr);
    EXPECT_EQ(Bytes(a), "x");
    a.AssignConcat(b, "yz");
    EXPECT_EQ(Bytes(a), "xyz");

    TextBuffer none;
    a.AssignConcat(none, nullptr);  // nothing to store: the block is released
    EXPECT_EQ(a.Data(), nullptr);
    a.AssignConcat(none, "q");
    EXPECT_EQ(Bytes(a), "q");
    TextBuffer fresh, none2;
    fresh.AssignConcat(none2, nullptr);  // both without blocks: AppendText of null, no block
    EXPECT_EQ(fresh.Data(), nullptr);

    a.AssignConcatText("C:\\Dir", "\\file");
    EXPECT_EQ(Bytes(a), "C:\\Dir\\file");
    a.AssignConcatText(nullptr, "b");
    EXPECT_EQ(Bytes(a), "b");
    a.AssignConcatText(nullptr, nullptr);
    EXPECT_EQ(a.Data(), nullptr);
    EXPECT_TRUE(Terminated(a));
}

TEST(TextBuffer, TrimEnd)
{
    TextBuffer b;
    Fill(b, "C:\\Dir\\\\");
    b.TrimEnd('\\');
    EXPECT_EQ(Bytes(b), "C:\\Dir");
    EXPECT_TRUE(Terminated(b));

    Fill(b, "abc \r\n");
    b.TrimEnd(0);
    EXPECT_EQ(Bytes(b), "abc");

    Fill(b, "\\\\\\");
    char* block = b.Data();
    b.TrimEnd('\\');
    EXPECT_EQ(b.Length(), 0);
    EXPECT_EQ(b.Data(), block);
    EXPECT_TRUE(Terminated(b));

    Fill(b, "a\x80");  // bytes above 127 are not blanks
    b.TrimEnd(0);
    EXPECT_EQ(b.Length(), 2);

    TextBuffer none;
    none.TrimEnd('\\');
    EXPECT_EQ(none.Data(), nullptr);
}

TEST(TextBuffer, TextsWithZeroBytesKeepTheirLength)
{
    TextBuffer a, b;
    a.ResizeDiscard(3);
    memcpy(a.Data(), "a\0b", 3);
    b.Assign(a).Append(a);
    EXPECT_EQ(b.Length(), 6);
    EXPECT_EQ(Bytes(b), std::string("a\0ba\0b", 6));
    EXPECT_TRUE(Terminated(b));
}

TEST(FolderPart, PathsAndCommandLines)
{
    struct Case {
        const char* source;
        const char* folder;
    } cases[] = {
        {"C:\\Program Files\\Zevrin 2\\setup.exe", "C:\\Program Files\\Zevrin 2\\"},
        {"\"C:\\Apps\\zv.exe\" /x", "C:\\Apps\\"},
        {"\"C:\\Apps\\zv.exe", "C:\\Apps\\"},  // no closing quote: up to the end
        {"$Windows$", "$Windows$"},
        {"$Windows$\\notepad.exe", "$Windows$\\"},
        {"%TEMP%x.txt", "%TEMP%"},
        {"%TEMP%\\a\\b.txt", "%TEMP%\\a\\"},
        {"$Program Files$\\Zevrin 2", "$Program Files$\\"},
        {"setup.exe", ""},
        {"\\setup.exe", ""},
        {"x", ""},
        {"", ""},
        {"C:setup.exe", "C:"},
        {"C:\\setup.exe", "C:\\"},
        {"C:/dir/file", "C:/dir/"},
        {"\"\"", ""},
        {"\"$A$\"\\x", "$A$"},
        {"$abc", "", },  // an unclosed token gives no floor; no separator after position 0
    };
    for (const Case& c : cases) {
        TextBuffer src, out;
        Fill(src, c.source);
        out.GetFolderPart(src);
        EXPECT_EQ(Bytes(out), c.folder) << "source: " << c.source;
        EXPECT_TRUE(Terminated(out));
    }
}

TEST(FolderPart, OnItself)
{
    TextBuffer b;
    Fill(b, "C:\\Setup\\setup.exe");
    b.GetFolderPart(b);
    EXPECT_EQ(Bytes(b), "C:\\Setup\\");
    EXPECT_TRUE(Terminated(b));
    b.GetFolderPart(b);
    EXPECT_EQ(Bytes(b), "C:\\Setup\\");
    Fill(b, "a");
    b.GetFolderPart(b);
    EXPECT_EQ(Bytes(b), "");
}
