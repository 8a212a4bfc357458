#pragma once
// Characters of the ANSI code page. Paths are ANSI text, and on Japanese, Chinese and Korean
// Windows a lead byte starts a character of two bytes whose second byte may be any value from
// 0x40 up: a backslash (0x5C), a '|' (0x7C) or a letter among them. Text is therefore stepped
// through by characters, and a byte counts as a separator, a character no name may hold or a
// letter to fold only when it is a character of its own. Bytes below 0x40 ('"', '$', '%', '*',
// '/', ':', '<', '>', '?', the blank and the control characters) are never second bytes, so a
// search for one of them may go byte by byte.
//
// Portable: the lead bytes are data. setup.exe reads them once at start-up (ReadAnsiLeadBytes in
// code_page_win32.cpp); until then, and on a single-byte code page, every byte is a character.
#include <stdint.h>

// Makes the lead bytes those of the ranges, given as GetCPInfo gives them: pairs of first and
// last byte, ended by a zero byte, at most six pairs. Null or empty: no lead bytes.
void SetLeadByteRanges(const uint8_t* ranges);

extern bool LeadBytes[256];
inline bool IsLeadByte(char c) { return LeadBytes[static_cast<uint8_t>(c)]; }

// The bytes of the character at p: 2 for a lead byte followed by anything but a zero byte,
// otherwise 1. A lead byte at the end of a text is a character of its own.
inline int32_t CharLength(const char* p) { return IsLeadByte(p[0]) && p[1] ? 2 : 1; }

// Whether byte `at` (0 to the text's length) starts a character of the text: the byte before
// may be a lead byte and yet end a character. Reads back only over the lead bytes before `at`.
bool IsCharStart(const char* text, int32_t at);

#ifdef _WIN32
// Takes the lead bytes of the process's ANSI code page (GetCPInfo for CP_ACP).
void ReadAnsiLeadBytes();
#endif
