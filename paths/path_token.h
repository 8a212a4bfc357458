#pragma once
// Path parsing without the platform: a leading path token, and the rule for a destination.
// The token forms: "%NAME%..." (environment form, the whole path goes to the platform's
// expansion) or "$Name$rest" (special-folder form).

#include <stdint.h>

enum class TokenKind { None, Environment, SpecialFolder };

struct PathToken {
    TokenKind kind = TokenKind::None;
    int32_t nameStart = 0;   // special-folder form: the name starts after the first '$'
    int32_t nameLength = 0;  // up to the closing '$', or to the end when there is none
    bool closed = false;     // a closing '$' was found
    int32_t restStart = 0;   // with closed: what follows the closing '$' (may be empty)
};

// text may be null (no token).
PathToken ParsePathToken(const char* text);

enum class FolderName { ZV, Windows, System, Temp, Registry };

// Which source resolves a special folder name; names compare in full, ignoring ASCII case.
FolderName ClassifyFolderName(const char* name);
// True when the first six characters are "Common" in any case: the name is read from the
// machine's Shell Folders rather than the user's.
bool IsCommonFolderName(const char* name);
// The value under CurrentVersion to read when Shell Folders lacks the name; the name itself
// when it has no other.
const char* FallbackValueName(const char* name);

// True when fullPath (as GetFullPathNameA makes it: "X:\..." or "\\server\share\...") can be
// an installation folder: it holds no wildcard, no character that no Windows file name may hold
// (control characters, < > " | and a colon past the drive), and it names a folder below a drive
// or share root rather than the root itself. Null or any other form is refused.
bool IsInstallableFolder(const char* fullPath);
