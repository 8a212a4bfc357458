// The lead bytes of the ANSI code page, from the system.
#include <windows.h>

#include "base/code_page.h"

void ReadAnsiLeadBytes()
{
    CPINFO info;
    if (GetCPInfo(CP_ACP, &info)) SetLeadByteRanges(info.LeadByte);
}
