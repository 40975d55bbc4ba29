#include "platform/win32/windows_clean.h"
#include "platform/win32/win32_platform.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/win32_handles.h"

namespace qm::win32 {

namespace {

// Value names are counted: the native registry takes any character in a
// name, NUL included, and RegEnumValueA hands such a name over whole. The
// other A calls end a name at its first NUL and so would name another
// value; a name with a NUL inside goes through the native calls, which
// take counted names.
bool HasNul(const std::string& name) { return name.find('\0') != std::string::npos; }

struct CountedName {  // UNICODE_STRING
    USHORT Length;
    USHORT MaximumLength;
    PWSTR Buffer;
};

struct PartialValueInformation {  // KEY_VALUE_PARTIAL_INFORMATION
    ULONG TitleIndex;
    ULONG Type;
    ULONG DataLength;
    UCHAR Data[1];
};
constexpr int kKeyValuePartialInformation = 2;

using NtQueryValueKeyFn = LONG(NTAPI*)(HANDLE, CountedName*, int, PVOID, ULONG, PULONG);
using NtDeleteValueKeyFn = LONG(NTAPI*)(HANDLE, CountedName*);
using NtSetValueKeyFn = LONG(NTAPI*)(HANDLE, CountedName*, ULONG, ULONG, PVOID, ULONG);
using RtlNtStatusToDosErrorFn = ULONG(NTAPI*)(LONG);

// ntdll is in every process; its functions are looked up, never imported.
template <class Fn>
Fn Native(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

long ErrorOf(LONG status) {
    if (status == 0) return ERROR_SUCCESS;
    const auto convert = Native<RtlNtStatusToDosErrorFn>("RtlNtStatusToDosError");
    return convert ? static_cast<long>(convert(status)) : ERROR_INVALID_FUNCTION;
}

std::wstring CountedWide(const char* text, size_t size) {
    if (size == 0) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(size), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(size), wide.data(), n);
    return wide;
}

std::vector<std::uint8_t> CountedAnsi(const wchar_t* text, size_t chars) {
    if (chars == 0) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(chars), nullptr, 0, nullptr, nullptr);
    std::vector<std::uint8_t> ansi(static_cast<size_t>(n > 0 ? n : 0));
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(chars), reinterpret_cast<char*>(ansi.data()), n, nullptr,
                            nullptr);
    return ansi;
}

bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// The type and data of the value of that counted name, text in the ANSI code
// page as RegQueryValueExA gives it.
long NativeQuery(HKEY key, const std::string& name, std::uint32_t& type, std::vector<std::uint8_t>& data) {
    const auto query = Native<NtQueryValueKeyFn>("NtQueryValueKey");
    if (!query) return ERROR_INVALID_FUNCTION;
    std::wstring wide = CountedWide(name.data(), name.size());
    CountedName counted{static_cast<USHORT>(wide.size() * sizeof(wchar_t)),
                        static_cast<USHORT>(wide.size() * sizeof(wchar_t)), wide.data()};
    std::vector<std::uint8_t> buffer(256);
    for (;;) {
        ULONG needed = 0;
        const LONG status = query(key, &counted, kKeyValuePartialInformation, buffer.data(),
                                  static_cast<ULONG>(buffer.size()), &needed);
        constexpr LONG kBufferOverflow = static_cast<LONG>(0x80000005), kBufferTooSmall = static_cast<LONG>(0xC0000023);
        if ((status == kBufferOverflow || status == kBufferTooSmall) && needed > buffer.size()) {
            buffer.resize(needed);
            continue;
        }
        if (status != 0) return ErrorOf(status);
        break;
    }
    const auto* info = reinterpret_cast<const PartialValueInformation*>(buffer.data());
    type = info->Type;
    if (IsTextType(info->Type)) {
        data = CountedAnsi(reinterpret_cast<const wchar_t*>(info->Data), info->DataLength / sizeof(wchar_t));
    } else {
        data.assign(info->Data, info->Data + info->DataLength);
    }
    return ERROR_SUCCESS;
}

}  // namespace

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
    if (HasNul(name)) {
        std::vector<std::uint8_t> data;
        const long rc = NativeQuery(AsKey(key), name, type, data);
        size = static_cast<std::uint32_t>(data.size());
        return rc;
    }
    DWORD t = 0, s = 0;
    long rc = RegQueryValueExA(AsKey(key), name.c_str(), nullptr, &t, nullptr, &s);
    type = t;
    size = s;
    return rc;
}

long Win32Registry::QueryValue(KeyHandle key, const std::string& name, std::uint32_t size, RegValue& out) {
    if (HasNul(name)) {
        RegValue value;
        const long rc = NativeQuery(AsKey(key), name, value.type, value.data);
        if (rc != ERROR_SUCCESS) return rc;
        if (value.data.size() > size) return ERROR_MORE_DATA;
        out = std::move(value);
        return rc;
    }
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
    if (HasNul(name)) {
        const auto erase = Native<NtDeleteValueKeyFn>("NtDeleteValueKey");
        if (!erase) return ERROR_INVALID_FUNCTION;
        std::wstring wide = CountedWide(name.data(), name.size());
        CountedName counted{static_cast<USHORT>(wide.size() * sizeof(wchar_t)),
                            static_cast<USHORT>(wide.size() * sizeof(wchar_t)), wide.data()};
        return ErrorOf(erase(AsKey(key), &counted));
    }
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
    if (HasNul(name)) {
        const auto set = Native<NtSetValueKeyFn>("NtSetValueKey");
        if (!set) return ERROR_INVALID_FUNCTION;
        std::wstring wide = CountedWide(name.data(), name.size());
        CountedName counted{static_cast<USHORT>(wide.size() * sizeof(wchar_t)),
                            static_cast<USHORT>(wide.size() * sizeof(wchar_t)), wide.data()};
        std::wstring text;
        std::vector<std::uint8_t> bytes = data;
        if (IsTextType(type)) {
            text = CountedWide(reinterpret_cast<const char*>(data.data()), data.size());
            bytes.assign(reinterpret_cast<const std::uint8_t*>(text.data()),
                         reinterpret_cast<const std::uint8_t*>(text.data() + text.size()));
        }
        return ErrorOf(set(AsKey(key), &counted, 0, type, bytes.data(), static_cast<ULONG>(bytes.size())));
    }
    return RegSetValueExA(AsKey(key), name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
}

}  // namespace qm::win32
