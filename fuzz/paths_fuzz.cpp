// Fuzzes the path parsing: GetFolderPart and ParsePathToken against small reference models. The
// first byte picks the code page whose lead bytes the parsing reads by (tests/code_pages.h).
#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/code_page.h"
#include "base/text_buffer.h"
#include "paths/path_token.h"
#include "tests/code_pages.h"

namespace {

// The model's own reading of characters: a lead byte takes the byte after it along, unless that
// is the text's end or a zero byte.
std::vector<size_t> CharStarts(const CodePage& page, const std::string& s, size_t from, size_t to)
{
    std::vector<size_t> starts;
    for (size_t i = from; i < to;) {
        starts.push_back(i);
        i += IsLeadOf(page, static_cast<uint8_t>(s[i])) && i + 1 < s.size() && s[i + 1] != 0 ? 2 : 1;
    }
    return starts;
}

std::string ModelFolderPart(const CodePage& page, const std::string& s)
{
    if (s.size() < 2) return "";
    size_t start = 0, end = s.size();  // [start, end)
    if (s[0] == '"') {
        start = 1;
        const size_t quote = s.find('"', 1);
        if (quote != std::string::npos) end = quote;
    }
    if (end <= start) return "";
    const std::string considered = s.substr(start, end - start);
    size_t floor = 0;
    if (considered[0] == '$' || considered[0] == '%') {
        const size_t again = s.find(considered[0], start + 1);
        if (again != std::string::npos) floor = again - start;
    }
    size_t pos = std::min(floor, considered.size() - 1);
    for (size_t at : CharStarts(page, s, start, end)) {
        const char c = s[at];
        if (at - start > floor && (c == '\\' || c == '/' || c == ':')) pos = at - start;
    }
    return pos >= 1 ? considered.substr(0, pos + 1) : "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const CodePage& page = kCodePages[data[0] % (sizeof kCodePages / sizeof kCodePages[0])];
    SetLeadByteRanges(page.leadBytes);
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);

    TextBuffer source, result;
    if (!input.empty()) {
        source.ResizeDiscard(static_cast<int32_t>(input.size()));
        memcpy(source.Data(), input.data(), input.size());
    }
    result.GetFolderPart(source);
    if (std::string(result.Text(), static_cast<size_t>(result.Length())) != ModelFolderPart(page, input)) __builtin_trap();
    source.GetFolderPart(source);
    if (std::string(source.Text(), static_cast<size_t>(source.Length())) != ModelFolderPart(page, input)) __builtin_trap();

    const std::string text = input.c_str();
    IsInstallableFolder(text.c_str());
    const PathToken token = ParsePathToken(text.c_str());
    if (text.empty() || (text[0] != '$' && text[0] != '%')) {
        if (token.kind != TokenKind::None) __builtin_trap();
    } else if (text[0] == '%') {
        if (token.kind != TokenKind::Environment) __builtin_trap();
    } else {
        const size_t close = text.find('$', 1);
        const std::string name = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        if (token.kind != TokenKind::SpecialFolder || token.closed != (close != std::string::npos)) __builtin_trap();
        if (text.substr(static_cast<size_t>(token.nameStart), static_cast<size_t>(token.nameLength)) != name) __builtin_trap();
        if (token.closed && text.substr(static_cast<size_t>(token.restStart)) != text.substr(close + 1)) __builtin_trap();
        ClassifyFolderName(name.c_str());
        IsCommonFolderName(name.c_str());
        FallbackValueName(name.c_str());
    }
    return 0;
}
