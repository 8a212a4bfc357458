#include "base/command_line.h"

namespace {

bool IsBlank(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u != 0 && u <= 32;
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

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
    static const char kWord[] = "uninstall";
    if (!arguments) return false;
    for (int i = 0; kWord[i]; ++i) {
        if (FoldAscii(arguments[i]) != kWord[i]) return false;
    }
    return arguments[sizeof(kWord) - 1] == 0;
}
