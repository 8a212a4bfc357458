#pragma once
// Small registry operations. Each opens the key it needs with the narrowest access, does one
// thing and closes every key it opened. Success is non-zero, failure zero; nothing is shown.
#include <windows.h>

#include "base/text_buffer.h"

// Reads a value into the buffer. Returns the text's length + 1 when the value exists with the
// expected type; otherwise 0, and the buffer holds defaultText (released when that is null).
// defaultText may be the buffer's own text.
int32_t RegReadString(TextBuffer& buffer, const char* keyPath, const char* valueName, const char* defaultText,
                      HKEY root, DWORD type);

// Reads a REG_SZ value that names a file or folder, as every other program reads a path: the
// text ends at its first zero byte. What follows one is not part of the path, and handed on it
// would end a path early in the one place that reads it that way, the shell's lists, and make
// a delete or a link land outside setup's own folder. Returns as RegReadString; no default.
int32_t RegReadPath(TextBuffer& buffer, const char* keyPath, const char* valueName, HKEY root);

// Writes the buffer's text and its zero byte (one zero byte for a buffer without a block),
// creating missing keys on the path. Returns length + 1, or 0 on failure.
int32_t RegWriteValue(const TextBuffer& buffer, const char* keyPath, const char* valueName, HKEY root, DWORD type);

// Writes a REG_DWORD value, creating missing keys on the path. Non-zero on success.
int RegWriteNumber(DWORD number, const char* keyPath, const char* valueName, HKEY root);

// Deletes the single key `name` under parentPath; with onlyIfNoSubkeys, a key that has a subkey
// (or cannot be probed) is left alone. True when the key was deleted.
bool RegRemoveKey(const char* parentPath, const char* name, HKEY root, bool onlyIfNoSubkeys);

// Deletes one value. 1 when it was deleted, else 0.
int RegRemoveValue(const char* keyPath, const char* valueName, HKEY root);
