#include "registry/product_entries.h"

#include <windows.h>
#include <shlobj.h>

#include "app/globals.h"
#include "base/format.h"
#include "registry/reg_key.h"
#include "registry/registry.h"

namespace {

const char kHelp[] = "Software\\Microsoft\\Windows\\Help";
const char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZV2";
const char kSettings[] = "Software\\Moravel\\ZV2\\settings";
const char kSchemeApp[] = "AppEvents\\Schemes\\Apps\\Zevrin";
const char kSchemePrefix[] = "AppEvents\\Schemes\\Apps\\Zevrin\\";
const char kLabelPrefix[] = "AppEvents\\EventLabels\\";

struct SoundEvent {
    const char* name;
    const char* label;
};
const SoundEvent kSoundEvents[] = {
    {"ZVCompileError", "Compile Error"},
    {"ZVRunError", "Run Time Error"},
    {"ZVmes", "Message: mes"},
    {"ZVinp", "Message: inp"},
    {"ZVlist", "Message: list"},
    {"ZVTSmenu", "T.S. Menu: activated"},
    {"ZVTSmenu2", "T.S. Menu: execute item"},
};

// Kept from call to call, so that registering seven events costs one allocation each.
TextBuffer eventKeyPath(TextBuffer::NoShrink);
TextBuffer eventLabel(TextBuffer::NoShrink);
TextBuffer removalKeyPath(TextBuffer::NoShrink);

void Write(TextBuffer& value, HKEY root, const char* path, const char* name)
{
    RegWriteValue(value, path, name, root, REG_SZ);
}

}  // namespace

void RegisterSoundEvent(const char* name, const char* label)
{
    eventKeyPath.AssignConcatText(kLabelPrefix, name);
    eventLabel.AssignText(label);
    RegWriteValue(eventLabel, eventKeyPath.data, "", HKEY_CURRENT_USER, REG_SZ);

    eventKeyPath.AssignConcatText(kSchemePrefix, name);
    RegKey scheme;
    RegCreateKeyExA(HKEY_CURRENT_USER, eventKeyPath.data, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                    scheme.Receive(), nullptr);
}

void WriteProductRegistry()
{
    TextBuffer value(TextBuffer::NoShrink);
    value.ResizeDiscard(300);

    ConcatParts(value, 1, DestinationFolder.data, DestinationFolder.length - 1);
    Write(value, HKEY_LOCAL_MACHINE, kHelp, "zv2help.hlp");
    Write(value.AssignText("Zevrin 2"), HKEY_LOCAL_MACHINE, kUninstall, "DisplayName");
    Write(value.AssignConcat(DestinationFolder, "setup.exe uninstall"), HKEY_LOCAL_MACHINE, kUninstall,
          "UninstallString");
    Write(value.AssignText("zvlfile"), HKEY_CLASSES_ROOT, ".zvl", "");
    Write(value.AssignText("ZV macro list"), HKEY_CLASSES_ROOT, "zvlfile", "");
    Write(value.AssignConcat(DestinationFolder, "zv.exe,5"), HKEY_CLASSES_ROOT, "zvlfile\\DefaultIcon", "");
    Write(value.AssignText("Open"), HKEY_CLASSES_ROOT, "zvlfile\\Shell", "");
    Write(value.AssignConcat(DestinationFolder, "zv.exe \"%1\""), HKEY_CLASSES_ROOT, "zvlfile\\Shell\\Open\\command",
          "");
    Write(value.AssignConcat(DestinationFolder, "zv.exe LI \"%1\""), HKEY_CLASSES_ROOT,
          "zvlfile\\Shell\\Import\\command", "");
    Write(value.AssignText("Zevrin"), HKEY_CURRENT_USER, kSchemeApp, "");
    for (const SoundEvent& event : kSoundEvents) RegisterSoundEvent(event.name, event.label);
    value.Assign(DestinationFolder);
    if (value.EndsWith("\\", 1)) value.SetLength(value.length - 1, false);
    Write(value, HKEY_CURRENT_USER, kSettings, "instdir");

    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_DWORD, nullptr, nullptr);
}

bool RemoveSoundEvent(const char* name)
{
    RegRemoveKey("AppEvents\\EventLabels", name, HKEY_CURRENT_USER, false);
    removalKeyPath.AssignConcatText(kSchemePrefix, name);
    RegRemoveKey(removalKeyPath.data, ".current", HKEY_CURRENT_USER, false);
    RegRemoveKey(removalKeyPath.data, ".default", HKEY_CURRENT_USER, false);
    removalKeyPath.SetLength(static_cast<int32_t>(sizeof kSchemePrefix) - 2, true);
    return RegRemoveKey(removalKeyPath.data, name, HKEY_CURRENT_USER, false);
}

void RemoveProductRegistry()
{
    // Leaf first: each deletion meets a key whose listed subkeys are already gone.
    RegRemoveKey("zvlfile\\Shell\\Open", "command", HKEY_CLASSES_ROOT, false);
    RegRemoveKey("zvlfile\\Shell\\Import", "command", HKEY_CLASSES_ROOT, false);
    RegRemoveKey("zvlfile\\Shell", "Open", HKEY_CLASSES_ROOT, false);
    RegRemoveKey("zvlfile\\Shell", "Import", HKEY_CLASSES_ROOT, false);
    RegRemoveKey("zvlfile", "Shell", HKEY_CLASSES_ROOT, false);
    RegRemoveKey("zvlfile", "DefaultIcon", HKEY_CLASSES_ROOT, false);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, ".zvl");
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "zvlfile");
    RegRemoveKey("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", "ZV2", HKEY_LOCAL_MACHINE, false);
    RegRemoveValue(kHelp, "zv2help.hlp", HKEY_LOCAL_MACHINE);
    RegRemoveKey("Software\\Moravel\\ZV2", "settings", HKEY_CURRENT_USER, false);
    RegRemoveKey("Software\\Moravel\\ZV2", "toolbars", HKEY_CURRENT_USER, false);
    // Another subkey left by the product keeps ZV2; Software\Moravel itself always stays.
    RegRemoveKey("Software\\Moravel", "ZV2", HKEY_CURRENT_USER, true);
    for (const SoundEvent& event : kSoundEvents) RemoveSoundEvent(event.name);
    RegRemoveKey("AppEvents\\Schemes\\Apps", "Zevrin", HKEY_CURRENT_USER, false);

    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_DWORD, nullptr, nullptr);
}
