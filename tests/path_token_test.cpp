#include "paths/path_token.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Name(const char* text, const PathToken& t) { return std::string(text + t.nameStart, t.nameLength); }

}  // namespace

TEST(PathToken, Forms)
{
    EXPECT_EQ(ParsePathToken(nullptr).kind, TokenKind::None);
    EXPECT_EQ(ParsePathToken("").kind, TokenKind::None);
    EXPECT_EQ(ParsePathToken("C:\\Data").kind, TokenKind::None);
    EXPECT_EQ(ParsePathToken("x$Windows$").kind, TokenKind::None);  // only at the first character
    EXPECT_EQ(ParsePathToken("%WINDIR%\\x").kind, TokenKind::Environment);
    EXPECT_EQ(ParsePathToken("%").kind, TokenKind::Environment);

    const char* closed = "$Program Files$\\Zevrin 2";
    PathToken t = ParsePathToken(closed);
    EXPECT_EQ(t.kind, TokenKind::SpecialFolder);
    EXPECT_TRUE(t.closed);
    EXPECT_EQ(Name(closed, t), "Program Files");
    EXPECT_STREQ(closed + t.restStart, "\\Zevrin 2");

    const char* open = "$Windows\\notepad.exe";
    t = ParsePathToken(open);
    EXPECT_FALSE(t.closed);
    EXPECT_EQ(Name(open, t), "Windows\\notepad.exe");

    const char* bare = "$Windows$";
    t = ParsePathToken(bare);
    EXPECT_TRUE(t.closed);
    EXPECT_EQ(Name(bare, t), "Windows");
    EXPECT_STREQ(bare + t.restStart, "");

    const char* empty = "$$x";
    t = ParsePathToken(empty);
    EXPECT_TRUE(t.closed);
    EXPECT_EQ(t.nameLength, 0);
    EXPECT_STREQ(empty + t.restStart, "x");

    t = ParsePathToken("$");
    EXPECT_FALSE(t.closed);
    EXPECT_EQ(t.nameLength, 0);
}

TEST(PathToken, FolderNames)
{
    EXPECT_EQ(ClassifyFolderName("zv"), FolderName::ZV);
    EXPECT_EQ(ClassifyFolderName("WINDOWS"), FolderName::Windows);
    EXPECT_EQ(ClassifyFolderName("windows"), FolderName::Windows);
    EXPECT_EQ(ClassifyFolderName("System"), FolderName::System);
    EXPECT_EQ(ClassifyFolderName("temp"), FolderName::Temp);
    EXPECT_EQ(ClassifyFolderName("Windows\\notepad.exe"), FolderName::Registry);  // names compare in full
    EXPECT_EQ(ClassifyFolderName("Win"), FolderName::Registry);
    EXPECT_EQ(ClassifyFolderName(""), FolderName::Registry);

    EXPECT_TRUE(IsCommonFolderName("Common Documents"));
    EXPECT_TRUE(IsCommonFolderName("COMMON"));
    EXPECT_TRUE(IsCommonFolderName("commonx"));
    EXPECT_FALSE(IsCommonFolderName("Commo"));
    EXPECT_FALSE(IsCommonFolderName("Desktop"));
    EXPECT_FALSE(IsCommonFolderName(""));

    EXPECT_STREQ(FallbackValueName("program files"), "ProgramFilesDir");
    EXPECT_STREQ(FallbackValueName("Common Files"), "CommonFilesDir");
    EXPECT_STREQ(FallbackValueName("MEDIA"), "MediaPath");
    EXPECT_STREQ(FallbackValueName("Desktop"), "Desktop");
}

TEST(DestinationRules, FoldersBelowARootWithoutForbiddenCharacters)
{
    for (const char* good : {"C:\\Program Files\\Zevrin 2", "d:\\x\\", "C:\\a$b%c&d'e(f)", "\\\\server\\share\\Zevrin",
                             "C:\\\xE9t\xE9", "\\\\.host\\share\\x"})
        EXPECT_TRUE(IsInstallableFolder(good)) << good;
    for (const char* bad : {"C:\\Prog*", "C:\\a?b", "C:\\a<b", "C:\\a>b", "C:\\a|b", "C:\\a\"b", "C:\\a:b",
                            "C:\\a\tb", "C:\\", "C:\\\\", "c:/", "\\\\server\\share", "\\\\server\\share\\",
                            "\\\\server", "\\\\?\\C:\\x", "Zevrin", "C:x", "", "1:\\x", "\\\\.\\pipe\\x",
                            "\\\\.\\GLOBALROOT\\Device\\HarddiskVolume1\\Windows", "\\\\?\\UNC\\server\\share\\x",
                            "//./C:/x", "\\\\.\\C:\\Apps"})
        EXPECT_FALSE(IsInstallableFolder(bad)) << bad;
    EXPECT_FALSE(IsInstallableFolder(nullptr));
}
