#pragma once
// Expansion of a leading path token against the running system.
#include "base/text_buffer.h"

// Expands a path that begins with "%" (environment references) or "$Name$" (a special folder)
// into the buffer and returns the buffer's text. A text without a leading token is returned
// itself and the buffer is untouched. Null, or the buffer's own text, expands the buffer in
// place (null is returned when the buffer has no block). An unresolved special folder leaves a
// text that begins with "$": the "$" and the name, without the closing "$" and the rest.
const char* ExpandPathTokens(TextBuffer& buffer, const char* text);

// Resolves one special folder name ("ZV", "Windows", "System", "Temp", or a Shell Folders
// value) into target, without a trailing backslash. True when target is not empty; target's
// previous content is always replaced.
bool GetSpecialFolder(const char* name, TextBuffer& target);
