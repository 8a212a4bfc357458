#include "registry/product_entries.h"

#include <windows.h>
#include <shlobj.h>

#include "base/format.h"
#include "base/process_win32.h"
#include "base/product_names.h"
#include "registry/reg_key.h"
#include "registry/registry.h"

namespace {

using namespace names;

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


// How a row's data is made from its text.
enum class Data {
    Fixed,              // the text itself
    AfterDestination,   // the destination, ending in a backslash, followed by the text
    // A command line: a quote, the destination, then the text, which closes the quote after
    // the program's name. Unquoted, a destination with blanks would be read by trying each
    // stretch up to a blank as a program of its own ("C:\Apps\My.exe" for
    // "C:\Apps\My Tools\..."), and a program planted there would run in place of ours.
    Command,
    DestinationFolder,  // the destination without its trailing backslash
    // REG_DWORD rows:
    InstalledSize,  // the KB the files in the destination folder take, rounded up
    One,            // 1
};

struct ValueRow {
    HKEY root;
    const char* key;
    const char* name;  // "" is the key's default value
    Data kind;
    const char* text;
};

// Every value the install writes before the sound events, in order. The uninstall removes
// them by their keys: the Uninstall key and the file association go as a whole, the help value
// by its name.
const ValueRow kValueRows[] = {
    {HKEY_LOCAL_MACHINE, kHelpKey, kHelpFile, Data::DestinationFolder, nullptr},
    {HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", Data::Fixed, kProductTitle},
    {HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", Data::Command, "setup.exe\" uninstall"},
    // What the list of installed programs shows beside the name.
    {HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", Data::Fixed, kProductVersion},
    {HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher", Data::Fixed, kMakerName},
    {HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon", Data::AfterDestination, "zv.exe,0"},
    {HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation", Data::DestinationFolder, nullptr},
    {HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", Data::InstalledSize, nullptr},
    // Setup offers neither a change nor a repair: without these the list would show buttons
    // for both that only start the uninstall.
    {HKEY_LOCAL_MACHINE, kUninstallKey, "NoModify", Data::One, nullptr},
    {HKEY_LOCAL_MACHINE, kUninstallKey, "NoRepair", Data::One, nullptr},
    {HKEY_CLASSES_ROOT, kListExtension, "", Data::Fixed, kListClass},
    {HKEY_CLASSES_ROOT, kListClass, "", Data::Fixed, "ZV macro list"},
    {HKEY_CLASSES_ROOT, kListIconKey, "", Data::AfterDestination, "zv.exe,5"},
    {HKEY_CLASSES_ROOT, kListShellKey, "", Data::Fixed, "Open"},
    {HKEY_CLASSES_ROOT, kListOpenCommandKey, "", Data::Command, "zv.exe\" \"%1\""},
    {HKEY_CLASSES_ROOT, kListImportCommandKey, "", Data::Command, "zv.exe\" LI \"%1\""},
    {HKEY_CURRENT_USER, kSchemeKey, "", Data::Fixed, kSchemeName},
};

// The room the installed files take, in KB rounded up: the files directly in the destination
// folder (Backup holds the user's own earlier files). Looked up with a search of its own, so
// that the process-wide finder's open search is left alone.
DWORD InstalledKilobytes()
{
    TextBuffer pattern;
    pattern.AssignConcat(DestinationFolder, "*");
    unsigned long long bytes = 0;
    ForEachFound(
        pattern.Data(),
        [](const WIN32_FIND_DATAA& entry, void* total) {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                *static_cast<unsigned long long*>(total) +=
                    (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
            return true;
        },
        &bytes);
    const unsigned long long kilobytes = (bytes + 1023) / 1024;
    return kilobytes > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(kilobytes);
}

// Makes a row's data in `value` (the scratch buffer of the whole write) and writes it.
void WriteRow(TextBuffer& value, const ValueRow& row)
{
    switch (row.kind) {
    case Data::Fixed:
        value.AssignText(row.text);
        break;
    case Data::AfterDestination:
        value.AssignConcat(DestinationFolder, row.text);
        break;
    case Data::Command:
        FormatText(value, "\"~$", &DestinationFolder, row.text);
        break;
    case Data::DestinationFolder:
        value.Assign(DestinationFolder);
        if (value.EndsWith("\\", 1)) value.SetLength(value.Length() - 1, false);
        break;
    case Data::InstalledSize:
        RegWriteNumber(InstalledKilobytes(), row.key, row.name, row.root);
        return;
    case Data::One:
        RegWriteNumber(1, row.key, row.name, row.root);
        return;
    }
    RegWriteValue(value, row.key, row.name, row.root, REG_SZ);
}

// Written last, after the sound events: the folder the next install proposes.
const ValueRow kInstallFolderRow = {HKEY_CURRENT_USER, kSettingsKey, kInstallFolderValue, Data::DestinationFolder,
                                    nullptr};

}  // namespace

void RegisterSoundEvent(const char* name, const char* label)
{
    EventKeyPath.AddFlags(TextBuffer::NoShrink);
    EventLabel.AddFlags(TextBuffer::NoShrink);
    EventKeyPath.AssignConcatText(kLabelPrefix, name);
    EventLabel.AssignText(label);
    RegWriteValue(EventLabel, EventKeyPath.Data(), "", HKEY_CURRENT_USER, REG_SZ);

    EventKeyPath.AssignConcatText(kSchemePrefix, name);
    RegKey scheme;
    RegCreateKeyExA(HKEY_CURRENT_USER, EventKeyPath.Data(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                    scheme.Receive(), nullptr);
}

void WriteProductRegistry()
{
    TextBuffer value(TextBuffer::NoShrink);
    value.ResizeDiscard(300);

    for (const ValueRow& row : kValueRows) WriteRow(value, row);
    for (const SoundEvent& event : kSoundEvents) RegisterSoundEvent(event.name, event.label);
    WriteRow(value, kInstallFolderRow);

    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_DWORD, nullptr, nullptr);
}

bool RemoveSoundEvent(const char* name)
{
    RemovalKeyPath.AddFlags(TextBuffer::NoShrink);
    RegRemoveKey(kLabelParent, name, HKEY_CURRENT_USER, false);
    RemovalKeyPath.AssignConcatText(kSchemePrefix, name);
    RegRemoveKey(RemovalKeyPath.Data(), ".current", HKEY_CURRENT_USER, false);
    RegRemoveKey(RemovalKeyPath.Data(), ".default", HKEY_CURRENT_USER, false);
    RemovalKeyPath.SetLength(static_cast<int32_t>(sizeof kSchemePrefix) - 2, true);
    return RegRemoveKey(RemovalKeyPath.Data(), name, HKEY_CURRENT_USER, false);
}

void RemoveProductRegistry()
{
    // Leaf first: each deletion meets a key whose listed subkeys are already gone.
    static const char* const kListKeys[][2] = {
        {kListOpenKey, "command"}, {kListImportKey, "command"}, {kListShellKey, "Open"},
        {kListShellKey, "Import"}, {kListClass, "Shell"},       {kListClass, "DefaultIcon"},
    };
    for (const auto& key : kListKeys) RegRemoveKey(key[0], key[1], HKEY_CLASSES_ROOT, false);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kListExtension);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kListClass);
    // The entry in the list of installed programs goes as a whole, whatever values it holds.
    RegRemoveKey(kUninstallParent, kUninstallKeyName, HKEY_LOCAL_MACHINE, false);
    RegRemoveValue(kHelpKey, kHelpFile, HKEY_LOCAL_MACHINE);
    RegRemoveKey(kProductKey, kSettingsKeyName, HKEY_CURRENT_USER, false);
    RegRemoveKey(kProductKey, kToolbarsKeyName, HKEY_CURRENT_USER, false);
    // Another subkey left by the product keeps ZV2; Software\Moravel itself always stays.
    RegRemoveKey(kMakerKey, kProductKeyName, HKEY_CURRENT_USER, true);
    for (const SoundEvent& event : kSoundEvents) RemoveSoundEvent(event.name);
    RegRemoveKey(kSchemeParent, kSchemeName, HKEY_CURRENT_USER, false);

    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_DWORD, nullptr, nullptr);
}
