#include "tests/win/results_log.h"

#include <windows.h>

#include <stdio.h>

void ReportFigure(const std::string& line, const char* label)
{
    printf("%s: %s\n", label, line.c_str());
    char folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("ZV_RESULTS", folder, sizeof folder)) return;
    HANDLE file = CreateFileA((std::string(folder) + "\\robustness.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                              nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = std::string(label) + ": " + line + "\n";
    DWORD written;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}
