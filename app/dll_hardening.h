#pragma once

// Keeps DLLs that are loaded by name out of the folder of setup.exe and the current directory,
// which start-up makes that same folder: only the system folder is searched. A downloads folder
// is where a planted DLL would wait for an installer that may run elevated.
void RestrictDllSearchPath();
