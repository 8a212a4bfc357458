#include "install/shortcut.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include "base/text_buffer.h"
#include "install/held_folder.h"

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
    T* Get() const { return p_; }
    void** Receive() { return reinterpret_cast<void**>(&p_); }
    T** ReceiveTyped() { return &p_; }

private:
    T* p_ = nullptr;
};

// A success code other than S_OK (such as S_FALSE) counts as failure as well.
bool Failed(HRESULT result) { return result != S_OK; }

}  // namespace

int CreateShortcut(HeldFolder& folder, const TextBuffer& linkPath, const char* targetPath, const char* iconPath,
                   int iconIndex, const char* arguments, const char* workingFolder, unsigned short hotkey)
{
    // Declared in this order so that the stream is released last.
    ComPtr<IStream> stream;
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistStream> persist;
    if (linkPath.HoldsZeroByte()) return kShortcutRefused;
    if (Failed(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.Receive())))
        return kShortcutCreateFailed;
    if (Failed(link->SetPath(targetPath))) return kShortcutSetPathFailed;
    if (iconPath) link->SetIconLocation(iconPath, iconIndex);
    if (arguments && Failed(link->SetArguments(arguments))) return kShortcutSetArgumentsFailed;
    if (workingFolder) link->SetWorkingDirectory(workingFolder);
    if (hotkey) link->SetHotkey(hotkey);
    if (Failed(link->QueryInterface(IID_IPersistStream, persist.Receive()))) return kShortcutNoPersistFile;
    HGLOBAL memory;
    ULARGE_INTEGER size;
    const LARGE_INTEGER start = {};
    if (Failed(CreateStreamOnHGlobal(nullptr, TRUE, stream.ReceiveTyped())) || Failed(persist->Save(stream.Get(), TRUE)) ||
        Failed(stream->Seek(start, STREAM_SEEK_CUR, &size)) || Failed(GetHGlobalFromStream(stream.Get(), &memory)))
        return kShortcutSaveFailed;
    // The link's bytes go through a handle of its own in the held folder, checked to be there:
    // the shell's own save would follow whatever the path leads to as it writes.
    TextBuffer folderPart;
    folderPart.GetFolderPart(linkPath);
    bool created;
    const bool saved = folder.WriteFileInside(linkPath.Text() + folderPart.Length(), GlobalLock(memory),
                                              static_cast<DWORD>(size.QuadPart), created);
    GlobalUnlock(memory);
    // A link this run made and could not write whole is gone again, as a failed save leaves
    // none; one it could not check, or an earlier one left cut, is named to the user.
    if (!saved) return created ? kShortcutSaveFailed : kShortcutRefused;
    SHChangeNotify(created ? SHCNE_CREATE : SHCNE_UPDATEITEM, SHCNF_PATHA, linkPath.Text(), nullptr);
    return kShortcutOk;
}
