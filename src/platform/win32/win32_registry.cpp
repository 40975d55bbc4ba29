#include "platform/win32/windows_clean.h"
#include "platform/win32/win32_platform.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace qm::win32 {

namespace {

// Value names are counted: the native registry takes any character in a
// name, NUL included, and RegEnumValueW hands such a name over whole. The
// other W calls end a name at its first NUL and so would name another
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

CountedName Counted(std::wstring& wide) {
    const auto bytes = static_cast<USHORT>(wide.size() * sizeof(wchar_t));
    return {bytes, bytes, wide.data()};
}

bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Text data as the program holds it: the UTF-16 units in UTF-8, NULs kept
// (an odd last byte is no unit and is dropped).
std::vector<std::uint8_t> TextData(const std::uint8_t* data, size_t bytes) {
    std::u16string units(bytes / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * 2);
    const std::string text = Utf8FromUtf16(units);
    return {text.begin(), text.end()};
}

// The data of a value as it is read: text in UTF-8, anything else as stored.
std::vector<std::uint8_t> DataAsRead(DWORD type, const std::uint8_t* data, size_t bytes) {
    if (IsTextType(type)) return TextData(data, bytes);
    return {data, data + bytes};
}

// The type and data of the value of that counted name, text in UTF-8.
long NativeQuery(HKEY key, const std::string& name, std::uint32_t& type, std::vector<std::uint8_t>& data) {
    const auto query = Native<NtQueryValueKeyFn>("NtQueryValueKey");
    if (!query) return ERROR_INVALID_FUNCTION;
    std::wstring wide;
    if (!ToWide(name, wide)) return kErrorNoUnicodeTranslation;
    CountedName counted = Counted(wide);
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
    data = DataAsRead(info->Type, info->Data, info->DataLength);
    return ERROR_SUCCESS;
}

// The type and data of the value of a name without NULs: RegQueryValueExW,
// asked again with a larger buffer while the value grows between the calls.
long WideQuery(HKEY key, const std::string& name, std::uint32_t& type, std::vector<std::uint8_t>& data) {
    std::wstring wide;
    if (!ToWide(name, wide)) return kErrorNoUnicodeTranslation;
    std::vector<std::uint8_t> buffer(256);
    for (;;) {
        DWORD t = 0, size = static_cast<DWORD>(buffer.size());
        const long rc = RegQueryValueExW(key, wide.c_str(), nullptr, &t, buffer.data(), &size);
        if (rc == ERROR_MORE_DATA && size > buffer.size()) {
            buffer.resize(size);
            continue;
        }
        if (rc != ERROR_SUCCESS) return rc;
        type = t;
        data = DataAsRead(t, buffer.data(), std::min<size_t>(size, buffer.size()));
        return ERROR_SUCCESS;
    }
}

long Query(HKEY key, const std::string& name, std::uint32_t& type, std::vector<std::uint8_t>& data) {
    return HasNul(name) ? NativeQuery(key, name, type, data) : WideQuery(key, name, type, data);
}

}  // namespace

long Win32Registry::OpenKey(KeyHandle parent, const std::string& subKey, std::uint32_t access, KeyHandle& out) {
    std::wstring wide;
    if (!ToWide(subKey, wide)) return kErrorNoUnicodeTranslation;
    HKEY key = nullptr;
    long rc = RegOpenKeyExW(AsKey(parent), wide.c_str(), 0, access, &key);
    if (rc == ERROR_SUCCESS) out = FromRaw<KeyHandle>(key);
    return rc;
}

long Win32Registry::CloseKey(KeyHandle key) { return RegCloseKey(AsKey(key)); }

long Win32Registry::QueryInfoKey(KeyHandle key, std::uint32_t& subKeys, std::uint32_t& values) {
    DWORD k = 0, v = 0;
    long rc = RegQueryInfoKeyW(AsKey(key), nullptr, nullptr, nullptr, &k, nullptr, nullptr, &v, nullptr, nullptr,
                               nullptr, nullptr);
    subKeys = k;
    values = v;
    return rc;
}

// Value names are at most 16,383 characters; one buffer of that size saves
// asking the key for its longest name on every call. The size is counted in
// characters, whatever they are.
constexpr DWORD kNameChars = 16384;

long Win32Registry::EnumValue(KeyHandle key, std::uint32_t index, std::string& name) {
    names_.resize(kNameChars);
    DWORD size = kNameChars;
    long rc = RegEnumValueW(AsKey(key), index, names_.data(), &size, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_SUCCESS) name = FromWide(names_.data(), std::min<size_t>(size, kNameChars));
    return rc;
}

long Win32Registry::EnumValueData(KeyHandle key, std::uint32_t index, std::uint32_t size, std::string& name,
                                  RegValue& out) {
    names_.resize(kNameChars);
    data_.resize(size);
    DWORD chars = kNameChars, type = 0, bytes = size;
    const long rc = RegEnumValueW(AsKey(key), index, names_.data(), &chars, nullptr, &type, data_.data(), &bytes);
    if (rc != ERROR_SUCCESS) return rc;
    RegValue value;
    value.type = type;
    value.data = DataAsRead(type, data_.data(), std::min<size_t>(bytes, data_.size()));
    // Text grows on its way to UTF-8; the caller's bound is on what it holds.
    if (value.data.size() > size) return ERROR_MORE_DATA;
    name = FromWide(names_.data(), std::min<size_t>(chars, kNameChars));
    out = std::move(value);
    return rc;
}

long Win32Registry::EnumKey(KeyHandle key, std::uint32_t index, std::string& name) {
    wchar_t buffer[256];  // key names are at most 255 characters
    DWORD size = static_cast<DWORD>(std::size(buffer));
    long rc = RegEnumKeyExW(AsKey(key), index, buffer, &size, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_SUCCESS) name = FromWide(buffer, std::min<size_t>(size, std::size(buffer)));
    return rc;
}

// The sizes are those of the data as the program holds it: text in UTF-8.
long Win32Registry::QueryValueInfo(KeyHandle key, const std::string& name, std::uint32_t& type, std::uint32_t& size) {
    std::vector<std::uint8_t> data;
    const long rc = Query(AsKey(key), name, type, data);
    size = static_cast<std::uint32_t>(data.size());
    return rc;
}

long Win32Registry::QueryValue(KeyHandle key, const std::string& name, std::uint32_t size, RegValue& out) {
    RegValue value;
    const long rc = Query(AsKey(key), name, value.type, value.data);
    if (rc != ERROR_SUCCESS) return rc;
    if (value.data.size() > size) return ERROR_MORE_DATA;
    out = std::move(value);
    return rc;
}

long Win32Registry::DeleteValue(KeyHandle key, const std::string& name) {
    std::wstring wide;
    if (!ToWide(name, wide)) return kErrorNoUnicodeTranslation;
    if (HasNul(name)) {
        const auto erase = Native<NtDeleteValueKeyFn>("NtDeleteValueKey");
        if (!erase) return ERROR_INVALID_FUNCTION;
        CountedName counted = Counted(wide);
        return ErrorOf(erase(AsKey(key), &counted));
    }
    return RegDeleteValueW(AsKey(key), wide.c_str());
}

long Win32Registry::DeleteKey(KeyHandle key, const std::string& subKey) {
    std::wstring wide;
    if (!ToWide(subKey, wide)) return kErrorNoUnicodeTranslation;
    return RegDeleteKeyW(AsKey(key), wide.c_str());
}

long Win32Registry::CreateKey(KeyHandle parent, const std::string& subKey, std::uint32_t access, KeyHandle& out) {
    std::wstring wide;
    if (!ToWide(subKey, wide)) return kErrorNoUnicodeTranslation;
    HKEY key = nullptr;
    long rc = RegCreateKeyExW(AsKey(parent), wide.c_str(), 0, nullptr, 0, access, nullptr, &key, nullptr);
    if (rc == ERROR_SUCCESS) out = FromRaw<KeyHandle>(key);
    return rc;
}

long Win32Registry::SetValue(KeyHandle key, const std::string& name, std::uint32_t type,
                             const std::vector<std::uint8_t>& data) {
    std::wstring wide, text;
    if (!ToWide(name, wide)) return kErrorNoUnicodeTranslation;
    std::vector<std::uint8_t> bytes = data;
    if (IsTextType(type)) {
        if (!ToWide(std::string(data.begin(), data.end()), text)) return kErrorNoUnicodeTranslation;
        bytes.assign(reinterpret_cast<const std::uint8_t*>(text.data()),
                     reinterpret_cast<const std::uint8_t*>(text.data() + text.size()));
    }
    if (HasNul(name)) {
        const auto set = Native<NtSetValueKeyFn>("NtSetValueKey");
        if (!set) return ERROR_INVALID_FUNCTION;
        CountedName counted = Counted(wide);
        return ErrorOf(set(AsKey(key), &counted, 0, type, bytes.data(), static_cast<ULONG>(bytes.size())));
    }
    return RegSetValueExW(AsKey(key), wide.c_str(), 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
}

}  // namespace qm::win32
