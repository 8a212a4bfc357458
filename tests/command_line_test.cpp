#include "base/command_line.h"

#include <gtest/gtest.h>

#include <string>

TEST(CommandLine, SkipProgramName)
{
    EXPECT_STREQ(SkipProgramName("setup.exe uninstall"), "uninstall");
    EXPECT_STREQ(SkipProgramName("\"C:\\My Setup\\setup.exe\"  uninstall"), "uninstall");
    EXPECT_STREQ(SkipProgramName("setup.exe\t\x01uninstall  "), "uninstall  ");
    EXPECT_STREQ(SkipProgramName("C:\\a\"b c\"d.exe x"), "x");  // quotes toggle mid-name
    EXPECT_STREQ(SkipProgramName("\"unterminated name x"), "");
    EXPECT_STREQ(SkipProgramName("setup.exe"), "");
    EXPECT_STREQ(SkipProgramName(""), "");
    EXPECT_STREQ(SkipProgramName(nullptr), "");
    EXPECT_STREQ(SkipProgramName("\xE9tape.exe arg"), "arg");  // bytes above 127 are no blanks
}

TEST(CommandLine, UninstallIsTheWholeArgumentIgnoringCase)
{
    EXPECT_TRUE(IsUninstallArgument("uninstall"));
    EXPECT_TRUE(IsUninstallArgument("UNINSTALL"));
    EXPECT_TRUE(IsUninstallArgument("Uninstall"));
    EXPECT_FALSE(IsUninstallArgument("uninstall "));
    EXPECT_FALSE(IsUninstallArgument("uninstall x"));
    EXPECT_FALSE(IsUninstallArgument("-uninstall"));
    EXPECT_FALSE(IsUninstallArgument("/uninstall"));
    EXPECT_FALSE(IsUninstallArgument("uninstal"));
    EXPECT_FALSE(IsUninstallArgument(""));
    EXPECT_FALSE(IsUninstallArgument(nullptr));
    std::string longLine(100000, 'u');
    EXPECT_FALSE(IsUninstallArgument(longLine.c_str()));
}
