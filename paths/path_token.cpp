#include "paths/path_token.h"

#include <string.h>

namespace {

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

bool EqualsIgnoringCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (Fold(*a) != Fold(*b)) return false;
    return *a == *b;
}

}  // namespace

PathToken ParsePathToken(const char* text)
{
    PathToken token;
    if (!text) return token;
    if (text[0] == '%') {
        token.kind = TokenKind::Environment;
        return token;
    }
    if (text[0] != '$') return token;
    token.kind = TokenKind::SpecialFolder;
    token.nameStart = 1;
    const char* close = strchr(text + 1, '$');
    if (close) {
        token.closed = true;
        token.nameLength = static_cast<int32_t>(close - text) - 1;
        token.restStart = token.nameLength + 2;
    } else {
        token.nameLength = static_cast<int32_t>(strlen(text + 1));
    }
    return token;
}

FolderName ClassifyFolderName(const char* name)
{
    if (EqualsIgnoringCase(name, "ZV")) return FolderName::ZV;
    if (EqualsIgnoringCase(name, "Windows")) return FolderName::Windows;
    if (EqualsIgnoringCase(name, "System")) return FolderName::System;
    if (EqualsIgnoringCase(name, "Temp")) return FolderName::Temp;
    return FolderName::Registry;
}

bool IsCommonFolderName(const char* name)
{
    static const char kCommon[] = "common";
    for (int i = 0; i < 6; ++i)
        if (Fold(name[i]) != kCommon[i]) return false;  // stops at a shorter name's zero
    return true;
}

const char* FallbackValueName(const char* name)
{
    if (EqualsIgnoringCase(name, "Program Files")) return "ProgramFilesDir";
    if (EqualsIgnoringCase(name, "Common Files")) return "CommonFilesDir";
    if (EqualsIgnoringCase(name, "Media")) return "MediaPath";
    return name;
}
