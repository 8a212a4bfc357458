#pragma once
// The ANSI code pages the tests try, as data: the Unix locale under which Wine gives a process
// that code page, its lead bytes as GetCPInfo reports them, and two folder names in its bytes
// that differ only in the letter case of one second byte (a byte-wise folding takes them for
// one folder). On 932, 936 and 950 the destination's last character has the second byte 0x5C
// (a backslash) and another character the second byte 0x7C ('|'); 949 has no such second
// bytes, only letters.
#include <stdint.h>

struct CodePage {
    unsigned number;
    const char* locale;
    uint8_t leadBytes[5];  // pairs of first and last lead byte, ended by 0
    const char* destination;
    const char* source;
};

inline constexpr CodePage kCodePages[] = {
    // "Zevrin ×", "Zevrin ÷" (D7, F7): no letters, so never folded, though a fold that sets bit 5
    // of any byte takes them for one. (Ä and ä, C4 and E4, would name one folder on NTFS.)
    {1252, "de_DE.UTF-8", {0}, "Zevrin \xD7", "Zevrin \xF7"},
    // ポイント表 (ポ is 83 7C, 表 95 5C), ポツント表 (イ 83 43, ツ 83 63).
    {932, "ja_JP.UTF-8", {0x81, 0x9F, 0xE0, 0xFC, 0}, "\x83\x7C\x83\x43\x83\x93\x83\x67\x95\x5C",
     "\x83\x7C\x83\x63\x83\x93\x83\x67\x95\x5C"},
    // The last byte of each lead range: 0x9F 7C, 0x9F 5C and 0xFC 4B (an IBM extension
    // character; 0xFC 6B, its other spelling here, is unassigned, but a lead byte all the same).
    // Read as single bytes, the 0x9F characters hold a '|' and end in a backslash, and the 0xFC
    // one's second byte is a letter that folds.
    {932, "ja_JP.UTF-8", {0x81, 0x9F, 0xE0, 0xFC, 0}, "\x9F\x7C\xFC\x4B\x9F\x5C", "\x9F\x7C\xFC\x6B\x9F\x5C"},
    // 软件丄亅乗, 软件乤亅乗 (亅 81 7C, 乗 81 5C; 丄 81 41, 乤 81 61).
    {936, "zh_CN.UTF-8", {0x81, 0xFE, 0}, "\xC8\xED\xBC\xFE\x81\x41\x81\x7C\x81\x5C",
     "\xC8\xED\xBC\xFE\x81\x61\x81\x7C\x81\x5C"},
    // 설치갂, 설치갵 (갂 81 41, 갵 81 61).
    {949, "ko_KR.UTF-8", {0x81, 0xFE, 0}, "\xBC\xB3\xC4\xA1\x81\x41", "\xBC\xB3\xC4\xA1\x81\x61"},
    // 乙四成功, 兀四成功 (四 A5 7C, 功 A5 5C; 乙 A4 41, 兀 A4 61).
    {950, "zh_TW.UTF-8", {0x81, 0xFE, 0}, "\xA4\x41\xA5\x7C\xA6\xA8\xA5\x5C", "\xA4\x61\xA5\x7C\xA6\xA8\xA5\x5C"},
};

inline const CodePage* FindCodePage(unsigned number)
{
    for (const CodePage& page : kCodePages)
        if (page.number == number) return &page;
    return nullptr;
}

// Whether the byte is a lead byte of the page: the tests' own reading of the table.
inline bool IsLeadOf(const CodePage& page, uint8_t byte)
{
    for (int i = 0; i < 4 && page.leadBytes[i]; i += 2)
        if (byte >= page.leadBytes[i] && byte <= page.leadBytes[i + 1]) return true;
    return false;
}
