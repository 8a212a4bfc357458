#include <windows.h>

#include <string.h>

#include "base/process_win32.h"
#include "res/resource.h"
#include "tests/buffer_checks.h"

TEST(ConvertToWide, AnsiTextBecomesUtf16WithAWideZero)
{
    TextBuffer b;
    b.ConvertToWide("ab");
    ASSERT_EQ(b.Length(), 4);
    EXPECT_EQ(0, memcmp(b.Data(), "a\0b\0\0\0", 6));

    b.ConvertToWide("");
    EXPECT_EQ(b.Length(), 0);
    EXPECT_TRUE(Terminated(b));

    // Own text, with the block replaced: "C:\\Zevrin 2\\Zevrin.lnk" as the link's file name.
    Fill(b, "C:\\Zevrin 2\\Zevrin.lnk");
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(b.ConvertToWide(nullptr));
    EXPECT_EQ(b.Length(), 2 * 22);
    EXPECT_EQ(std::wstring(wide), L"C:\\Zevrin 2\\Zevrin.lnk");
    EXPECT_TRUE(Terminated(b));

    Fill(b, "xy");
    b.ConvertToWide(b.Data());
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(b.Data())), L"xy");

    TextBuffer empty;
    EXPECT_EQ(empty.ConvertToWide(nullptr), nullptr);
    empty.ResizeDiscard(0);
    empty.ConvertToWide(nullptr);
    EXPECT_TRUE(Terminated(empty));
}

TEST(LoadResourceString, NotesAreReadWholeNotCutAt100)
{
    TextBuffer b;
    b.LoadResourceString(IDS_NOTES);
    ASSERT_EQ(b.Length(), 424);
    const std::string notes = Bytes(b);
    EXPECT_EQ(notes.rfind("INFORMATION FOR ZV VERSION 1.x USERS\r\nIn this version", 0), 0u);
    EXPECT_NE(notes.find("delete \"List.ini\" and macro files in \"m\" subfolder."), std::string::npos);
    EXPECT_EQ(notes.substr(notes.size() - 7), "folder.");
    size_t lines = 0;
    for (size_t at = notes.find("\r\n"); at != std::string::npos; at = notes.find("\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines, 2u);
    EXPECT_TRUE(Terminated(b));
}

TEST(LoadResourceString, ExactlyTheRoomReadsASecondTime)
{
    TextBuffer b;
    b.LoadResourceString(200);  // 100 characters
    EXPECT_EQ(b.Length(), 100);
    EXPECT_EQ(b.Capacity(), 122);  // 11260 after the second load, then shrunk
    EXPECT_EQ(Bytes(b).substr(90), "0123456789");

    TextBuffer keep(TextBuffer::NoShrink);
    keep.LoadResourceString(200);
    EXPECT_EQ(keep.Capacity(), 11260);
    EXPECT_EQ(keep.Length(), 100);

    TextBuffer one;
    one.LoadResourceString(201);  // 99 characters fit the first load
    EXPECT_EQ(one.Length(), 99);
    EXPECT_EQ(one.Capacity(), 100);  // 100 > 2*99 + 50 is false: no shrink

    TextBuffer missing;
    missing.LoadResourceString(999);
    EXPECT_EQ(missing.Length(), 0);
    EXPECT_TRUE(Terminated(missing));
}

TEST(ReadWindowText, BothWaysReadTheWholeText)
{
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_POPUP | ES_AUTOHSCROLL, 0, 0, 100, 20, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    std::string text = "C:\\Program Files (x86)\\Zevrin 2";
    SetWindowTextA(edit, text.c_str());
    TextBuffer b;
    EXPECT_EQ(b.ReadWindowText(edit, false), static_cast<int32_t>(text.size()));
    EXPECT_EQ(Bytes(b), text);
    TextBuffer m;
    EXPECT_EQ(m.ReadWindowText(edit, true), static_cast<int32_t>(text.size()));
    EXPECT_EQ(Bytes(m), text);

    SetWindowTextA(edit, "");
    EXPECT_EQ(b.ReadWindowText(edit, false), 0);
    EXPECT_TRUE(Terminated(b));
    DestroyWindow(edit);

    EXPECT_EQ(b.ReadWindowText(edit, false), 0);  // a window that is gone reads as empty
}

// The grow-and-retry call: a need that grows again after the larger offer gives the empty text,
// never a cut one.
TEST(FillFromSystem, ANeedThatGrowsAgainGivesTheEmptyText)
{
    TextBuffer target;
    target.AssignText("earlier");
    FillFromSystem(target, [](char* area, DWORD room, const void*) -> DWORD {
        area[0] = 'x';
        return room + 10;
    });
    EXPECT_EQ(target.Length(), 0);
}
