// Registry: a registry accessor holding a root key and at most one open key.
// A key is opened with only the rights its caller names, reading by default,
// and never created: a deny entry for a right the program does not use
// (KEY_CREATE_LINK, KEY_NOTIFY) cannot hide what the key holds.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/model/location.h"
#include "platform/platform.h"

namespace qm {

// The access flag that opens a key in `view` (none for the program's own).
constexpr std::uint32_t ViewAccessFlag(RegView view) {
    return view == RegView::Registry64 ? kKeyWow64_64Key : view == RegView::Registry32 ? kKeyWow64_32Key : 0;
}

// The value `name` of an open key, its type and data (QueryValueInfo,
// then QueryValue of that size). kErrorFileNotFound when it is absent.
long ReadKeyValue(IRegistry& registry, KeyHandle key, const std::string& name, RegValue& value);

// "REG_SZ, 6 bytes": a value's type and size.
std::string ValueTypeAndSize(std::uint32_t type, std::uint32_t size);
// "(REG_BINARY, 8 bytes)": what a value that is not text shows for its command.
std::string DescribeValueType(std::uint32_t type, std::uint32_t size);

// A value as a row shows it: its text, or for data that is not text its
// type and size, "(REG_DWORD, 4 bytes)", with the type kept.
struct ValueText {
    std::string text{};
    std::optional<std::uint32_t> nonTextType{};  // set: `text` names this type and the data's size
};

class Registry {
public:
    explicit Registry(IRegistry& registry) : registry_(registry) {}
    ~Registry() { CloseKey(); }
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    KeyHandle RootKey() const { return root_; }
    KeyHandle CurrentKey() const { return current_; }

    void SetRootKey(KeyHandle root);
    // The registry view the next keys are opened in (the open key stays).
    void SetView(RegView view) { view_ = view; }
    RegView View() const { return view_; }
    // A path with a leading backslash is opened below the root; any other
    // below the open key, or below the root when none is open.
    // `access` is what the key is opened for: its values read by default.
    bool OpenKey(const std::string& path, bool canCreate, std::uint32_t access = kKeyQueryValue);
    // What the last OpenKey failed with; kErrorSuccess after one that worked.
    long LastOpenError() const { return lastOpenError_; }
    void GetValueNames(std::vector<std::string>& names);
    void GetKeyNames(std::vector<std::string>& names);
    // Text of a REG_SZ or REG_EXPAND_SZ value up to its first NUL, not
    // expanded; empty for a missing or empty value. A value of any other
    // type reads as its type and size, "(REG_DWORD, 4 bytes)". Throws
    // "Failed to get data for '%s'" when the data cannot be read.
    std::string ReadString(const std::string& name) { return ReadValueText(name).text; }
    // The same, saying whether the text names a type.
    ValueText ReadValueText(const std::string& name);
    // The value's type and data as stored: kErrorSuccess, kErrorFileNotFound
    // when absent, or the error its read failed with.
    long ReadValue(const std::string& name, RegValue& value);
    bool WriteValue(const std::string& name, const RegValue& value);
    // Whether ReadString asks for the data at once, into a buffer of
    // kOneReadBytes, and asks for the type and size first only when that
    // read does not answer (larger data, a refusal, no such value). The
    // window keeps reading the size first; a program that only prints the
    // rows saves a registry call per value. The text read is the same.
    void ReadInOneCall(bool once) { readOnce_ = once; }
    bool ReadsInOneCall() const { return readOnce_; }
    static constexpr std::uint32_t kOneReadBytes = 64 * 1024;
    // Each value of the open key in the order GetValueNames lists them,
    // with its text as ReadString gives it, handed over the moment it is
    // read: the call that enumerates a value brings its data along where
    // it fits in kOneReadBytes, so a value costs one registry round trip,
    // not two or three. Where it does not fit, or refuses that read, the
    // name is enumerated alone and the text read as ReadString reads it.
    // Stops, as GetValueNames does, where the enumeration fails.
    void ForEachValueText(const std::function<void(const std::string& name, const ValueText& text)>& each);
    bool DeleteValue(const std::string& name);
    void CloseKey();

private:
    ValueText ReadInTwoReads(const std::string& name);

    IRegistry& registry_;
    KeyHandle root_ = kHkeyCurrentUser;
    KeyHandle current_;
    long lastOpenError_ = kErrorSuccess;
    RegView view_ = RegView::Default;
    bool readOnce_ = false;
};

}  // namespace qm
