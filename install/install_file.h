#pragma once
#include "base/text_buffer.h"

// Names whose installed file differed and was moved into Backup, each followed by "\r\n".
extern TextBuffer ReplacedFiles;
// Names whose installed file differed and was kept, the new one copied beside it.
extern TextBuffer CopiedAsNewFiles;
// Names whose installed file differed but could not be moved into Backup: it was kept, and the
// new file was not copied.
extern TextBuffer KeptFiles;

// Result codes of our own, beside the shell's: the installed file could not be moved into
// Backup, or no free name was left to put the new file beside it. In both cases the installed
// file stays where it is, unlisted, and nothing is copied over it.
enum { INSTALL_BACKUP_FAILED = 0x7101, INSTALL_NO_FREE_NAME = 0x7102 };

// Copies name (a file or a wildcard pattern, relative to SourceFolder) into DestinationFolder
// by the first policy that applies: skipIfPresent leaves an installed file alone; backupOld
// moves a differing installed file into Backup first; copyAsNew keeps it and copies the new one
// beside it. Returns 0 when copied or when a policy said not to; otherwise the shell's non-zero
// result, or one of the two codes above.
int InstallFile(const char* name, bool backupOld, bool copyAsNew, bool skipIfPresent);
