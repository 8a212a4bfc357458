#include "install/launcher.h"

#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

#include "base/owned_handle.h"
#include "base/process_win32.h"
#include "base/text_buffer.h"

namespace {

// Whether setup's token is elevated. Tokens know elevation from Vista on: before, the query
// fails, and on 95, 98 and Me, which have no tokens, so does the open; nothing is elevated there.
bool Elevated()
{
    OwnedHandle token;
    DWORD elevated = 0, size;
    const auto kTokenElevation = static_cast<TOKEN_INFORMATION_CLASS>(20);
    return OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()) &&
           GetTokenInformation(token.Get(), kTokenElevation, &elevated, sizeof elevated, &size) && elevated;
}

// Asks the desktop's shell, in the user's own Explorer process, to start the program: from the
// desktop window, through its browser and view, to the shell dispatch object behind the view
// (asked for as IDispatch first: Wine's view gives the folder view object only so).
// Each step's object is kept in one list and released there, whichever step failed.
bool StartThroughShell(const char* verb, const char* file, const char* arguments, const char* folder)
{
    IUnknown* objects[9] = {};
    VARIANT nowhere = {};
    long window;
    bool started = false;
    if (CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                         reinterpret_cast<void**>(&objects[0])) == S_OK &&
        static_cast<IShellWindows*>(objects[0])->FindWindowSW(&nowhere, &nowhere, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                                              reinterpret_cast<IDispatch**>(&objects[1])) == S_OK &&
        objects[1] && objects[1]->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&objects[2])) == S_OK &&
        static_cast<IServiceProvider*>(objects[2])->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                                                 reinterpret_cast<void**>(&objects[3])) == S_OK &&
        static_cast<IShellBrowser*>(objects[3])->QueryActiveShellView(reinterpret_cast<IShellView**>(&objects[4])) == S_OK &&
        static_cast<IShellView*>(objects[4])->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch,
                                                            reinterpret_cast<void**>(&objects[5])) == S_OK &&
        objects[5]->QueryInterface(IID_IShellFolderViewDual, reinterpret_cast<void**>(&objects[6])) == S_OK &&
        static_cast<IShellFolderViewDual*>(objects[6])->get_Application(reinterpret_cast<IDispatch**>(&objects[7])) == S_OK &&
        objects[7] && objects[7]->QueryInterface(IID_IShellDispatch2, reinterpret_cast<void**>(&objects[8])) == S_OK) {
        // The file, its arguments, its folder and the verb, as the BSTRs that cross to the
        // shell's process; one not given is left out as automation leaves out an argument, so
        // that the shell takes its default (an empty verb is a verb of that name to Wine).
        const char* const texts[] = {file, arguments, folder, verb};
        VARIANT values[4] = {};
        TextBuffer wide;
        started = true;
        for (int i = 0; i < 4; ++i) {
            if (!texts[i]) {
                values[i].vt = VT_ERROR;
                values[i].scode = DISP_E_PARAMNOTFOUND;
                continue;
            }
            values[i].vt = VT_BSTR;
            values[i].bstrVal = SysAllocString(reinterpret_cast<const wchar_t*>(wide.ConvertToWide(texts[i])));
            started = started && values[i].bstrVal;
        }
        VARIANT show = {};
        show.vt = VT_I4;
        show.lVal = SW_SHOWNORMAL;
        started = started && static_cast<IShellDispatch2*>(objects[8])->ShellExecute(values[0].bstrVal, values[1], values[2],
                                                                                       values[3], show) == S_OK;
        for (VARIANT& value : values)
            if (value.vt == VT_BSTR) SysFreeString(value.bstrVal);
    }
    for (IUnknown* object : objects)
        if (object) object->Release();
    return started;
}

}  // namespace

void StartForUser(HWND owner, const char* verb, const char* file, const char* arguments, const char* folder)
{
    if (Elevated()) {
        TextBuffer full;
        const bool relative = file[0] != '\\' && file[0] && file[1] != ':';
        const char* shellFile = relative ? full.AssignConcat(SourceFolder, file).Data() : file;
        if (shellFile && StartThroughShell(verb, shellFile, arguments, folder)) return;
    }
    ShellExecuteA(owner, verb, file, arguments, folder, SW_SHOWNORMAL);
}
