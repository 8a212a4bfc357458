// Fixed amounts of work for instruction and allocation counts under valgrind (scripts/bench).
//   core_bench none | format | snprintf | append | string-append | predict
#include <stdio.h>
#include <string.h>

#include <string>

#include "base/format.h"

namespace {

const int kMessages = 1000;
const int kLines = 10000;
const char kLine[] = "Convert old macros.zvl\r\n";

// The program's own messages: a folder, and the two list reports.
void FormatOurs()
{
    TextBuffer folder, list, message;
    folder.AssignText("C:\\Program Files (x86)\\Zevrin 2\\");
    list.AssignText("System.zvl\r\nSamples2.zvl\r\n");
    for (int i = 0; i < kMessages; ++i) {
        FormatText(message, "Can't create folder ~", &folder);
        FormatText(message, "Following files have been replaced (old files moved to Backup folder):\r\n~", &list);
        FormatText(message, "Following new files have been copied as \"Copy of...\":\r\n~", &list);
    }
    if (message.Length() == 0) puts("?");
}

void FormatSnprintf()
{
    const std::string folder = "C:\\Program Files (x86)\\Zevrin 2\\";
    const std::string list = "System.zvl\r\nSamples2.zvl\r\n";
    std::string message;
    auto format = [&](const char* fmt, const std::string& arg) {
        const int n = snprintf(nullptr, 0, fmt, arg.c_str());
        message.resize(static_cast<size_t>(n) + 1);
        snprintf(&message[0], message.size(), fmt, arg.c_str());
        message.resize(static_cast<size_t>(n));
    };
    for (int i = 0; i < kMessages; ++i) {
        format("Can't create folder %s", folder);
        format("Following files have been replaced (old files moved to Backup folder):\r\n%s", list);
        format("Following new files have been copied as \"Copy of...\":\r\n%s", list);
    }
    if (message.empty()) puts("?");
}

void AppendOurs()
{
    TextBuffer list;
    for (int i = 0; i < kLines; ++i) list.AppendText(kLine);
    if (list.Length() == 0) puts("?");
}

void AppendString()
{
    std::string list;
    for (int i = 0; i < kLines; ++i) list.append(kLine);
    if (list.empty()) puts("?");
}

// How many blocks the growth policy takes for the append loop (flags 0).
int PredictedBlocks()
{
    const int64_t line = static_cast<int64_t>(strlen(kLine));
    int64_t capacity = 0, length = 0;
    int blocks = 0;
    for (int i = 0; i < kLines; ++i) {
        const int64_t n = length + line;
        if (blocks == 0) {
            capacity = n;
            ++blocks;
        } else if (capacity < n) {
            capacity = n + n / 8 + 10;
            ++blocks;
        }
        length = n;
    }
    return blocks;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "none";
    if (mode == "format") FormatOurs();
    else if (mode == "snprintf") FormatSnprintf();
    else if (mode == "append") AppendOurs();
    else if (mode == "string-append") AppendString();
    else if (mode == "predict") printf("%d\n", PredictedBlocks());
    return 0;
}
