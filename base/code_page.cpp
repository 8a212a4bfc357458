#include "base/code_page.h"

#include <string.h>

bool LeadBytes[256];

void SetLeadByteRanges(const uint8_t* ranges)
{
    memset(LeadBytes, 0, sizeof LeadBytes);
    for (int pair = 0; ranges && pair < 6 && ranges[0]; ++pair, ranges += 2)
        for (int b = ranges[0]; b <= ranges[1]; ++b) LeadBytes[b] = true;
}

bool IsCharStart(const char* text, int32_t at)
{
    // A byte that cannot be a lead byte ends a character, as a character of its own or as a
    // second byte; the lead bytes after it pair up. So only the run of lead bytes just before
    // `at` is read: `at` starts a character when that run is even. A zero byte always starts
    // one, since a lead byte never takes it along.
    if (text[at] == 0) return true;
    int32_t run = 0;
    while (run < at && IsLeadByte(text[at - run - 1])) ++run;
    return run % 2 == 0;
}
