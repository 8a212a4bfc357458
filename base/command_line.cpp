#include "base/command_line.h"

#include "base/ascii.h"

namespace {

bool IsBlank(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u != 0 && u <= 32;
}

}  // namespace

const char* SkipProgramName(const char* commandLine)
{
    if (!commandLine) return "";
    const char* p = commandLine;
    bool quoted = false;
    for (; *p; ++p) {
        if (*p == '"')
            quoted = !quoted;
        else if (!quoted && IsBlank(*p))
            break;
    }
    while (IsBlank(*p)) ++p;
    return p;
}

bool IsUninstallArgument(const char* arguments)
{
    return arguments && EqualsIgnoringAsciiCase(arguments, "uninstall");
}
