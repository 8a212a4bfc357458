#pragma once
// The release setup.exe, mapped as a data file, so that tests read its resources as shipped.
#include <windows.h>

HMODULE SetupModule();
// The raw dialog template of the release build, or null.
const void* SetupDialogTemplate(int id);

#include <string>

// The two sequences run inside this process, as setup.exe runs them: through the OK command of a
// dialog made from the release template, with `source` as the source folder, so that a test can
// patch the platform calls they make. Each checks that the dialog is disabled while it runs. The
// install leaves the product unstarted unless told, and gives whether it ended its dialog; every
// message box is answered `answer` where it asks (OK where it does not) and its text appended to
// `boxes`.
bool InstallHere(const std::string& source, const std::string& destination, std::string* boxes = nullptr,
                 bool startProduct = false, int answer = IDNO);
void UninstallHere(const std::string& source, std::string* boxes = nullptr, int answer = IDNO);
