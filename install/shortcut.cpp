#include "install/shortcut.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include "base/text_buffer.h"
#include "install/install_file.h"

namespace {

// Releases a COM interface pointer when it goes out of scope.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr()
    {
        if (p_) p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* operator->() const { return p_; }
    void** Receive() { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};

// A success code other than S_OK (such as S_FALSE) counts as failure as well.
bool Failed(HRESULT result) { return result != S_OK; }

}  // namespace

int CreateShortcut(const TextBuffer& linkPath, const char* targetPath, const char* iconPath, int iconIndex,
                   const char* arguments, const char* workingFolder, unsigned short hotkey)
{
    // Declared in this order so that the persist-file pointer is released first.
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    if (linkPath.HoldsZeroByte() || IsLink(linkPath.Text())) return kShortcutRefused;
    if (Failed(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.Receive())))
        return kShortcutCreateFailed;
    if (Failed(link->SetPath(targetPath))) return kShortcutSetPathFailed;
    if (iconPath) link->SetIconLocation(iconPath, iconIndex);
    if (arguments && Failed(link->SetArguments(arguments))) return kShortcutSetArgumentsFailed;
    if (workingFolder) link->SetWorkingDirectory(workingFolder);
    if (hotkey) link->SetHotkey(hotkey);
    if (Failed(link->QueryInterface(IID_IPersistFile, file.Receive()))) return kShortcutNoPersistFile;

    TextBuffer widePath;
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(widePath.ConvertToWide(linkPath.Text()));
    const HRESULT saved = file->Save(wide ? wide : L"", TRUE);
    widePath.Release();
    return Failed(saved) ? kShortcutSaveFailed : kShortcutOk;
}
