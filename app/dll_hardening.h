#pragma once

// Keeps DLLs that are loaded by name out of the folder of setup.exe and the current directory,
// which start-up makes that same folder: only the system folder is searched. A downloads folder
// is where a planted DLL would wait for an installer that may run elevated.
void RestrictDllSearchPath();

// Windows 11's redirection trust policy: this process follows no junction or other filesystem
// redirection that a non-administrator made, one more wall against the link races setup
// guards against. Looked up, since only newer Windows have the call; a Windows without the
// policy refuses it and nothing changes.
void EnforceRedirectionTrust();
