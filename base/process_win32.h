#pragma once
// The process-wide state of setup.exe, all of it, and the two platform helpers every layer
// shares. Who writes what, and when:
//
//   ModuleInstance     WinMain, once at start-up.
//   SourceFolder       WinMain, once at start-up: the folder of the running setup.exe, ending
//                      in a backslash; start-up also makes it the current directory.
//   SetupProgram       WinMain, once at start-up: the full path of the running setup.exe.
//   CurrentDialog      each dialog procedure at WM_INITDIALOG; never cleared. The owner of every
//                      message box and the window whose caption shows progress.
//   DestinationFolder  the install sequence, from the dialog's edit box at each OK: expanded,
//                      made a full path, then given a trailing backslash. Read by every later
//                      install step and by the product's registry entries.
//   ReplacedFiles, CopiedAsNewFiles, KeptFiles, DamagedFiles
//                      emptied by the install sequence before its copy phase; appended to by
//                      InstallFile, a name and "\r\n" each; read by the install's summary.
//   Finder             FindFile only: one open search for the whole process (null: none).
//   EventKeyPath, EventLabel, RemovalKeyPath
//                      the product's registry entries: scratch kept from call to call, so
//                      that seven sound events cost one allocation each; given NoShrink at
//                      first use, so that they start zeroed and take no room in the file.
//   LeftFolders        emptied by each sequence at its start; appended to, a path and "\r\n"
//                      each, where a hold or checked act was refused; shown by the sequence.
//   NtMajorVersion     the install sequence, after the first file was copied.
//
// Everything runs on the one GUI thread; nothing here needs a lock.
#include <windows.h>

#include "base/text_buffer.h"

extern HINSTANCE ModuleInstance;
extern TextBuffer SourceFolder;
extern TextBuffer SetupProgram;
extern TextBuffer DestinationFolder;
extern HWND CurrentDialog;

// Names whose installed file differed and was moved into Backup.
extern TextBuffer ReplacedFiles;
// Names whose installed file differed and was kept, the new one copied beside it.
extern TextBuffer CopiedAsNewFiles;
// Names whose installed file differed but could not be moved into Backup: it was kept, and the
// new file was not copied.
extern TextBuffer KeptFiles;
// Names of product files that a bound setup.exe did not install: missing, or not the bytes its
// table names.
extern TextBuffer DamagedFiles;
// Folders and links a sequence left as they were, because a hold or a checked act refused them:
// the user is told, never silently skipped.
extern TextBuffer LeftFolders;

struct FinderState {
    HANDLE search;  // null when no search is open (zero-initialised, so no start-up code)
    WIN32_FIND_DATAA found;
};
extern FinderState Finder;

extern TextBuffer EventKeyPath, EventLabel, RemovalKeyPath;

// Windows NT major version, 0 until the install sequence has looked (and on other platforms).
extern int NtMajorVersion;

// Releases every process-wide buffer. WinMain calls it last: setup.exe starts without the C
// runtime's start-up code, so nothing else would run the buffers' destructors.
void ReleaseProcessState();

// Formats the message (base/format.h) and shows it in a message box owned by CurrentDialog;
// returns the button that closed it.
int ShowMessage(unsigned type, const char* caption, const char* format, ...);

// The grow-and-retry call of every platform function that fills an area: fill(area, room,
// context) returns the count it wrote, or the size it needs when that is more. MAX_PATH is
// offered first; a larger need is offered once more, since a cut path would name some other
// folder. A need that grew again, or a failure (0), gives the empty text.
typedef DWORD (*FillFunction)(char* area, DWORD room, const void* context);
void FillFromSystem(TextBuffer& target, FillFunction fill, const void* context = nullptr);

// Calls visit for each entry that the pattern matches, "." and ".." included, until it returns
// false, through a search of its own: the finder's one open search is left alone. The entry
// is valid during the call only.
typedef bool (*VisitFound)(const WIN32_FIND_DATAA& entry, void* context);
void ForEachFound(const char* pattern, VisitFound visit, void* context);
