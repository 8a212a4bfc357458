#pragma once
// Figures a test wants in the run's closing summary: appended to robustness.txt in the folder
// that ZV_RESULTS names (set by scripts/test), and printed.
#include <string>

void ReportFigure(const std::string& line);
