#include "registry/registry.h"

#include "registry/reg_key.h"

namespace {

const int32_t kFirstOffer = 300;

// Sets the length from a byte count the registry reported for text: the count includes the
// zero byte, except for a string stored without one, whose last byte is text too.
void SetTextLength(TextBuffer& buffer, DWORD reported, bool keepBlock)
{
    int32_t n = static_cast<int32_t>(reported);
    if (n > buffer.Capacity()) n = buffer.Capacity();
    if (n > 0 && buffer.Data()[n - 1] == 0) --n;
    else if (n == 0) n = -1;  // nothing reported: up to the first zero byte
    buffer.SetLength(n, keepBlock);
}

}  // namespace

int32_t RegReadString(TextBuffer& buffer, const char* keyPath, const char* valueName, const char* defaultText,
                      HKEY root, DWORD type)
{
    // The buffer is overwritten before the default may be needed.
    TextBuffer savedDefault;
    if (defaultText && defaultText == buffer.Data()) {
        savedDefault.AssignText(defaultText);
        defaultText = savedDefault.Data();
    }

    RegKey key;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) {
        buffer.AssignText(defaultText);
        return 0;
    }
    if (buffer.Capacity() < kFirstOffer) buffer.ResizeDiscard(kFirstOffer);
    buffer.Data()[0] = 0;

    DWORD gotType = REG_NONE;
    DWORD size = static_cast<DWORD>(buffer.Capacity());
    LONG status = RegQueryValueExA(key.Get(), valueName, nullptr, &gotType, reinterpret_cast<BYTE*>(buffer.Data()), &size);
    if (status == ERROR_MORE_DATA) {
        // One more query with the size the registry asked for; a value that grew again in
        // between fails the read rather than being cut.
        buffer.ResizeDiscard(size > 0 ? static_cast<int32_t>(size) - 1 : 0);
        status = RegQueryValueExA(key.Get(), valueName, nullptr, &gotType, reinterpret_cast<BYTE*>(buffer.Data()), &size);
        if (status == ERROR_SUCCESS) SetTextLength(buffer, size, true);
    } else if (status == ERROR_SUCCESS) {
        SetTextLength(buffer, size, false);
    }
    key.Close();

    if (status == ERROR_SUCCESS && gotType == type) return buffer.Length() + 1;
    buffer.AssignText(defaultText);
    return 0;
}

int32_t RegReadPath(TextBuffer& buffer, const char* keyPath, const char* valueName, HKEY root)
{
    if (!RegReadString(buffer, keyPath, valueName, nullptr, root, REG_SZ)) return 0;
    buffer.SetLength(-1, true);
    return buffer.Length() + 1;
}

int32_t RegWriteValue(const TextBuffer& buffer, const char* keyPath, const char* valueName, HKEY root, DWORD type)
{
    RegKey key;
    if (RegCreateKeyExA(root, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, key.Receive(),
                        nullptr) != ERROR_SUCCESS)
        return 0;
    const char* text = buffer.Data() ? buffer.Data() : "";
    const DWORD bytes = static_cast<DWORD>(buffer.Length()) + 1;
    if (RegSetValueExA(key.Get(), valueName, 0, type, reinterpret_cast<const BYTE*>(text), bytes) != ERROR_SUCCESS)
        return 0;
    return buffer.Length() + 1;
}

int RegWriteNumber(DWORD number, const char* keyPath, const char* valueName, HKEY root)
{
    RegKey key;
    if (RegCreateKeyExA(root, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, key.Receive(),
                        nullptr) != ERROR_SUCCESS)
        return 0;
    return RegSetValueExA(key.Get(), valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number) ==
           ERROR_SUCCESS;
}

bool RegRemoveKey(const char* parentPath, const char* name, HKEY root, bool onlyIfNoSubkeys)
{
    RegKey parent;
    if (RegOpenKeyExA(root, parentPath, 0, KEY_ALL_ACCESS, parent.Receive()) != ERROR_SUCCESS) return false;
    if (onlyIfNoSubkeys) {
        TextBuffer nameArea;
        nameArea.ResizeDiscard(MAX_PATH);
        RegKey probe;
        if (RegOpenKeyExA(parent.Get(), name, 0, KEY_ENUMERATE_SUB_KEYS, probe.Receive()) != ERROR_SUCCESS)
            return false;
        if (RegEnumKeyA(probe.Get(), 0, nameArea.Data(), MAX_PATH + 1) != ERROR_NO_MORE_ITEMS) return false;
    }
    return RegDeleteKeyA(parent.Get(), name) == ERROR_SUCCESS;
}

int RegRemoveValue(const char* keyPath, const char* valueName, HKEY root)
{
    RegKey key;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_SET_VALUE, key.Receive()) != ERROR_SUCCESS) return 0;
    return RegDeleteValueA(key.Get(), valueName) == ERROR_SUCCESS ? 1 : 0;
}
