// The registry operations against the real registry of the test prefix.
#include <windows.h>

#include <string>
#include <vector>

#include "base/product_names.h"
#include "registry/registry.h"
#include "tests/buffer_checks.h"
#include "tests/win/import_patch.h"
#include "tests/win/registry_fixture.h"

namespace {

int32_t Read(TextBuffer& b, const char* name, const char* def = nullptr, DWORD type = REG_SZ)
{
    return RegReadString(b, kTestKey, name, def, HKEY_CURRENT_USER, type);
}

// Records every size offered to RegQueryValueExA and can grow the value after the first query.
std::vector<DWORD> offered;
bool growAfterFirstQuery;
ImportPatch* queryPatch;

LONG WINAPI WatchQuery(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size)
{
    offered.push_back(size ? *size : 0);
    auto original = queryPatch->Original<decltype(&RegQueryValueExA)>();
    const LONG status = original(key, name, reserved, type, data, size);
    if (growAfterFirstQuery && offered.size() == 1) SetString(HKEY_CURRENT_USER, kTestKey, name, std::string(5000, 'g'));
    return status;
}

std::vector<REGSAM> masks;
ImportPatch* openPatch;
ImportPatch* createPatch;

LONG WINAPI WatchOpen(HKEY root, LPCSTR path, DWORD options, REGSAM sam, PHKEY key)
{
    masks.push_back(sam);
    return openPatch->Original<decltype(&RegOpenKeyExA)>()(root, path, options, sam, key);
}

LONG WINAPI WatchCreate(HKEY root, LPCSTR path, DWORD reserved, LPSTR cls, DWORD options, REGSAM sam,
                        LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition)
{
    masks.push_back(sam);
    return createPatch->Original<decltype(&RegCreateKeyExA)>()(root, path, reserved, cls, options, sam, security, key,
                                                              disposition);
}

}  // namespace

TEST_F(RegistryTest, LongValueIsReadWholeThroughOneSecondQuery)
{
    SetString(HKEY_CURRENT_USER, kTestKey, "long", std::string(1000, 'L'));
    ImportPatch patch("advapi32.dll", "RegQueryValueExA", reinterpret_cast<void*>(WatchQuery));
    ASSERT_TRUE(patch.Active());
    queryPatch = &patch;
    offered.clear();
    growAfterFirstQuery = false;

    TextBuffer b;
    EXPECT_EQ(Read(b, "long"), 1001);
    EXPECT_EQ(b.Length(), 1000);
    EXPECT_EQ(Bytes(b), std::string(1000, 'L'));
    EXPECT_TRUE(Terminated(b));
    EXPECT_EQ(offered, (std::vector<DWORD>{300, 1001}));
}

TEST_F(RegistryTest, ValueThatGrowsBetweenTheQueriesFailsTheRead)
{
    SetString(HKEY_CURRENT_USER, kTestKey, "growing", std::string(1000, 'x'));
    ImportPatch patch("advapi32.dll", "RegQueryValueExA", reinterpret_cast<void*>(WatchQuery));
    queryPatch = &patch;
    offered.clear();
    growAfterFirstQuery = true;

    TextBuffer b;
    Fill(b, "default");
    EXPECT_EQ(Read(b, "growing", "fallback"), 0);
    EXPECT_EQ(Bytes(b), "fallback");
    EXPECT_EQ(offered.size(), 2u) << "one retry only";
    growAfterFirstQuery = false;
}

TEST_F(RegistryTest, EmptyMissingAndOtherTypes)
{
    SetString(HKEY_CURRENT_USER, kTestKey, "empty", "");
    const DWORD number = 7;
    SetRaw(HKEY_CURRENT_USER, kTestKey, "dword", REG_DWORD, &number, sizeof number);
    SetRaw(HKEY_CURRENT_USER, kTestKey, "binary", REG_BINARY, "ab\0c", 4);
    SetRaw(HKEY_CURRENT_USER, kTestKey, "multi", REG_MULTI_SZ, "a\0b\0", 5);
    SetRaw(HKEY_CURRENT_USER, kTestKey, "expand", REG_EXPAND_SZ, "%TEMP%", 7);

    TextBuffer b;
    EXPECT_EQ(Read(b, "empty"), 1);
    EXPECT_EQ(b.Length(), 0);
    ASSERT_NE(b.Data(), nullptr);

    for (const char* name : {"dword", "binary", "multi", "expand", "missing"}) {
        TextBuffer none;
        EXPECT_EQ(Read(none, name), 0) << name;
        EXPECT_EQ(none.Data(), nullptr) << name << ": no default leaves no block";
        TextBuffer withDefault;
        EXPECT_EQ(Read(withDefault, name, "def"), 0) << name;
        EXPECT_EQ(Bytes(withDefault), "def") << name;
    }
    TextBuffer e;
    EXPECT_EQ(Read(e, "expand", nullptr, REG_EXPAND_SZ), 7) << "the expected type decides";

    TextBuffer missingKey;
    EXPECT_EQ(RegReadString(missingKey, "Software\\ZevrinTests\\NoSuchKey", "x", "d", HKEY_CURRENT_USER, REG_SZ), 0);
    EXPECT_EQ(Bytes(missingKey), "d");
}

TEST_F(RegistryTest, DefaultMayBeTheBuffersOwnText)
{
    SetString(HKEY_CURRENT_USER, kTestKey, "other", "x");
    TextBuffer b;
    Fill(b, "C:\\Program Files\\Zevrin 2");
    EXPECT_EQ(Read(b, "missing", b.Data()), 0);
    EXPECT_EQ(Bytes(b), "C:\\Program Files\\Zevrin 2");
    EXPECT_EQ(RegReadString(b, "Software\\NoSuchKeyAtAll", "x", b.Data(), HKEY_CURRENT_USER, REG_SZ), 0);
    EXPECT_EQ(Bytes(b), "C:\\Program Files\\Zevrin 2");
}

TEST_F(RegistryTest, BadlyStoredAndHugeValues)
{
    // A string stored without its zero byte keeps its last character.
    SetRaw(HKEY_CURRENT_USER, kTestKey, "unterminated", REG_SZ, "abc", 3);
    TextBuffer b;
    EXPECT_EQ(Read(b, "unterminated"), 4);
    EXPECT_EQ(Bytes(b), "abc");
    EXPECT_TRUE(Terminated(b));

    std::string huge(100000, 'h');
    SetString(HKEY_CURRENT_USER, kTestKey, "huge", huge);
    EXPECT_EQ(Read(b, "huge"), 100001);
    EXPECT_EQ(Bytes(b), huge);
    EXPECT_TRUE(Terminated(b));
}

TEST_F(RegistryTest, WritesCreateKeysAndStoreTheZeroByte)
{
    TextBuffer none;
    EXPECT_EQ(RegWriteValue(none, kTestKey, "blank", HKEY_CURRENT_USER, REG_SZ), 1);
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(GetRaw(HKEY_CURRENT_USER, kTestKey, "blank", &type, &bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, std::string(1, '\0'));

    TextBuffer text;
    Fill(text, "C:\\Zevrin 2");
    EXPECT_EQ(RegWriteValue(text, "Software\\ZevrinTests\\a\\b\\c", "", HKEY_CURRENT_USER, REG_SZ), 12);
    ASSERT_TRUE(GetRaw(HKEY_CURRENT_USER, "Software\\ZevrinTests\\a\\b\\c", "", &type, &bytes));
    EXPECT_EQ(bytes, std::string("C:\\Zevrin 2", 12));
}

TEST_F(RegistryTest, WriteUnderClassesRootCreatesTheWholeChain)
{
    SHDeleteKeyA(HKEY_CLASSES_ROOT, names::kListClass);
    TextBuffer command;
    Fill(command, "C:\\Zevrin 2\\zv.exe \"%1\"");
    EXPECT_EQ(RegWriteValue(command, names::kListOpenCommandKey, "", HKEY_CLASSES_ROOT, REG_SZ), command.Length() + 1);
    for (const char* path : {names::kListClass, names::kListShellKey, names::kListOpenKey, names::kListOpenCommandKey})
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, path)) << path;
    TextBuffer back;
    EXPECT_EQ(RegReadString(back, names::kListOpenCommandKey, "", nullptr, HKEY_CLASSES_ROOT, REG_SZ),
              command.Length() + 1);
    EXPECT_EQ(Bytes(back), Bytes(command));
    SHDeleteKeyA(HKEY_CLASSES_ROOT, names::kListClass);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, names::kListClass));
}

TEST_F(RegistryTest, RemoveKeyOnlyWhenItHasNoSubkeys)
{
    TextBuffer v;
    RegWriteValue(v, "Software\\ZevrinTests\\parent\\child", "x", HKEY_CURRENT_USER, REG_SZ);
    EXPECT_FALSE(RegRemoveKey(kTestKey, "parent", HKEY_CURRENT_USER, true));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\ZevrinTests\\parent"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\ZevrinTests\\parent\\child"));

    EXPECT_FALSE(RegRemoveKey(kTestKey, "nosuch", HKEY_CURRENT_USER, true));
    EXPECT_FALSE(RegRemoveKey(kTestKey, "nosuch", HKEY_CURRENT_USER, false));
    EXPECT_FALSE(RegRemoveKey("Software\\ZevrinTests\\NoParent", "child", HKEY_CURRENT_USER, false));

    EXPECT_TRUE(RegRemoveKey("Software\\ZevrinTests\\parent", "child", HKEY_CURRENT_USER, true));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\ZevrinTests\\parent\\child"));
    EXPECT_TRUE(RegRemoveKey(kTestKey, "parent", HKEY_CURRENT_USER, false));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\ZevrinTests\\parent"));
}

TEST_F(RegistryTest, RemoveValue)
{
    SetString(HKEY_CURRENT_USER, kTestKey, "gone", "x");
    EXPECT_EQ(RegRemoveValue(kTestKey, "gone", HKEY_CURRENT_USER), 1);
    EXPECT_EQ(RegRemoveValue(kTestKey, "gone", HKEY_CURRENT_USER), 0);
    EXPECT_EQ(RegRemoveValue("Software\\ZevrinTests\\NoSuchKey", "gone", HKEY_CURRENT_USER), 0);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kTestKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\ZevrinTests\\NoSuchKey")) << "removal creates nothing";
}

TEST_F(RegistryTest, EachOperationOpensWithItsOwnAccess)
{
    SetString(HKEY_CURRENT_USER, kTestKey, "v", "x");
    RegWriteValue(TextBuffer(), "Software\\ZevrinTests\\k", "v", HKEY_CURRENT_USER, REG_SZ);
    ImportPatch open("advapi32.dll", "RegOpenKeyExA", reinterpret_cast<void*>(WatchOpen));
    ImportPatch create("advapi32.dll", "RegCreateKeyExA", reinterpret_cast<void*>(WatchCreate));
    ASSERT_TRUE(open.Active() && create.Active());
    openPatch = &open;
    createPatch = &create;

    TextBuffer b;
    masks.clear();
    Read(b, "v");
    EXPECT_EQ(masks, (std::vector<REGSAM>{KEY_QUERY_VALUE}));
    masks.clear();
    RegWriteValue(b, kTestKey, "w", HKEY_CURRENT_USER, REG_SZ);
    EXPECT_EQ(masks, (std::vector<REGSAM>{KEY_SET_VALUE}));
    masks.clear();
    RegRemoveKey(kTestKey, "k", HKEY_CURRENT_USER, true);
    EXPECT_EQ(masks, (std::vector<REGSAM>{KEY_ALL_ACCESS, KEY_ENUMERATE_SUB_KEYS}));
    masks.clear();
    RegRemoveValue(kTestKey, "w", HKEY_CURRENT_USER);
    EXPECT_EQ(masks, (std::vector<REGSAM>{KEY_SET_VALUE}));
}

namespace {

int opened, closed;
ImportPatch* closePatch;

LONG WINAPI CountOpen(HKEY root, LPCSTR path, DWORD options, REGSAM sam, PHKEY key)
{
    const LONG status = openPatch->Original<decltype(&RegOpenKeyExA)>()(root, path, options, sam, key);
    if (status == ERROR_SUCCESS) ++opened;
    return status;
}

LONG WINAPI CountCreate(HKEY root, LPCSTR path, DWORD reserved, LPSTR cls, DWORD options, REGSAM sam,
                        LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition)
{
    const LONG status = createPatch->Original<decltype(&RegCreateKeyExA)>()(root, path, reserved, cls, options, sam,
                                                                           security, key, disposition);
    if (status == ERROR_SUCCESS) ++opened;
    return status;
}

LONG WINAPI CountClose(HKEY key)
{
    ++closed;
    return closePatch->Original<decltype(&RegCloseKey)>()(key);
}

void RunEveryOperation(int times)
{
    for (int i = 0; i < times; ++i) {
        TextBuffer b;
        Read(b, "v");                              // second query path
        Read(b, "missing");                        // value missing
        RegReadString(b, "Software\\ZevrinTests\\none", "v", nullptr, HKEY_CURRENT_USER, REG_SZ);
        RegWriteValue(b, "Software\\ZevrinTests\\w\\x", "v", HKEY_CURRENT_USER, REG_SZ);
        RegRemoveKey(kTestKey, "w", HKEY_CURRENT_USER, true);     // refused: has a subkey
        RegRemoveKey(kTestKey, "none", HKEY_CURRENT_USER, true);  // probe fails
        RegRemoveKey("Software\\ZevrinTests\\w", "x", HKEY_CURRENT_USER, false);
        RegRemoveValue(kTestKey, "missing", HKEY_CURRENT_USER);
        RegRemoveValue("Software\\ZevrinTests\\none", "v", HKEY_CURRENT_USER);
    }
}

}  // namespace

TEST_F(RegistryTest, EveryOpenedKeyIsClosed)
{
    SetString(HKEY_CURRENT_USER, kTestKey, "v", std::string(700, 'v'));
    {
        // Every successful open or create is matched by a close, failures included.
        ImportPatch open("advapi32.dll", "RegOpenKeyExA", reinterpret_cast<void*>(CountOpen));
        ImportPatch create("advapi32.dll", "RegCreateKeyExA", reinterpret_cast<void*>(CountCreate));
        ImportPatch close("advapi32.dll", "RegCloseKey", reinterpret_cast<void*>(CountClose));
        ASSERT_TRUE(open.Active() && create.Active() && close.Active());
        openPatch = &open;
        createPatch = &create;
        closePatch = &close;
        opened = closed = 0;
        RunEveryOperation(300);
        EXPECT_GT(opened, 300 * 5);
        EXPECT_EQ(opened, closed);
    }
}

TEST_F(RegistryTest, ProcessHandleCountIsUnchanged)
{
    SetString(HKEY_CURRENT_USER, kTestKey, "v", std::string(700, 'v'));
    DWORD before = 0, after = 0;
    GetProcessHandleCount(GetCurrentProcess(), &before);
    HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    GetProcessHandleCount(GetCurrentProcess(), &after);
    CloseHandle(probe);
    if (after != before + 1) GTEST_SKIP() << "Wine 8's GetProcessHandleCount always reports " << after;
    GetProcessHandleCount(GetCurrentProcess(), &before);
    RunEveryOperation(300);
    GetProcessHandleCount(GetCurrentProcess(), &after);
    EXPECT_EQ(after, before);
}
