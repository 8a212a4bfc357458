#include "paths/path_token.h"

#include <string.h>

#include "base/ascii.h"
#include "base/code_page.h"

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
    // '$' is never the second byte of a two-byte character: a byte search finds the character.
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
    if (EqualsIgnoringAsciiCase(name, "ZV")) return FolderName::ZV;
    if (EqualsIgnoringAsciiCase(name, "Windows")) return FolderName::Windows;
    if (EqualsIgnoringAsciiCase(name, "System")) return FolderName::System;
    if (EqualsIgnoringAsciiCase(name, "Temp")) return FolderName::Temp;
    return FolderName::Registry;
}

bool IsCommonFolderName(const char* name)
{
    static const char kCommon[] = "common";
    for (int i = 0; i < 6; ++i)
        if (FoldAscii(name[i]) != kCommon[i]) return false;  // stops at a shorter name's zero
    return true;
}

const char* FallbackValueName(const char* name)
{
    if (EqualsIgnoringAsciiCase(name, "Program Files")) return "ProgramFilesDir";
    if (EqualsIgnoringAsciiCase(name, "Common Files")) return "CommonFilesDir";
    if (EqualsIgnoringAsciiCase(name, "Media")) return "MediaPath";
    return name;
}

namespace {

bool IsSlash(char c) { return c == '\\' || c == '/'; }

// Past the separators at p, and past one component and its separators: the start of the next.
const char* SkipComponent(const char* p)
{
    while (*p && !IsSlash(*p)) p += CharLength(p);
    while (IsSlash(*p)) ++p;
    return p;
}

}  // namespace

bool IsInstallableFolder(const char* fullPath)
{
    if (!fullPath) return false;
    const char* below;  // what follows the root
    if (((fullPath[0] | 0x20) >= 'a' && (fullPath[0] | 0x20) <= 'z') && fullPath[1] == ':' && IsSlash(fullPath[2])) {
        below = fullPath + 3;
    } else if (IsSlash(fullPath[0]) && IsSlash(fullPath[1]) && fullPath[2] && !IsSlash(fullPath[2])) {
        // "\\.\" and "\\?\" name devices and the object namespace ("\\.\pipe\x",
        // "\\?\GLOBALROOT\Device\..."), not a server's share.
        if ((fullPath[2] == '.' || fullPath[2] == '?') && (!fullPath[3] || IsSlash(fullPath[3]))) return false;
        below = SkipComponent(fullPath + 2);  // the server
        if (!*below) return false;
        below = SkipComponent(below);  // the share
    } else {
        return false;
    }
    while (IsSlash(*below)) ++below;
    if (!*below) return false;  // the root itself

    // Server and share names obey the same rules; only a drive's colon is allowed.
    // By characters: the second byte of a two-byte character may be a '|' (0x83 0x7C is a katakana).
    for (const char* p = fullPath + 2; *p; p += CharLength(p)) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 32 || strchr("<>\"|*?:", c)) return false;
    }
    return true;
}
