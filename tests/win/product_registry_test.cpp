// The product's registry entries against the prefix's real registry.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "base/product_names.h"
#include "base/process_win32.h"
#include "registry/product_entries.h"
#include "tests/win/import_patch.h"
#include "tests/win/registry_fixture.h"
#include "tests/win/registry_walk.h"

namespace {

constexpr const char* kHelp = names::kHelpKey;
constexpr const char* kUninstall = names::kUninstallKey;
const char* const kEvents[] = {"ZVCompileError", "ZVRunError", "ZVmes", "ZVinp", "ZVlist", "ZVTSmenu", "ZVTSmenu2"};
const char* const kLabels[] = {"Compile Error", "Run Time Error", "Message: mes", "Message: inp", "Message: list",
                               "T.S. Menu: activated", "T.S. Menu: execute item"};

std::string Text(HKEY root, const std::string& path, const char* name)
{
    DWORD type = 0;
    std::string bytes;
    if (!GetRaw(root, path.c_str(), name, &type, &bytes)) return "<missing>";
    if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
    if (bytes.empty() || bytes.back() != '\0') return "<no zero byte>";
    return bytes.substr(0, bytes.size() - 1);
}

// Everything the product's entries touch, as text.
std::map<std::string, std::string> Snapshot()
{
    std::map<std::string, std::string> all;
    WalkKey(HKEY_CLASSES_ROOT, "HKCR", names::kListExtension, &all);
    WalkKey(HKEY_CLASSES_ROOT, "HKCR", names::kListClass, &all);
    WalkKey(HKEY_LOCAL_MACHINE, "HKLM", kUninstall, &all);
    WalkKey(HKEY_LOCAL_MACHINE, "HKLM", kHelp, &all);
    WalkKey(HKEY_CURRENT_USER, "HKCU", names::kMakerKey, &all);
    WalkKey(HKEY_CURRENT_USER, "HKCU", names::kSchemeKey, &all);
    for (const char* event : kEvents) WalkKey(HKEY_CURRENT_USER, "HKCU", std::string(names::kLabelPrefix) + event, &all);
    return all;
}

void RemoveEverything()
{
    SHDeleteKeyA(HKEY_CLASSES_ROOT, names::kListExtension);
    SHDeleteKeyA(HKEY_CLASSES_ROOT, names::kListClass);
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstall);
    SHDeleteValueA(HKEY_LOCAL_MACHINE, kHelp, "zv2help.hlp");
    SHDeleteKeyA(HKEY_CURRENT_USER, names::kMakerKey);
    SHDeleteKeyA(HKEY_CURRENT_USER, names::kSchemeKey);
    for (const char* event : kEvents) SHDeleteKeyA(HKEY_CURRENT_USER, (std::string(names::kLabelPrefix) + event).c_str());
}

std::vector<std::string> created;
std::vector<std::string> notified;
ImportPatch* createPatch;
ImportPatch* notifyPatch;

LONG WINAPI RecordCreate(HKEY root, LPCSTR path, DWORD reserved, LPSTR cls, DWORD options, REGSAM sam,
                         LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition)
{
    created.push_back(path);
    return createPatch->Original<decltype(&RegCreateKeyExA)>()(root, path, reserved, cls, options, sam, security, key,
                                                              disposition);
}

void WINAPI RecordNotify(LONG event, UINT flags, LPCVOID first, LPCVOID second)
{
    notified.push_back(std::to_string(event) + "/" + std::to_string(flags) + (first || second ? "/items" : ""));
}

class ProductRegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveEverything();
        DestinationFolder.AssignText("D:\\Apps\\Macro\\");
    }
    void TearDown() override { RemoveEverything(); }
};

}  // namespace

TEST_F(ProductRegistryTest, EveryRowHoldsItsTextInItsOrder)
{
    ImportPatch create("advapi32.dll", "RegCreateKeyExA", reinterpret_cast<void*>(RecordCreate));
    ImportPatch notify("shell32.dll", "SHChangeNotify", reinterpret_cast<void*>(RecordNotify));
    ASSERT_TRUE(create.Active() && notify.Active());
    createPatch = &create;
    notifyPatch = &notify;
    created.clear();
    notified.clear();
    WriteProductRegistry();

    std::vector<std::string> order = {kHelp, kUninstall, kUninstall, kUninstall, kUninstall, kUninstall, kUninstall,
                                      kUninstall, kUninstall, kUninstall, names::kListExtension, names::kListClass, names::kListIconKey,
                                      names::kListShellKey, names::kListOpenCommandKey,
                                      names::kListImportCommandKey, names::kSchemeKey};
    for (const char* event : kEvents) {
        order.push_back(std::string(names::kLabelPrefix) + event);
        order.push_back(std::string(names::kSchemePrefix) + event);
    }
    order.push_back(names::kSettingsKey);
    EXPECT_EQ(created, order);
    EXPECT_EQ(notified, (std::vector<std::string>{std::to_string(SHCNE_ASSOCCHANGED) + "/3"}));

    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kHelp, "zv2help.hlp"), "D:\\Apps\\Macro");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kUninstall, "DisplayName"), "Zevrin 2");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kUninstall, "UninstallString"), "\"D:\\Apps\\Macro\\setup.exe\" uninstall");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, names::kListExtension, ""), names::kListClass);
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, names::kListClass, ""), "ZV macro list");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, names::kListIconKey, ""), "D:\\Apps\\Macro\\zv.exe,5");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, names::kListShellKey, ""), "Open");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, names::kListOpenCommandKey, ""), "\"D:\\Apps\\Macro\\zv.exe\" \"%1\"");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, names::kListImportCommandKey, ""), "\"D:\\Apps\\Macro\\zv.exe\" LI \"%1\"");
    EXPECT_EQ(Text(HKEY_CURRENT_USER, names::kSchemeKey, ""), "Zevrin");
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(Text(HKEY_CURRENT_USER, std::string(names::kLabelPrefix) + kEvents[i], ""), kLabels[i]);
        std::map<std::string, std::string> scheme;
        WalkKey(HKEY_CURRENT_USER, "HKCU", std::string(names::kSchemePrefix) + kEvents[i], &scheme);
        ASSERT_EQ(scheme.size(), 1u) << kEvents[i] << ": no subkeys";
        EXPECT_EQ(scheme.begin()->second, "") << kEvents[i] << ": no values";
    }
    EXPECT_EQ(Text(HKEY_CURRENT_USER, names::kSettingsKey, "instdir"), "D:\\Apps\\Macro");
}

TEST_F(ProductRegistryTest, InstallingTwiceWritesTheSameSet)
{
    WriteProductRegistry();
    const auto once = Snapshot();
    WriteProductRegistry();
    EXPECT_EQ(Snapshot(), once);
}

TEST_F(ProductRegistryTest, UninstallRestoresTheEarlierStateButKeepsMoravel)
{
    // Something of the user's beside the product's entries must survive.
    SetString(HKEY_LOCAL_MACHINE, kHelp, "other.hlp", "C:\\Other");
    const auto before = Snapshot();
    WriteProductRegistry();
    // A sound assigned to one event, and a legacy value directly in ZV2.
    SetString(HKEY_CURRENT_USER, "AppEvents\\Schemes\\Apps\\Zevrin\\ZVmes\\.current", "", "ding.wav");
    SetString(HKEY_CURRENT_USER, "AppEvents\\Schemes\\Apps\\Zevrin\\ZVmes\\.default", "", "ding.wav");
    SetString(HKEY_CURRENT_USER, names::kProductKey, "legacy", "x");
    SetString(HKEY_CURRENT_USER, "Software\\Moravel\\ZV2\\toolbars", "bar", "1");

    ImportPatch notify("shell32.dll", "SHChangeNotify", reinterpret_cast<void*>(RecordNotify));
    notified.clear();
    RemoveProductRegistry();
    EXPECT_EQ(notified.size(), 1u);

    auto after = Snapshot();
    EXPECT_EQ(after.count("HKCU\\Software\\Moravel"), 1u) << "kept on purpose";
    after.erase("HKCU\\Software\\Moravel");
    EXPECT_EQ(after, before);
    SHDeleteValueA(HKEY_LOCAL_MACHINE, kHelp, "other.hlp");
}

TEST_F(ProductRegistryTest, AForeignSubkeyKeepsZV2)
{
    WriteProductRegistry();
    SetString(HKEY_CURRENT_USER, "Software\\Moravel\\ZV2\\macros", "last", "x");
    RemoveProductRegistry();
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Moravel\\ZV2\\macros"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, names::kSettingsKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, names::kListClass));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, names::kSchemeKey));
}

TEST_F(ProductRegistryTest, RemovalWhereNothingExistsIsQuiet)
{
    const auto before = Snapshot();
    ImportPatch notify("shell32.dll", "SHChangeNotify", reinterpret_cast<void*>(RecordNotify));
    notified.clear();
    RemoveProductRegistry();
    RemoveProductRegistry();
    EXPECT_EQ(notified.size(), 2u) << "announced every time";
    EXPECT_EQ(Snapshot(), before);
    EXPECT_FALSE(RemoveSoundEvent("ZVmes"));
}
