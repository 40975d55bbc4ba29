#include "platform/win32/windows_clean.h"
#include "platform/win32/win32_platform.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/win32_handles.h"

namespace qm::win32 {

long Win32Registry::OpenKey(KeyHandle parent, const std::string& subKey, std::uint32_t access, KeyHandle& out) {
    HKEY key = nullptr;
    long rc = RegOpenKeyExA(AsKey(parent), subKey.c_str(), 0, access, &key);
    if (rc == ERROR_SUCCESS) out = FromRaw<KeyHandle>(key);
    return rc;
}

long Win32Registry::CloseKey(KeyHandle key) { return RegCloseKey(AsKey(key)); }

long Win32Registry::QueryInfoKey(KeyHandle key, std::uint32_t& subKeys, std::uint32_t& values) {
    DWORD k = 0, v = 0;
    long rc = RegQueryInfoKeyA(AsKey(key), nullptr, nullptr, nullptr, &k, nullptr, nullptr, &v, nullptr, nullptr,
                               nullptr, nullptr);
    subKeys = k;
    values = v;
    return rc;
}

long Win32Registry::EnumValue(KeyHandle key, std::uint32_t index, std::string& name) {
    // Value names are at most 16,383 characters; one buffer of that size
    // saves asking the key for its longest name on every call.
    char buffer[16384];
    DWORD size = sizeof(buffer);
    long rc = RegEnumValueA(AsKey(key), index, buffer, &size, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_SUCCESS) name.assign(buffer, size);
    return rc;
}

long Win32Registry::EnumKey(KeyHandle key, std::uint32_t index, std::string& name) {
    char buffer[256];  // key names are at most 255 characters
    DWORD size = sizeof(buffer);
    long rc = RegEnumKeyExA(AsKey(key), index, buffer, &size, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_SUCCESS) name.assign(buffer, size);
    return rc;
}

long Win32Registry::QueryValueInfo(KeyHandle key, const std::string& name, std::uint32_t& type, std::uint32_t& size) {
    DWORD t = 0, s = 0;
    long rc = RegQueryValueExA(AsKey(key), name.c_str(), nullptr, &t, nullptr, &s);
    type = t;
    size = s;
    return rc;
}

long Win32Registry::QueryValue(KeyHandle key, const std::string& name, std::uint32_t size, RegValue& out) {
    std::vector<std::uint8_t> data(size);
    DWORD t = 0, s = size;
    long rc = RegQueryValueExA(AsKey(key), name.c_str(), nullptr, &t, data.data(), &s);
    if (rc != ERROR_SUCCESS) return rc;
    data.resize(s);
    out.type = t;
    out.data = std::move(data);
    return rc;
}

long Win32Registry::DeleteValue(KeyHandle key, const std::string& name) {
    return RegDeleteValueA(AsKey(key), name.c_str());
}

long Win32Registry::DeleteKey(KeyHandle key, const std::string& subKey) {
    return RegDeleteKeyA(AsKey(key), subKey.c_str());
}

long Win32Registry::CreateKey(KeyHandle parent, const std::string& subKey, KeyHandle& out) {
    HKEY key = nullptr;
    long rc = RegCreateKeyExA(AsKey(parent), subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (rc == ERROR_SUCCESS) out = FromRaw<KeyHandle>(key);
    return rc;
}

long Win32Registry::SetValue(KeyHandle key, const std::string& name, std::uint32_t type,
                             const std::vector<std::uint8_t>& data) {
    return RegSetValueExA(AsKey(key), name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
}

}  // namespace qm::win32
