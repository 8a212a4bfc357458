// The dialog templates exactly as the release setup.exe carries them, read byte by byte, and the
// windows the dialog manager makes of them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/win/process.h"
#include "tests/win/setup_module.h"

namespace {

struct Item {
    DWORD style, exStyle;
    int x, y, cx, cy;
    int id;
    std::string cls, text;
};

struct Template {
    bool extended;
    DWORD style, exStyle;
    int cx, cy;
    std::string caption;
    int pointSize, weight, italic, charset;
    std::string font;
    std::vector<Item> items;
};

class Reader {
public:
    explicit Reader(const void* at) : p_(static_cast<const BYTE*>(at)) {}
    WORD Word() { WORD v; memcpy(&v, p_, 2); p_ += 2; return v; }
    DWORD Dword() { DWORD v; memcpy(&v, p_, 4); p_ += 4; return v; }
    short Short() { return static_cast<short>(Word()); }
    BYTE Byte() { return *p_++; }
    void AlignDword(const void* base)
    {
        size_t offset = static_cast<size_t>(p_ - static_cast<const BYTE*>(base));
        p_ += (4 - offset % 4) % 4;
    }
    std::string String()
    {
        std::string s;
        for (WORD c = Word(); c; c = Word()) s += static_cast<char>(c);
        return s;
    }
    // A name or an ordinal; the predefined control classes come as ordinals 0x80 to 0x85.
    std::string NameOrOrdinal()
    {
        WORD first;
        memcpy(&first, p_, 2);
        if (first != 0xFFFF) return String();
        Word();
        const WORD ordinal = Word();
        static const char* names[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX"};
        if (ordinal >= 0x80 && ordinal <= 0x85) return names[ordinal - 0x80];
        return "#" + std::to_string(ordinal);
    }
    void Skip(size_t n) { p_ += n; }

private:
    const BYTE* p_;
};

std::string Upper(std::string s)
{
    for (char& c : s) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return s;
}

Template Parse(const void* raw)
{
    Template t = {};
    Reader r(raw);
    WORD first = r.Word(), second = r.Word();
    t.extended = first == 1 && second == 0xFFFF;
    int count;
    if (t.extended) {
        r.Dword();  // help id
        t.exStyle = r.Dword();
        t.style = r.Dword();
    } else {
        r = Reader(raw);
        t.style = r.Dword();
        t.exStyle = r.Dword();
    }
    count = r.Word();
    r.Short(), r.Short();
    t.cx = r.Short();
    t.cy = r.Short();
    EXPECT_EQ(r.NameOrOrdinal(), "") << "no menu";
    EXPECT_EQ(r.NameOrOrdinal(), "") << "default dialog class";
    t.caption = r.String();
    if (t.style & DS_SETFONT) {
        t.pointSize = r.Word();
        if (t.extended) {
            t.weight = r.Word();
            t.italic = r.Byte();
            t.charset = r.Byte();
        }
        t.font = r.String();
    }
    for (int i = 0; i < count; ++i) {
        r.AlignDword(raw);
        Item item = {};
        if (t.extended) {
            r.Dword();
            item.exStyle = r.Dword();
            item.style = r.Dword();
        } else {
            item.style = r.Dword();
            item.exStyle = r.Dword();
        }
        item.x = r.Short(), item.y = r.Short(), item.cx = r.Short(), item.cy = r.Short();
        item.id = t.extended ? static_cast<int>(r.Dword()) : static_cast<short>(r.Word());
        item.cls = Upper(r.NameOrOrdinal());
        item.text = r.NameOrOrdinal();
        r.Skip(r.Word());
        t.items.push_back(item);
    }
    return t;
}

INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

BOOL CALLBACK TakeFirstName(HMODULE, LPCSTR, LPSTR name, LONG_PTR param)
{
    *reinterpret_cast<int*>(param) = IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(name)) : -1;
    return FALSE;
}

const DWORD kChild = WS_CHILD | WS_VISIBLE;
const DWORD kDialogStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_SETFONT;

void ExpectItems(const Template& t, const std::vector<Item>& expected)
{
    ASSERT_EQ(t.items.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Item& got = t.items[i];
        const Item& want = expected[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1) + " \"" + want.text + "\"");
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.cls, want.cls);
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.style, want.style | kChild) << std::hex << got.style;
        EXPECT_EQ(got.exStyle, 0u);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
    }
}

}  // namespace

TEST(DialogTemplate, InstallIsAnExtendedTemplateWithThirteenControls)
{
    const void* raw = SetupDialogTemplate(IDD_INSTALL);
    ASSERT_NE(raw, nullptr) << "no dialog 101 in " SETUP_EXE;
    Template t = Parse(raw);
    EXPECT_TRUE(t.extended);
    EXPECT_EQ(t.style, kDialogStyle) << std::hex << t.style;
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.cx, 244);
    EXPECT_EQ(t.cy, 217);
    EXPECT_EQ(t.caption, "Install Zevrin");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.weight, 0);
    EXPECT_EQ(t.italic, 0);
    EXPECT_EQ(t.charset, 0);
    EXPECT_EQ(t.font, "MS Sans Serif");
    const DWORD tab = WS_TABSTOP, group = WS_GROUP;
    ExpectItems(t, {
        {BS_DEFPUSHBUTTON | group | tab, 0, 128, 196, 50, 14, IDOK, "BUTTON", "OK"},
        {BS_PUSHBUTTON | tab, 0, 188, 196, 50, 14, IDCANCEL, "BUTTON", "Cancel"},
        {BS_PUSHBUTTON | tab, 0, 8, 196, 50, 14, IDC_README, "BUTTON", "ReadMe ..."},
        {BS_PUSHBUTTON | tab, 0, 68, 196, 50, 14, IDC_LICENSE, "BUTTON", "License ..."},
        {BS_AUTOCHECKBOX | group | tab, 0, 8, 20, 232, 8, IDC_COPY_FILES, "BUTTON", "Copy files to destination folder"},
        {BS_AUTOCHECKBOX | tab, 0, 8, 32, 232, 8, IDC_REGISTRY, "BUTTON", "Write settings to Registry"},
        {BS_AUTOCHECKBOX | tab, 0, 8, 44, 232, 8, IDC_START_MENU, "BUTTON", "Create shortcuts in Start Menu"},
        {BS_AUTOCHECKBOX | tab, 0, 8, 56, 232, 8, IDC_STARTUP, "BUTTON", "Create shortcut in StartUp folder"},
        {BS_AUTOCHECKBOX | tab, 0, 8, 68, 232, 8, IDC_START_PRODUCT, "BUTTON", "Start Zevrin"},
        {ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | group | tab, 0, 20, 104, 204, 12, IDC_DESTINATION, "EDIT", ""},
        {ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL | WS_BORDER | group | tab, 0, 8, 140,
         228, 44, IDC_NOTES, "EDIT", ""},
        {SS_LEFT | group, 0, 8, 8, 232, 8, -1, "STATIC", "This setup program will install Zevrin version 2.1.0"},
        {BS_GROUPBOX, 0, 8, 88, 228, 40, -1, "BUTTON", "Destination Folder"},
    });
}

TEST(DialogTemplate, UninstallIsAClassicTemplate)
{
    const void* raw = SetupDialogTemplate(IDD_UNINSTALL);
    ASSERT_NE(raw, nullptr);
    Template t = Parse(raw);
    EXPECT_FALSE(t.extended);
    EXPECT_EQ(t.style, kDialogStyle) << std::hex << t.style;
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.cx, 244);
    EXPECT_EQ(t.cy, 76);
    EXPECT_EQ(t.caption, "Uninstall Zevrin");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.font, "MS Sans Serif");
    ExpectItems(t, {
        {BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 130, 55, 50, 14, IDOK, "BUTTON", "OK"},
        {BS_PUSHBUTTON | WS_TABSTOP, 0, 185, 55, 50, 14, IDCANCEL, "BUTTON", "Cancel"},
        {SS_LEFT | WS_GROUP, 0, 8, 12, 232, 18, -1, "STATIC", "This program will uninstall Zevrin version 2"},
    });
}

TEST(DialogTemplate, TabOrderFollowsTheTemplate)
{
    const void* raw = SetupDialogTemplate(IDD_INSTALL);
    ASSERT_NE(raw, nullptr);
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), static_cast<const DLGTEMPLATE*>(raw), nullptr,
                                             NoDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    std::vector<int> order;
    HWND at = GetDlgItem(dialog, IDOK);
    for (int i = 0; i < 12 && at; ++i) {
        order.push_back(GetDlgCtrlID(at));
        at = GetNextDlgTabItem(dialog, at, FALSE);
        if (at == GetDlgItem(dialog, IDOK)) break;
    }
    EXPECT_EQ(order, (std::vector<int>{IDOK, IDCANCEL, IDC_README, IDC_LICENSE, IDC_COPY_FILES, IDC_REGISTRY,
                                       IDC_START_MENU, IDC_STARTUP, IDC_START_PRODUCT, IDC_DESTINATION, IDC_NOTES}));
    EXPECT_EQ(ClassOf(GetDlgItem(dialog, IDC_NOTES)), "Edit");
    EXPECT_EQ(WindowText(dialog), "Install Zevrin");
    DestroyWindow(dialog);
}

TEST(Resources, IconGroupsHaveTheirSizesAndColours)
{
    struct Entry {
        int width, height, colours, bits;
    };
    auto read = [](int id) {
        std::vector<Entry> entries;
        HRSRC found = FindResourceA(SetupModule(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
        if (!found) return entries;
        const BYTE* p = static_cast<const BYTE*>(LockResource(LoadResource(SetupModule(), found)));
        WORD count;
        memcpy(&count, p + 4, 2);
        for (int i = 0; i < count; ++i) {
            const BYTE* e = p + 6 + 14 * i;
            WORD bits;
            memcpy(&bits, e + 6, 2);
            entries.push_back({e[0], e[1], e[2], bits});
        }
        return entries;
    };
    std::vector<Entry> install = read(IDI_INSTALL);
    ASSERT_EQ(install.size(), 2u);
    EXPECT_EQ(install[0].width, 32);
    EXPECT_EQ(install[0].height, 32);
    EXPECT_EQ(install[0].bits, 4);
    EXPECT_EQ(install[0].colours, 16);
    EXPECT_EQ(install[1].width, 16);
    EXPECT_EQ(install[1].bits, 4);
    std::vector<Entry> uninstall = read(IDI_UNINSTALL);
    ASSERT_EQ(uninstall.size(), 1u);
    EXPECT_EQ(uninstall[0].width, 16);
    EXPECT_EQ(uninstall[0].bits, 8);
    EXPECT_EQ(uninstall[0].colours, 0);  // 256 colours are written as 0 in a group entry

    // The install group comes first, so the shell shows it as the program's icon.
    int firstGroup = 0;
    EnumResourceNamesA(SetupModule(), MAKEINTRESOURCEA(14), TakeFirstName, reinterpret_cast<LONG_PTR>(&firstGroup));
    EXPECT_EQ(firstGroup, IDI_INSTALL);
}

TEST(Resources, NotesStringInTheReleaseBuild)
{
    char notes[1024] = {};
    const int got = LoadStringA(SetupModule(), IDS_NOTES, notes, sizeof notes);
    EXPECT_EQ(got, 424);
    EXPECT_EQ(std::string(notes).find("\r\n", 424 - 2), std::string::npos) << "no CR LF at the end";
}
