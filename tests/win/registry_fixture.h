#pragma once
// A private key under HKEY_CURRENT_USER, removed before and after each test.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>

inline const char kTestKey[] = "Software\\ZevrinTests";

inline void SetRaw(HKEY root, const char* path, const char* name, DWORD type, const void* bytes, DWORD size)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(bytes), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

inline void SetString(HKEY root, const char* path, const char* name, const std::string& text)
{
    SetRaw(root, path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

inline bool KeyExists(HKEY root, const char* path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Reads a value as the registry holds it: type and bytes, or false when missing.
inline bool GetRaw(HKEY root, const char* path, const char* name, DWORD* type, std::string* bytes)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    char data[4096];
    DWORD size = sizeof data;
    const LONG status = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return false;
    bytes->assign(data, size);
    return true;
}

// A REG_DWORD value, or false when it is missing or of another type.
inline bool GetNumber(HKEY root, const char* path, const char* name, DWORD* number)
{
    DWORD type;
    std::string bytes;
    if (!GetRaw(root, path, name, &type, &bytes) || type != REG_DWORD || bytes.size() != sizeof *number) return false;
    memcpy(number, bytes.data(), sizeof *number);
    return true;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { SHDeleteKeyA(HKEY_CURRENT_USER, kTestKey); }
    void TearDown() override { SHDeleteKeyA(HKEY_CURRENT_USER, kTestKey); }
};

// Restores one registry value (or its absence) when the test ends.
class SavedValue {
public:
    SavedValue(HKEY root, const char* path, const char* name) : root_(root), path_(path), name_(name)
    {
        existed_ = GetRaw(root, path, name, &type_, &bytes_);
    }
    ~SavedValue()
    {
        HKEY key;
        if (RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
        if (existed_)
            RegSetValueExA(key, name_.c_str(), 0, type_, reinterpret_cast<const BYTE*>(bytes_.data()),
                           static_cast<DWORD>(bytes_.size()));
        else
            RegDeleteValueA(key, name_.c_str());
        RegCloseKey(key);
    }
    SavedValue(const SavedValue&) = delete;
    SavedValue& operator=(const SavedValue&) = delete;

private:
    HKEY root_;
    std::string path_, name_, bytes_;
    DWORD type_ = 0;
    bool existed_ = false;
};
