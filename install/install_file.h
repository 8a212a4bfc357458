#pragma once
// The file copy policy and the process-wide file finder it is built on (its state lives in
// base/process_win32.h). Results: 0 on success, non-zero codes on failure, as the shell's.
#include "base/text_buffer.h"
#include "install/held_folder.h"

// What FindFile accepts.
constexpr int kFindFiles = 0;
constexpr int kFindFolders = 1;
constexpr int kFindAny = 2;

// Starts a new search for name (a path or pattern; a leading "%" or "$" token is expanded
// first), or continues the open one when name is null or empty. Returns the bare name of the
// entry found, valid until the next call, or null when nothing (more) is found; a search that
// runs out is closed.
const char* FindFile(const char* name, int kind);

// Whether the entry FindFile found last is a reparse point: such an entry is never deleted,
// since deleting through a link may take what it points to (Wine's DeleteFileA deletes a
// link's target). Wine marks only links to folders; a link to a file reads as a plain file.
bool FoundLink();
// Whether the folder holds a reparse point directly (whether it is one, HeldFolder checks).
// Searched apart from the finder.
bool HoldsLink(const TextBuffer& folder);

// True when the two files differ in last-write time or in the low 32 bits of their size, or
// when either is missing. Contents are not compared. Leaves the search on `second` open.
bool FilesDiffer(const char* first, const char* second);

// Result codes of our own, beside the shell's: the installed file could not be moved into
// Backup (it stays where it is, listed in KeptFiles, and nothing is copied over it); no free
// name was left to put the new file beside it; the copy did not leave the whole file (what it
// wrote was removed).
constexpr int kInstallBackupFailed = 0x7101;
constexpr int kInstallNoFreeName = 0x7102;
constexpr int kInstallIncomplete = 0x7103;
// A reparse point stands where the file goes: the copy would write through it, into whatever
// file it points to, so nothing is copied.
constexpr int kInstallLinkInWay = 0x7105;
// A bound setup.exe found the source file missing, or not the bytes its table names: nothing
// of the user's was touched, and DamagedFiles lists the name.
constexpr int kInstallDamaged = 0x7106;

// Copies name (a file or a wildcard pattern, relative to SourceFolder) into DestinationFolder
// by the first policy that applies: skipIfPresent leaves an installed file alone; backupOld
// moves a differing installed file into Backup first (ReplacedFiles lists it once the new file
// is in place; should the copy fail, the user's file goes back); copyAsNew keeps it and copies
// the new one beside it as "Copy of <name>" (CopiedAsNewFiles lists it once the copy exists).
// A copy that left part of a file removes that part. A file the row wrote loses the read-only
// mark it took from the source's media; a file of the user's keeps its marks. A bound setup.exe
// (install/payload.h) installs only the bytes its table names, read through the handle that
// checked them, and for a wildcard only the files its table names. Returns 0 when
// copied or when a policy said not to; otherwise the shell's non-zero result, or one of the
// codes above.
int InstallFile(const char* name, bool backupOld, bool copyAsNew, bool skipIfPresent);
