#pragma once
// What a full path must be before setup installs into it, without the platform.

// True when fullPath (as GetFullPathNameA makes it: "X:\..." or "\\server\share\...") can be
// an installation folder: it holds no wildcard, no character that no Windows file name may hold
// (control characters, < > " | and a colon past the drive), and it names a folder below a drive
// or share root rather than the root itself. Null or any other form is refused.
bool IsInstallableFolder(const char* fullPath);
