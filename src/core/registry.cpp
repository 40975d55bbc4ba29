#include "core/registry.h"

#include <cstring>
#include <iterator>

#include "core/errors.h"

namespace qm {

void Registry::SetRootKey(KeyHandle root) {
    if (root == root_) return;
    CloseKey();
    root_ = root;
}

bool Registry::OpenKey(const std::string& path, bool canCreate, std::uint32_t access) {
    (void)canCreate;  // the program never creates keys
    const bool fromRoot = !path.empty() && path[0] == '\\';
    const std::string relative = fromRoot ? path.substr(1) : path;
    const KeyHandle parent = (fromRoot || !current_) ? root_ : current_;
    KeyHandle opened;
    lastOpenError_ = registry_.OpenKey(parent, relative, access | ViewAccessFlag(view_), opened);
    if (lastOpenError_ != kErrorSuccess) return false;
    CloseKey();
    current_ = opened;
    return true;
}

void Registry::GetValueNames(std::vector<std::string>& names) {
    names.clear();
    std::uint32_t subKeys = 0, values = 0;
    if (!current_ || registry_.QueryInfoKey(current_, subKeys, values) != kErrorSuccess) return;
    for (std::uint32_t i = 0; i < values; ++i) {
        std::string name;
        if (registry_.EnumValue(current_, i, name) != kErrorSuccess) break;  // removed meanwhile
        names.push_back(std::move(name));
    }
}

void Registry::GetKeyNames(std::vector<std::string>& names) {
    names.clear();
    std::uint32_t subKeys = 0, values = 0;
    if (!current_ || registry_.QueryInfoKey(current_, subKeys, values) != kErrorSuccess) return;
    for (std::uint32_t i = 0; i < subKeys; ++i) {
        std::string name;
        if (registry_.EnumKey(current_, i, name) != kErrorSuccess) break;
        names.push_back(std::move(name));
    }
}

namespace {

bool IsText(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz; }

constexpr const char* kTypeNames[] = {"REG_NONE",
                                      "REG_SZ",
                                      "REG_EXPAND_SZ",
                                      "REG_BINARY",
                                      "REG_DWORD",
                                      "REG_DWORD_BIG_ENDIAN",
                                      "REG_LINK",
                                      "REG_MULTI_SZ",
                                      "REG_RESOURCE_LIST",
                                      "REG_FULL_RESOURCE_DESCRIPTOR",
                                      "REG_RESOURCE_REQUIREMENTS_LIST",
                                      "REG_QWORD"};

}  // namespace

std::string ValueTypeAndSize(std::uint32_t type, std::uint32_t size) {
    const std::string typeName =
        type < std::size(kTypeNames) ? std::string(kTypeNames[type]) : FormatMessage1("type 0x%X", unsigned{type});
    return typeName + ", " + std::to_string(size) + (size == 1 ? " byte" : " bytes");
}

std::string DescribeValueType(std::uint32_t type, std::uint32_t size) {
    return "(" + ValueTypeAndSize(type, size) + ")";
}

namespace {

std::string TextOf(const RegValue& value) {
    if (value.data.empty()) return {};
    const char* text = reinterpret_cast<const char*>(value.data.data());
    return std::string(text, strnlen(text, value.data.size()));
}

// What ReadString gives for a value read whole. A value without data is
// empty text whatever its type: it names nothing, as an absent value does.
ValueText TextOrType(const RegValue& value) {
    if (value.data.empty() || IsText(value.type)) return {TextOf(value)};
    return {DescribeValueType(value.type, static_cast<std::uint32_t>(value.data.size())), value.type};
}

}  // namespace

ValueText Registry::ReadValueText(const std::string& name) {
    if (!current_) return {};
    if (readOnce_) {
        RegValue value;
        if (registry_.QueryValue(current_, name, kOneReadBytes, value) == kErrorSuccess) return TextOrType(value);
        // Too large, refused or gone: the two reads below say which, as
        // they always have.
    }
    return ReadInTwoReads(name);
}

void Registry::ForEachValueText(const std::function<void(const std::string& name, const ValueText& text)>& each) {
    std::uint32_t subKeys = 0, values = 0;
    if (!current_ || registry_.QueryInfoKey(current_, subKeys, values) != kErrorSuccess) return;
    for (std::uint32_t i = 0; i < values; ++i) {
        std::string name;
        RegValue value;
        const long read = registry_.EnumValueData(current_, i, kOneReadBytes, name, value);
        if (read == kErrorSuccess) {
            each(name, TextOrType(value));
            continue;
        }
        if (read == kErrorNoMoreItems) break;  // removed meanwhile
        // Larger than the buffer or refused: the name alone, then the reads
        // that say which, as ReadString's do.
        if (registry_.EnumValue(current_, i, name) != kErrorSuccess) break;
        each(name, ReadInTwoReads(name));
    }
}

ValueText Registry::ReadInTwoReads(const std::string& name) {
    std::uint32_t type = 0, size = 0;
    if (registry_.QueryValueInfo(current_, name, type, size) != kErrorSuccess) return {};
    // No data, of any type: empty text. Data that is not text is never run
    // as a command, but it is an entry all the same: its type and size
    // show, and the scan goes on.
    if (size == 0) return {};
    if (!IsText(type)) return {DescribeValueType(type, size), type};
    RegValue value;
    if (registry_.QueryValue(current_, name, size, value) != kErrorSuccess)
        throw QuellmarkError(FormatMessage1("Failed to get data for '%s'", name));
    // Replaced between the two reads by a value of another type.
    return TextOrType(value);
}

long ReadKeyValue(IRegistry& registry, KeyHandle key, const std::string& name, RegValue& value) {
    value = RegValue{};
    std::uint32_t type = 0, size = 0;
    if (const long error = registry.QueryValueInfo(key, name, type, size); error != kErrorSuccess) return error;
    value.type = type;
    if (size == 0) return kErrorSuccess;
    return registry.QueryValue(key, name, size, value);
}

long Registry::ReadValue(const std::string& name, RegValue& value) {
    value = RegValue{};
    if (!current_) return kErrorInvalidHandle;
    return ReadKeyValue(registry_, current_, name, value);
}

bool Registry::WriteValue(const std::string& name, const RegValue& value) {
    return current_ && registry_.SetValue(current_, name, value.type, value.data) == kErrorSuccess;
}

bool Registry::DeleteValue(const std::string& name) {
    return current_ && registry_.DeleteValue(current_, name) == kErrorSuccess;
}

void Registry::CloseKey() {
    if (!current_) return;
    registry_.CloseKey(current_);
    current_ = KeyHandle{};
}

}  // namespace qm
