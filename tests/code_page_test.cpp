// Path text read by characters of the ANSI code page: each code page of the table, against the
// same text read as bytes. With ZV_LEAD_BYTES naming a code page of the table, every core test
// of the run has that page's lead bytes.
#include "base/code_page.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>

#include "base/text_buffer.h"
#include "paths/path_token.h"
#include "tests/buffer_checks.h"
#include "tests/code_pages.h"

namespace {

class LeadByteEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        const char* number = getenv("ZV_LEAD_BYTES");
        if (!number) return;
        const CodePage* page = FindCodePage(static_cast<unsigned>(atoi(number)));
        ASSERT_NE(page, nullptr) << "ZV_LEAD_BYTES=" << number << " is no code page of the table";
        SetLeadByteRanges(page->leadBytes);
    }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new LeadByteEnvironment);

// A page's lead bytes for one scope; the run's own come back after it.
class LeadBytesOf {
public:
    explicit LeadBytesOf(const uint8_t* ranges)
    {
        memcpy(saved_, LeadBytes, sizeof saved_);
        SetLeadByteRanges(ranges);
    }
    ~LeadBytesOf() { memcpy(LeadBytes, saved_, sizeof saved_); }

private:
    bool saved_[256];
};

std::string Text(const std::string& text, void (*operation)(TextBuffer&))
{
    TextBuffer buffer;
    buffer.AssignText(text.c_str());
    operation(buffer);
    return Bytes(buffer);
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    TextBuffer x, y;
    x.AssignText(a.c_str());
    y.AssignText(b.c_str());
    return TextBuffer::EqualsNoCase(x, y);
}

bool EndsInBackslash(const std::string& text)
{
    TextBuffer buffer;
    buffer.AssignText(text.c_str());
    return buffer.EndsWith("\\", 1);
}

}  // namespace

TEST(CodePages, PathTextIsReadByCharacters)
{
    for (const CodePage& page : kCodePages) {
        SCOPED_TRACE(page.number);
        const std::string folder = std::string("C:\\Apps\\") + page.destination;
        const std::string other = std::string("C:\\Apps\\") + page.source;
        const bool twoByte = page.leadBytes[0] != 0;
        const bool backslashByte = folder.back() == '\\', barByte = folder.find('|') != std::string::npos;
        {
            // Read as bytes, as before: a second byte is taken for a separator, a '|' or a letter.
            LeadBytesOf none(nullptr);
            EXPECT_EQ(EndsInBackslash(folder), backslashByte);
            EXPECT_EQ(IsInstallableFolder(folder.c_str()), !barByte);
            EXPECT_EQ(EqualNoCase(folder, other), twoByte);
        }
        LeadBytesOf set(page.leadBytes);
        EXPECT_FALSE(EndsInBackslash(folder));
        EXPECT_TRUE(EndsInBackslash(folder + "\\"));
        EXPECT_EQ(Text(folder + "\\\\", [](TextBuffer& b) { b.TrimEnd('\\'); }), folder);
        EXPECT_EQ(Text(folder + "\\zv.exe", [](TextBuffer& b) { b.GetFolderPart(b); }), folder + "\\");
        EXPECT_EQ(Text(folder, [](TextBuffer& b) { b.GetFolderPart(b); }), "C:\\Apps\\");
        EXPECT_EQ(Text("\"" + folder + "\\setup.exe\" uninstall", [](TextBuffer& b) { b.GetFolderPart(b); }),
                  folder + "\\");
        EXPECT_TRUE(IsInstallableFolder(folder.c_str()));
        EXPECT_TRUE(IsInstallableFolder(("\\\\server\\" + std::string(page.destination) + "\\x").c_str()));
        EXPECT_FALSE(EqualNoCase(folder, other));
        EXPECT_TRUE(EqualNoCase(folder, std::string("c:\\aPPS\\") + page.destination));
        EXPECT_EQ(ClassifyFolderName(page.destination), FolderName::Registry);

        const std::string token = std::string("$") + page.destination + "$\\x";
        const PathToken parsed = ParsePathToken(token.c_str());
        EXPECT_TRUE(parsed.closed);
        EXPECT_EQ(parsed.nameLength, static_cast<int32_t>(strlen(page.destination)));
    }
}

TEST(CodePages, ACharacterStartsAfterAnEvenRunOfLeadBytesOrAtAZeroByte)
{
    LeadBytesOf japanese(FindCodePage(932)->leadBytes);
    const char text[] = "a\x83\x83\\\x83\\\x83\0\\";  // a, 83 83, '\\', 83 5C, 83 alone, zero, '\\'
    const bool starts[] = {true, true, false, true, true, false, true, true, true};
    for (int32_t at = 0; at < static_cast<int32_t>(sizeof starts); ++at) EXPECT_EQ(IsCharStart(text, at), starts[at]) << at;
}
