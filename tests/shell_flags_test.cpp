#include "install/shell_flags.h"

#include <gtest/gtest.h>

#include <string>

TEST(ShellFlags, ThePolicysOperations)
{
    // Backup move: silent, rename on collision, no confirmation, undo, files only, no error UI.
    EXPECT_EQ(CopyOperationFlags(true, true, false, true), 0x4DC);
    // Final copy: progress and the shell's own errors shown.
    EXPECT_EQ(CopyOperationFlags(false, true, true, false), 0xD0);
    EXPECT_EQ(CopyOperationFlags(true, true, true, false), 0xD8);
    EXPECT_EQ(CopyOperationFlags(false, false, true, false), 0xC0);
    EXPECT_EQ(DeleteOperationFlags(true), 0x494);
    EXPECT_EQ(DeleteOperationFlags(false), 0x4D4);
}

TEST(ShellFlags, CopyNamesInTheFormTheMessagePromises)
{
    char out[64];
    auto name = [&](const char* original, int n) {
        return MakeCopyName(original, n, out, sizeof out) ? std::string(out) : std::string("<does not fit>");
    };
    EXPECT_EQ(name("List.zvl", 1), "Copy of List.zvl");
    EXPECT_EQ(name("List.zvl", 2), "Copy (2) of List.zvl");
    EXPECT_EQ(name("List.zvl", 10), "Copy (10) of List.zvl");
    EXPECT_EQ(name("Convert old macros.zvl", 1), "Copy of Convert old macros.zvl");
    EXPECT_EQ(name(".profile", 3), "Copy (3) of .profile");
    EXPECT_EQ(name("a&b'%$c.txt", 1), "Copy of a&b'%$c.txt");
    EXPECT_EQ(name(std::string(60, 'x').c_str(), 1), "<does not fit>");
    EXPECT_FALSE(MakeCopyName("a.b", 1, out, 0));
    EXPECT_TRUE(MakeCopyName("a.b", 1, out, 12));  // "Copy of a.b" and its zero
    EXPECT_FALSE(MakeCopyName("a.b", 1, out, 11));
}
