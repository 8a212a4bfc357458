// Fuzzes the text buffer: a sequence of operations, the self-referencing ones included, each
// checked against a model built on std::string: the text, the length, the two trailing zero
// bytes, and, where an operation takes a block by the growth policy alone, the capacity. The
// first byte picks the flags and the code page whose characters TrimEnd and EndsWith read by.
#include <stdint.h>
#include <string.h>

#include <string>

#include "base/code_page.h"
#include "base/text_buffer.h"
#include "tests/code_pages.h"

namespace {

struct Model {
    std::string text;
    bool block = false;
    int32_t capacity = 0;
};

// The growth policy, written out again as the model.
int32_t PolicyCapacity(bool block, int32_t capacity, int32_t n, uint8_t flags)
{
    if (!block) return n;
    const bool large = flags & TextBuffer::LargeSlack;
    const bool noShrink = flags & TextBuffer::NoShrink;
    const bool grow = capacity < n;
    const bool shrink = !noShrink && capacity > 2 * static_cast<int64_t>(n) + (large ? 5000 : 50);
    if (!grow && !shrink) return capacity;
    return n + n / 8 + (large ? 1000 : 10);
}

void Check(const TextBuffer& b, const Model& m)
{
    if (!b.Data()) {
        if (m.block || b.Length() != 0 || b.Capacity() != 0) __builtin_trap();
        return;
    }
    if (!m.block && !m.text.empty()) __builtin_trap();
    if (b.Length() != static_cast<int32_t>(m.text.size()) || b.Length() > b.Capacity()) __builtin_trap();
    if (memcmp(b.Data(), m.text.data(), m.text.size()) != 0) __builtin_trap();
    if (b.Data()[b.Length()] != 0 || b.Data()[b.Length() + 1] != 0) __builtin_trap();
}

std::string CString(const std::string& s) { return std::string(s.c_str()); }

// The length of the text without its trailing single-byte characters of the kind, read by the
// page's characters (a lead byte takes the next byte along unless that is a zero byte).
size_t ModelTrimmed(const CodePage& page, const std::string& s, bool backslash)
{
    size_t kept = 0;
    for (size_t i = 0; i < s.size();) {
        const bool two = IsLeadOf(page, static_cast<uint8_t>(s[i])) && i + 1 < s.size() && s[i + 1] != 0;
        const unsigned char c = static_cast<unsigned char>(s[i]);
        i += two ? 2 : 1;
        if (two || (backslash ? c != '\\' : c > 32)) kept = i;
    }
    return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const uint8_t flags = data[0] & 3;
    const CodePage& page = kCodePages[(data[0] >> 2) % (sizeof kCodePages / sizeof kCodePages[0])];
    SetLeadByteRanges(page.leadBytes);
    TextBuffer a(flags), other;
    Model m;
    other.AssignText("xyz");
    const std::string otherText = "xyz";
    // The last one ends in ソ and holds ポ on Japanese Windows (second bytes 0x5C and 0x7C).
    char texts[5][8] = {"", "a", "C:\\Dir\\", "$ZV$\\x", "\x83|\x83\\"};

    for (size_t i = 1; i + 2 < size && i < 400; i += 3) {
        const uint8_t op = data[i] % 20;
        const int32_t x = static_cast<int8_t>(data[i + 1]);
        const char* text = texts[data[i + 2] % 5];
        const int32_t before = a.Capacity();
        const bool hadBlock = a.Data() != nullptr;
        const std::string own = a.Data() ? std::string(a.Data()) : std::string();  // up to the first zero
        // Self-doubling operations would otherwise grow the text without bound.
        const bool big = m.text.size() > 4096;
        switch (big && (op == 2 || op == 4 || op == 5 || op == 6) ? 255 : op) {
        case 0:
            a.AssignText(text);
            m.text = text, m.block = true;
            if (a.Capacity() != PolicyCapacity(hadBlock, before, static_cast<int32_t>(strlen(text)), flags)) __builtin_trap();
            break;
        case 1:
            a.AppendText(text);
            m.text += text, m.block = true;
            if (a.Capacity() != PolicyCapacity(hadBlock, before, static_cast<int32_t>(m.text.size()), flags)) __builtin_trap();
            break;
        case 2:
            if (a.Data()) a.AppendText(a.Data()), m.text += own;
            break;
        case 3:
            a.PrependText(text);
            if (*text) m.text = text + m.text, m.block = true;
            break;
        case 4:
            if (a.Data()) a.PrependText(a.Data()), m.text = own + m.text;
            break;
        case 5:
            a.Append(a), m.text += m.text;
            break;
        case 6:
            a.Prepend(a), m.text += m.text;
            break;
        case 7:
            a.Append(other), m.text += otherText, m.block = true;
            break;
        case 8: {
            const int32_t length = static_cast<int32_t>(m.text.size());
            int32_t pos = x < 0 ? 0 : (x > length ? length : x);
            int32_t count = static_cast<int8_t>(data[i + 2]);
            if (count < 0 || count > length - pos) count = length - pos;
            if (a.Data() || count == 0) {
                a.CopyPart(a, x, static_cast<int8_t>(data[i + 2]), false);
                m.text = m.text.substr(static_cast<size_t>(pos), static_cast<size_t>(count)), m.block = true;
            }
            break;
        }
        case 9: {
            a.CopyPart(other, x, 2, true);
            const int32_t pos = x < 0 ? 0 : (x > 3 ? 3 : x);
            if (pos < 3) m.text += otherText.substr(static_cast<size_t>(pos), 2), m.block = true;
            break;
        }
        case 10:
            a.AssignConcat(other, text), m.text = otherText + text, m.block = true;
            break;
        case 11:
            if (a.Data()) a.AssignConcat(a, text), m.text += text;
            break;
        case 12:
            if (a.Data() && a.Data() != other.Data()) a.AssignConcat(other, a.Data()), m.text = otherText + m.text;
            break;
        case 13:
            a.AssignConcatText(text, text), m.text = std::string(text) + text, m.block = true;
            break;
        case 14:
            if (a.Data()) a.AssignConcatText(a.Data(), text), m.text += text;
            break;
        case 15:
            if (a.Data() && a.EndsWith("\\", 1) != (ModelTrimmed(page, m.text, true) < m.text.size())) __builtin_trap();
            a.TrimEnd(x & 1 ? '\\' : 0);
            if (a.Data()) m.text.resize(ModelTrimmed(page, m.text, x & 1));
            break;
        case 16:
            a.Release(), m.text.clear(), m.block = false;
            break;
        case 17:
            if (a.Data()) {
                a.SetLength(-1, x & 1);
                m.text = CString(m.text);
            }
            break;
        case 18:
            if (x >= 0) {
                a.Reserve(x, TextBuffer::ReserveKeepText);
                if (static_cast<int32_t>(m.text.size()) > x) m.text.resize(static_cast<size_t>(x));
                m.block = true;
            }
            break;
        case 19:
            a.GetFolderPart(a);
            m.block = true;
            m.text = std::string(a.Data(), static_cast<size_t>(a.Length()));  // compared by the path fuzzer
            break;
        }
        Check(a, m);
    }
    return 0;
}
