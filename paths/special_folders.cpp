#include "paths/special_folders.h"

#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include "app/globals.h"
#include "paths/path_token.h"
#include "registry/registry.h"

namespace {

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";

}  // namespace

bool GetSpecialFolder(const char* name, TextBuffer& target)
{
    switch (ClassifyFolderName(name)) {
    case FolderName::ZV:
        target.CopyPart(SourceFolder, 0, SourceFolder.length - 1, false);
        break;
    case FolderName::Windows:
        FillFromSystem(target, [](char* area, DWORD room) { return GetWindowsDirectoryA(area, room); });
        break;
    case FolderName::System:
        FillFromSystem(target, [](char* area, DWORD room) { return GetSystemDirectoryA(area, room); });
        break;
    case FolderName::Temp:
        FillFromSystem(target, [](char* area, DWORD room) { return GetTempPathA(room, area); });
        break;
    case FolderName::Registry: {
        HKEY root = IsCommonFolderName(name) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        if (!RegReadString(target, kShellFolders, name, nullptr, root, REG_SZ))
            RegReadString(target, kCurrentVersion, FallbackValueName(name), nullptr, HKEY_LOCAL_MACHINE, REG_SZ);
        break;
    }
    }
    target.TrimEnd('\\');
    return target.length > 0;
}

namespace {

void ExpandEnvironment(TextBuffer& buffer, const char* source)
{
    // A count of 0 means failure; the empty text is then what the first zero byte gives.
    buffer.ResizeDiscard(MAX_PATH);
    buffer.data[0] = 0;
    DWORD got = ExpandEnvironmentStringsA(source, buffer.data, MAX_PATH);
    if (got > MAX_PATH) {
        // The ANSI function may need one byte more than the count it reports, so the retry
        // offers that byte too (the block holds capacity + 3 bytes).
        const DWORD room = got + 1;
        buffer.ResizeDiscard(static_cast<int32_t>(got));
        buffer.data[0] = 0;
        got = ExpandEnvironmentStringsA(source, buffer.data, room);
        if (got == 0 || got > room) buffer.data[0] = 0;  // grew again: the empty text, not a cut path
    }
    // The text runs to its zero byte; the reported count may include the extra byte.
    buffer.SetLength(-1, false);
}

// source is zero-terminated; when handedBlock, it is the buffer's former block and may be cut.
void ExpandSpecialFolder(TextBuffer& buffer, char* source, bool handedBlock)
{
    const PathToken token = ParsePathToken(source);
    const char* rest = nullptr;
    char* dollarName = source;  // what the buffer receives on failure
    char* copy = nullptr;
    if (token.closed) {
        rest = source + token.restStart;
        const size_t prefix = static_cast<size_t>(token.nameLength) + 1;  // "$" and the name
        if (handedBlock) {
            source[prefix] = 0;
        } else {
            copy = static_cast<char*>(malloc(prefix + 1));
            if (!copy) abort();
            memcpy(copy, source, prefix);
            copy[prefix] = 0;
            dollarName = copy;
        }
    }
    if (GetSpecialFolder(dollarName + 1, buffer)) {
        if (rest && *rest) buffer.AppendText(rest);
    } else {
        buffer.AssignText(dollarName);
    }
    free(copy);
}

}  // namespace

const char* ExpandPathTokens(TextBuffer& buffer, const char* text)
{
    char* handedBlock = nullptr;
    const char* source = text;
    if (text && text != buffer.data) {
        if (text[0] != '%' && text[0] != '$') return text;
    } else {
        if (!buffer.data) return nullptr;
        if (buffer.data[0] != '%' && buffer.data[0] != '$') return buffer.data;
        // The buffer's own block becomes the source; the buffer starts again empty.
        handedBlock = buffer.data;
        buffer.data = nullptr;
        buffer.length = 0;
        buffer.capacity = 0;
        source = handedBlock;
    }

    if (source[0] == '%') {
        ExpandEnvironment(buffer, source);
    } else if (handedBlock) {
        ExpandSpecialFolder(buffer, handedBlock, true);
    } else {
        // The caller's text is never written to; only the "$Name" part is copied.
        ExpandSpecialFolder(buffer, const_cast<char*>(source), false);
    }
    TextBuffer::FreeBlock(handedBlock);
    return buffer.data;
}
