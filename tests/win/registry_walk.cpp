#include "tests/win/registry_walk.h"

#include <set>
#include <vector>

void WalkKey(HKEY root, const char* rootName, const std::string& path, std::map<std::string, std::string>* out)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    std::set<std::string> values;
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD nameSize = sizeof name, type = 0;
        BYTE data[4096];
        DWORD dataSize = sizeof data;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        values.insert(std::string(name) + "=" + std::to_string(type) + ":" +
                      std::string(reinterpret_cast<char*>(data), dataSize));
    }
    std::string text;
    for (const std::string& v : values) text += v + "\n";
    (*out)[std::string(rootName) + "\\" + path] = text;
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.push_back(name);
    }
    RegCloseKey(key);
    for (const std::string& sub : subkeys) WalkKey(root, rootName, path + "\\" + sub, out);
}
