#include "paths/special_folders.h"

#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include "base/process_win32.h"
#include "base/product_names.h"
#include "paths/path_token.h"
#include "registry/registry.h"

bool GetSpecialFolder(const char* name, TextBuffer& target)
{
    switch (ClassifyFolderName(name)) {
    case FolderName::ZV:
        target.CopyPart(SourceFolder, 0, SourceFolder.Length() - 1, false);
        break;
    case FolderName::Windows:
        FillFromSystem(target, [](char* area, DWORD room, const void*) { return static_cast<DWORD>(GetWindowsDirectoryA(area, room)); });
        break;
    case FolderName::System:
        FillFromSystem(target, [](char* area, DWORD room, const void*) { return static_cast<DWORD>(GetSystemDirectoryA(area, room)); });
        break;
    case FolderName::Temp:
        FillFromSystem(target, [](char* area, DWORD room, const void*) { return GetTempPathA(room, area); });
        break;
    case FolderName::Registry: {
        HKEY root = IsCommonFolderName(name) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        if (!RegReadPath(target, names::kShellFoldersKey, name, root))
            RegReadPath(target, names::kCurrentVersionKey, FallbackValueName(name), HKEY_LOCAL_MACHINE);
        break;
    }
    }
    target.TrimEnd('\\');
    return target.Length() > 0;
}

namespace {

void ExpandEnvironment(TextBuffer& buffer, const char* source)
{
    FillFromSystem(buffer, [](char* area, DWORD room, const void* source) -> DWORD {
        area[0] = 0;
        const DWORD got = ExpandEnvironmentStringsA(static_cast<const char*>(source), area, room);
        // The count includes the zero byte, and the ANSI function may need one byte more than
        // it reports; the text itself runs to its zero byte.
        if (got > room) return got + 1;
        return got == 0 ? 0 : static_cast<DWORD>(strlen(area));
    }, source);
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
    if (text && text != buffer.Data()) {
        if (text[0] != '%' && text[0] != '$') return text;
    } else {
        if (!buffer.Data()) return nullptr;
        if (buffer.Data()[0] != '%' && buffer.Data()[0] != '$') return buffer.Data();
        // The buffer's own block becomes the source; the buffer starts again empty.
        handedBlock = buffer.TakeBlock();
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
    return buffer.Data();
}
