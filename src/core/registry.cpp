#include "core/registry.h"

#include <cstring>

#include "core/errors.h"

namespace qm {

void TRegistry::SetRootKey(KeyHandle root) {
    if (root == root_) return;
    CloseKey();
    root_ = root;
}

bool TRegistry::OpenKey(const std::string& path, bool canCreate) {
    (void)canCreate;  // the program never creates keys
    const bool fromRoot = !path.empty() && path[0] == '\\';
    const std::string relative = fromRoot ? path.substr(1) : path;
    const KeyHandle parent = (fromRoot || !current_) ? root_ : current_;
    KeyHandle opened;
    const std::uint32_t viewFlag = view_ == RegView::Registry64   ? kKeyWow64_64Key
                                   : view_ == RegView::Registry32 ? kKeyWow64_32Key
                                                                  : 0;
    if (registry_.OpenKey(parent, relative, kAccess | viewFlag, opened) != kErrorSuccess) return false;
    CloseKey();
    current_ = opened;
    return true;
}

void TRegistry::GetValueNames(std::vector<std::string>& names) {
    names.clear();
    std::uint32_t subKeys = 0, values = 0;
    if (!current_ || registry_.QueryInfoKey(current_, subKeys, values) != kErrorSuccess) return;
    for (std::uint32_t i = 0; i < values; ++i) {
        std::string name;
        if (registry_.EnumValue(current_, i, name) != kErrorSuccess) break;  // removed meanwhile
        names.push_back(std::move(name));
    }
}

void TRegistry::GetKeyNames(std::vector<std::string>& names) {
    names.clear();
    std::uint32_t subKeys = 0, values = 0;
    if (!current_ || registry_.QueryInfoKey(current_, subKeys, values) != kErrorSuccess) return;
    for (std::uint32_t i = 0; i < subKeys; ++i) {
        std::string name;
        if (registry_.EnumKey(current_, i, name) != kErrorSuccess) break;
        names.push_back(std::move(name));
    }
}

std::string TRegistry::ReadString(const std::string& name) {
    if (!current_) return {};
    std::uint32_t type = 0, size = 0;
    if (registry_.QueryValueInfo(current_, name, type, size) != kErrorSuccess || size == 0) return {};
    RegValue value;
    if (registry_.QueryValue(current_, name, size, value) != kErrorSuccess)
        throw QuellmarkError(FormatMessage1("Failed to get data for '%s'", name));
    if (value.type != kRegSz && value.type != kRegExpandSz)
        throw QuellmarkError(FormatMessage1("Invalid data type for '%s'", name));
    const char* text = reinterpret_cast<const char*>(value.data.data());
    return std::string(text, strnlen(text, value.data.size()));
}

bool TRegistry::DeleteValue(const std::string& name) {
    return current_ && registry_.DeleteValue(current_, name) == kErrorSuccess;
}

void TRegistry::CloseKey() {
    if (!current_) return;
    registry_.CloseKey(current_);
    current_ = KeyHandle{};
}

}  // namespace qm
