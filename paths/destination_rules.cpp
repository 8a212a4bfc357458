#include "paths/destination_rules.h"

#include <string.h>

namespace {

bool IsSlash(char c) { return c == '\\' || c == '/'; }

// Past the separators at p, and past one component and its separators: the start of the next.
const char* SkipComponent(const char* p)
{
    while (*p && !IsSlash(*p)) ++p;
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
        below = SkipComponent(fullPath + 2);  // the server
        if (!*below) return false;
        below = SkipComponent(below);  // the share
    } else {
        return false;
    }
    while (IsSlash(*below)) ++below;
    if (!*below) return false;  // the root itself

    // Server and share names obey the same rules; only a drive's colon is allowed.
    for (const char* p = fullPath + 2; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 32 || strchr("<>\"|*?:", c)) return false;
    }
    return true;
}
