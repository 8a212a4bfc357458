#pragma once
// Figures a test wants in the run's closing summary: appended to robustness.txt in the folder
// that ZV_RESULTS names (set by scripts/test), and printed.
#include <string>

// The line is printed behind its label ("robustness: ...").
void ReportFigure(const std::string& line, const char* label = "robustness");
