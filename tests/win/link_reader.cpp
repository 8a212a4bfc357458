#include "tests/win/link_reader.h"

#include <objidl.h>
#include <shlobj.h>

LinkContents ReadLink(const std::string& linkPath)
{
    LinkContents contents;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return contents;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            contents.loaded = true;
            char text[MAX_PATH] = {};
            link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
            contents.path = text;
            text[0] = 0;
            link->GetArguments(text, MAX_PATH);
            contents.arguments = text;
            text[0] = 0;
            link->GetWorkingDirectory(text, MAX_PATH);
            contents.workingFolder = text;
            text[0] = 0;
            link->GetIconLocation(text, MAX_PATH, &contents.iconIndex);
            contents.iconPath = text;
            link->GetHotkey(&contents.hotkey);
        }
        file->Release();
    }
    link->Release();
    return contents;
}
