// Fuzzes the text buffer: a sequence of operations, the self-referencing ones included, each
// checked against a model built on std::string: the text, the length, the two trailing zero
// bytes, and, where an operation takes a block by the growth policy alone, the capacity.
#include <stdint.h>
#include <string.h>

#include <string>

#include "base/text_buffer.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const uint8_t flags = data[0] & 3;
    TextBuffer a(flags), other;
    Model m;
    other.AssignText("xyz");
    const std::string otherText = "xyz";
    char texts[4][8] = {"", "a", "C:\\Dir\\", "$ZV$\\x"};

    for (size_t i = 1; i + 2 < size && i < 400; i += 3) {
        const uint8_t op = data[i] % 20;
        const int32_t x = static_cast<int8_t>(data[i + 1]);
        const char* text = texts[data[i + 2] % 4];
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
            a.TrimEnd(x & 1 ? '\\' : 0);
            if (a.Data()) {
                while (!m.text.empty() && ((x & 1) ? m.text.back() == '\\' : static_cast<unsigned char>(m.text.back()) <= 32))
                    m.text.pop_back();
            }
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
