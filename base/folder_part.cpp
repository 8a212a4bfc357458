#include "base/text_buffer.h"

#include <string.h>

#include "base/code_page.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

}  // namespace

TextBuffer& TextBuffer::GetFolderPart(const TextBuffer& source)
{
    const int32_t sourceLength = source.length_;
    if (sourceLength < 2) return AssignText("");

    const char* text = source.data_;
    int32_t start = 0;
    int32_t last = sourceLength - 1;  // inclusive end of the considered text
    if (text[0] == '"') {
        start = 1;
        const void* quote = memchr(text + 1, '"', static_cast<size_t>(sourceLength - 1));
        if (quote) last = static_cast<int32_t>(static_cast<const char*>(quote) - text) - 1;
    }
    const int32_t consideredLength = last - start + 1;
    if (consideredLength <= 0) return AssignText("");

    // A leading $Name$ or %NAME% is a folder of its own: the scan never goes below its closing
    // character. The search for that character deliberately runs past a closing quote; like the
    // quote's, it may go by bytes, since neither is ever a second byte.
    int32_t floor = 0;
    const char lead = text[start];
    if (lead == '$' || lead == '%') {
        const void* close = memchr(text + start + 1, lead, static_cast<size_t>(sourceLength - start - 1));
        if (close) floor = static_cast<int32_t>(static_cast<const char*>(close) - text) - start;
    }

    // The last separator past the floor, found forward by characters: a backslash can be the
    // second byte of a two-byte character, and is then no separator.
    int32_t position = floor < consideredLength ? floor : consideredLength - 1;
    for (int32_t i = 0; i < consideredLength; i += CharLength(text + start + i))
        if (i > floor && IsSeparator(text[start + i])) position = i;

    if (position >= 1) return CopyPart(source, start, position + 1, false);
    return AssignText("");
}
