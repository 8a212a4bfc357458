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
    int32_t i = 0;
    while (i < at) i += CharLength(text + i);
    return i == at;
}
