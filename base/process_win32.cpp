#include "base/process_win32.h"

#include "base/format.h"

HINSTANCE ModuleInstance;
TextBuffer SourceFolder;
TextBuffer SetupProgram;
TextBuffer DestinationFolder;
HWND CurrentDialog;
TextBuffer ReplacedFiles;
TextBuffer CopiedAsNewFiles;
TextBuffer KeptFiles;
TextBuffer DamagedFiles;
TextBuffer LeftFolders;
FinderState Finder;
TextBuffer EventKeyPath, EventLabel, RemovalKeyPath;
int NtMajorVersion;

void ReleaseProcessState()
{
    static TextBuffer* const buffers[] = {&SourceFolder,  &SetupProgram,  &DestinationFolder, &ReplacedFiles, &CopiedAsNewFiles,
                                   &KeptFiles,     &DamagedFiles, &LeftFolders, &EventKeyPath,      &EventLabel,    &RemovalKeyPath};
    for (TextBuffer* buffer : buffers) buffer->Release();
}

int ShowMessage(unsigned type, const char* caption, const char* format, ...)
{
    TextBuffer message(TextBuffer::NoShrink);
    message.ResizeDiscard(300);
    message.Data()[0] = message.Data()[1] = 0;

    va_list args;
    va_start(args, format);
    FormatTextV(message, 0, format, args);
    va_end(args);

    return MessageBoxA(CurrentDialog, message.Data(), caption, type);
}

void FillFromSystem(TextBuffer& target, FillFunction fill, const void* context)
{
    DWORD room = MAX_PATH;
    DWORD got = fill(target.Reserve(static_cast<int32_t>(room), 0), room, context);
    if (got > room) {
        room = got;
        got = fill(target.Reserve(static_cast<int32_t>(room), 0), room, context);
        if (got > room) got = 0;
    }
    target.SetLength(static_cast<int32_t>(got), false);
}

void ForEachFound(const char* pattern, VisitFound visit, void* context)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    while (visit(entry, context) && FindNextFileA(search, &entry)) {
    }
    FindClose(search);
}
