#include <algorithm>

#include "platform/sim/sim.h"
#include "platform/sim/sim_text.h"

namespace qm::sim {

namespace {

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

bool SameName(const std::string& a, const std::string& b) { return SimLowerCase(a) == SimLowerCase(b); }

}  // namespace

std::shared_ptr<SimKey> SimKey::Child(const std::string& childName) const {
    for (const auto& child : children)
        if (SameName(child->name, childName)) return child;
    return nullptr;
}

void SimKey::Reindex() {
    valueIndex_.clear();
    for (size_t i = 0; i < values.size(); ++i) valueIndex_[SimLowerCase(values[i].first)] = i;
    indexedCount_ = values.size();
}

RegValue* SimKey::Value(const std::string& valueName) {
    if (indexedCount_ != values.size()) Reindex();
    auto it = valueIndex_.find(SimLowerCase(valueName));
    if (it != valueIndex_.end() && it->second < values.size() && SameName(values[it->second].first, valueName))
        return &values[it->second].second;
    if (it == valueIndex_.end()) return nullptr;
    Reindex();  // the vector was changed in place
    it = valueIndex_.find(SimLowerCase(valueName));
    return it == valueIndex_.end() ? nullptr : &values[it->second].second;
}

void SimKey::PutValue(const std::string& valueName, RegValue value) {
    if (RegValue* existing = Value(valueName)) {
        *existing = std::move(value);
        return;
    }
    values.emplace_back(valueName, std::move(value));
    valueIndex_[SimLowerCase(valueName)] = values.size() - 1;
    indexedCount_ = values.size();
}

bool SimKey::EraseValue(const std::string& valueName) {
    if (!Value(valueName)) return false;
    size_t at = valueIndex_[SimLowerCase(valueName)];
    values.erase(values.begin() + static_cast<std::ptrdiff_t>(at));
    Reindex();
    return true;
}

SimRegistry::SimRegistry() {
    const char* names[] = {"HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                           "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};
    for (std::uintptr_t i = 0; i < 7; ++i) {
        auto root = std::make_shared<SimKey>();
        root->name = names[i];
        roots_[KeyHandle{kHkeyClassesRoot.Value() + i}] = root;
    }
}

// Whether UTF-16 spells `text`: a name that it does not names nothing.
static bool Spelled(const std::string& text) {
    std::u16string units;
    return Utf16FromUtf8(text, units);
}

std::string SimRegistry::Passed(const std::string& name) const { return ansiCalls ? ThroughCodePage(name) : name; }

RegValue SimRegistry::Passed(RegValue value) const {
    if (ansiCalls && (value.type == kRegSz || value.type == kRegExpandSz || value.type == kRegMultiSz)) {
        const std::string text = ThroughCodePage(std::string(value.data.begin(), value.data.end()));
        value.data.assign(text.begin(), text.end());
    }
    return value;
}

std::shared_ptr<SimKey> SimRegistry::Resolve(KeyHandle h) {
    if (auto it = roots_.find(h); it != roots_.end()) return it->second;
    if (auto it = open_.find(h); it != open_.end() && !it->second->deleted) return it->second;
    return nullptr;
}

// On 64-bit Windows the 32-bit view of HKLM\SOFTWARE lies below
// SOFTWARE\WOW6432Node, but for the keys both views share, and the 32-bit
// view's own real path, which names the same key in either view.
bool SimRegistry::InView32(const std::vector<std::string>& parts, std::uint32_t access) const {
    if (!windows64 || parts.empty() || !SameName(parts[0], "SOFTWARE")) return false;
    const bool view32 = (access & kKeyWow64_32Key) || (!process64 && !(access & kKeyWow64_64Key));
    if (!view32) return false;
    static const std::vector<std::vector<std::string>> kShared = {
        {"WOW6432Node"},
        {"Policies"},
        {"Microsoft", "Windows", "CurrentVersion", "Policies"},
        {"Microsoft", "Windows NT", "CurrentVersion", "Image File Execution Options"},
    };
    for (const std::vector<std::string>& shared : kShared) {
        if (parts.size() <= shared.size()) continue;
        bool below = true;
        for (size_t i = 0; i < shared.size() && below; ++i) below = SameName(parts[i + 1], shared[i]);
        if (below) return false;
    }
    return true;
}

bool SimRegistry::Grants(KeyHandle h, std::uint32_t rights) const {
    if (roots_.count(h)) return true;
    auto it = granted_.find(h);
    return it != granted_.end() && (it->second & rights) == rights;
}

long SimRegistry::OpenKey(KeyHandle parent, const std::string& given, std::uint32_t access, KeyHandle& out) {
    const std::string subKey = Passed(given);
    ++openCalls_;
    lastAccess_ = access;
    allAccess_ |= access;
    // A text no UTF-16 spells names no key. Wine's RegOpenKeyExA turns the
    // path into UTF-16 in a buffer of 260 characters and refuses a longer
    // one; the wide call takes it, as Windows does.
    std::u16string units;
    if (!Utf16FromUtf8(subKey, units)) return kErrorNoUnicodeTranslation;
    if (ansiCalls && units.size() > kMaxOpenPath) return kErrorMoreData;
    auto key = Resolve(parent);
    if (!key) return kErrorInvalidHandle;
    std::vector<std::string> parts = SplitPath(subKey);
    if (parent == kHkeyLocalMachine && InView32(parts, access)) parts.insert(parts.begin() + 1, "WOW6432Node");
    for (const std::string& part : parts) {
        key = key->Child(part);
        if (!key) return kErrorFileNotFound;
    }
    if (access & key->deniedAccess) return kErrorAccessDenied;
    out = KeyHandle{next_++};
    open_[out] = key;
    granted_[out] = access;
    return kErrorSuccess;
}

long SimRegistry::CloseKey(KeyHandle key) {
    if (roots_.count(key)) return kErrorSuccess;
    granted_.erase(key);
    return open_.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

long SimRegistry::QueryInfoKey(KeyHandle h, std::uint32_t& subKeys, std::uint32_t& values) {
    auto key = Resolve(h);
    if (!key) return kErrorInvalidHandle;
    if (key->failQueryInfo || !Grants(h, kKeyQueryValue)) return kErrorAccessDenied;
    subKeys = static_cast<std::uint32_t>(key->children.size());
    values = static_cast<std::uint32_t>(key->values.size());
    return kErrorSuccess;
}

long SimRegistry::EnumValue(KeyHandle h, std::uint32_t index, std::string& name) {
    ++valueCalls_;
    auto key = Resolve(h);
    if (!key) return kErrorInvalidHandle;
    if (!Grants(h, kKeyQueryValue)) return kErrorAccessDenied;
    if (index >= key->values.size()) return kErrorNoMoreItems;
    name = Passed(key->values[index].first);
    return kErrorSuccess;
}

long SimRegistry::EnumValueData(KeyHandle h, std::uint32_t index, std::uint32_t size, std::string& name,
                                RegValue& out) {
    ++valueCalls_;
    auto key = Resolve(h);
    if (!key) return kErrorInvalidHandle;
    if (!Grants(h, kKeyQueryValue)) return kErrorAccessDenied;
    if (index >= key->values.size()) return kErrorNoMoreItems;
    // Another program may act just before the call; the call itself reads
    // whatever then holds the index, name and data together.
    if (beforeRead) beforeRead(Passed(key->values[index].first));
    if (index >= key->values.size()) return kErrorNoMoreItems;
    const auto& [stored, value] = key->values[index];
    if (key->unreadable.count(SimLowerCase(stored))) return kErrorAccessDenied;
    RegValue passed = Passed(value);
    if (passed.data.size() > size) return kErrorMoreData;
    name = Passed(stored);
    out = std::move(passed);
    return kErrorSuccess;
}

long SimRegistry::EnumKey(KeyHandle h, std::uint32_t index, std::string& name) {
    auto key = Resolve(h);
    if (!key) return kErrorInvalidHandle;
    if (!Grants(h, kKeyEnumerateSubKeys)) return kErrorAccessDenied;
    if (index >= key->children.size()) return kErrorNoMoreItems;
    name = Passed(key->children[index]->name);
    return kErrorSuccess;
}

long SimRegistry::QueryValueInfo(KeyHandle h, const std::string& given, std::uint32_t& type, std::uint32_t& size) {
    ++valueCalls_;
    if (beforeRead) beforeRead(given);
    if (!Spelled(given)) return kErrorNoUnicodeTranslation;
    const std::string name = Passed(given);
    auto key = Resolve(h);
    if (!key) return kErrorInvalidHandle;
    if (!Grants(h, kKeyQueryValue)) return kErrorAccessDenied;
    RegValue* value = key->Value(name);
    if (!value) return kErrorFileNotFound;
    type = value->type;
    size = static_cast<std::uint32_t>(Passed(*value).data.size());
    return kErrorSuccess;
}

long SimRegistry::QueryValue(KeyHandle h, const std::string& given, std::uint32_t size, RegValue& out) {
    ++valueCalls_;
    if (beforeRead) beforeRead(given);
    if (!Spelled(given)) return kErrorNoUnicodeTranslation;
    const std::string name = Passed(given);
    auto key = Resolve(h);
    if (!key) return kErrorInvalidHandle;
    if (!Grants(h, kKeyQueryValue)) return kErrorAccessDenied;
    RegValue* value = key->Value(name);
    if (!value) return kErrorFileNotFound;
    if (key->unreadable.count(SimLowerCase(name))) return kErrorAccessDenied;
    RegValue passed = Passed(*value);
    if (passed.data.size() > size) return kErrorMoreData;
    out = std::move(passed);
    return kErrorSuccess;
}

long SimRegistry::DeleteValue(KeyHandle h, const std::string& given) {
    if (!Spelled(given)) return kErrorNoUnicodeTranslation;
    const std::string name = Passed(given);
    auto key = Resolve(h);
    if (!key) return kErrorInvalidHandle;
    if (!Grants(h, kKeySetValue)) return kErrorAccessDenied;
    if (key->undeletable.count(SimLowerCase(name))) return kErrorAccessDenied;
    return key->EraseValue(name) ? kErrorSuccess : kErrorFileNotFound;
}

long SimRegistry::DeleteKey(KeyHandle h, const std::string& subKey) {
    auto key = Resolve(h);
    if (!key) return kErrorInvalidHandle;
    auto parts = SplitPath(subKey);
    if (parts.empty()) return kErrorInvalidParameter;
    auto parent = key;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        parent = parent->Child(parts[i]);
        if (!parent) return kErrorFileNotFound;
    }
    auto child = parent->Child(parts.back());
    if (!child) return kErrorFileNotFound;
    if (!child->children.empty()) return kErrorAccessDenied;
    child->deleted = true;
    parent->children.erase(std::find(parent->children.begin(), parent->children.end(), child));
    return kErrorSuccess;
}

long SimRegistry::CreateKey(KeyHandle parent, const std::string& subKey, std::uint32_t access, KeyHandle& out) {
    ++createCalls;
    allAccess_ |= access;
    auto key = Resolve(parent);
    if (!key) return kErrorInvalidHandle;
    std::vector<std::string> parts = SplitPath(subKey);
    if (parent == kHkeyLocalMachine && InView32(parts, access)) parts.insert(parts.begin() + 1, "WOW6432Node");
    for (const std::string& part : parts) {
        auto child = key->Child(part);
        if (!child) {
            if (key->deniedAccess & kKeyCreateSubKey) return kErrorAccessDenied;
            child = std::make_shared<SimKey>();
            child->name = part;
            key->children.push_back(child);
        }
        key = child;
    }
    if (access & key->deniedAccess) return kErrorAccessDenied;
    out = KeyHandle{next_++};
    open_[out] = key;
    granted_[out] = access;
    return kErrorSuccess;
}

long SimRegistry::SetValue(KeyHandle h, const std::string& name, std::uint32_t type,
                           const std::vector<std::uint8_t>& data) {
    if (!Spelled(name)) return kErrorNoUnicodeTranslation;
    auto key = Resolve(h);
    if (!key) return kErrorInvalidHandle;
    if (!Grants(h, kKeySetValue)) return kErrorAccessDenied;
    key->PutValue(name, RegValue{type, data});
    return kErrorSuccess;
}

std::shared_ptr<SimKey> SimRegistry::Key(const std::string& path, bool create) {
    auto parts = SplitPath(path);
    if (parts.empty()) return nullptr;
    static const std::pair<const char*, KeyHandle> kShort[] = {
        {"HKCR", kHkeyClassesRoot}, {"HKCU", kHkeyCurrentUser}, {"HKLM", kHkeyLocalMachine}, {"HKU", kHkeyUsers}};
    std::shared_ptr<SimKey> key;
    for (auto& [shortName, handle] : kShort)
        if (SameName(parts[0], shortName)) key = roots_[handle];
    for (auto& [handle, root] : roots_)
        if (SameName(parts[0], root->name)) key = root;
    if (!key) return nullptr;
    for (size_t i = 1; i < parts.size(); ++i) {
        auto child = key->Child(parts[i]);
        if (!child) {
            if (!create) return nullptr;
            child = std::make_shared<SimKey>();
            child->name = parts[i];
            key->children.push_back(child);
        }
        key = child;
    }
    return key;
}

void SimRegistry::SetRaw(const std::string& keyPath, const std::string& name, std::uint32_t type,
                         std::vector<std::uint8_t> data) {
    Key(keyPath)->PutValue(name, RegValue{type, std::move(data)});
}

void SimRegistry::SetString(const std::string& keyPath, const std::string& name, const std::string& text,
                            std::uint32_t type) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    SetRaw(keyPath, name, type, std::move(data));
}

void SimRegistry::SetDword(const std::string& keyPath, const std::string& name, std::uint32_t value) {
    SetRaw(keyPath, name, kRegDword,
           {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

bool SimRegistry::HasValue(const std::string& keyPath, const std::string& name) {
    auto key = Key(keyPath, false);
    return key && key->Value(name);
}

std::string SimRegistry::StringValue(const std::string& keyPath, const std::string& name) {
    auto key = Key(keyPath, false);
    RegValue* value = key ? key->Value(name) : nullptr;
    if (!value) return {};
    std::string text(value->data.begin(), value->data.end());
    return text.substr(0, text.find('\0'));
}

namespace {
void Dump(const SimKey& key, const std::string& path, std::string& out) {
    out += "[" + path + "]\n";
    for (const auto& [name, value] : key.values) {
        out += "\"" + name + "\"=" + std::to_string(value.type) + ":";
        for (std::uint8_t b : value.data) out += "0123456789abcdef"[b >> 4], out += "0123456789abcdef"[b & 15];
        out += "\n";
    }
    for (const auto& child : key.children) Dump(*child, path + "\\" + child->name, out);
}
}  // namespace

std::string SimRegistry::Snapshot() {
    std::string out;
    for (const auto& [handle, root] : roots_) Dump(*root, root->name, out);
    return out;
}

void SimRegistry::RemoveKey(const std::string& keyPath) {
    auto parts = SplitPath(keyPath);
    if (parts.size() < 2) return;
    std::string parentPath;
    for (size_t i = 0; i + 1 < parts.size(); ++i) parentPath += parts[i] + "\\";
    auto parent = Key(parentPath, false);
    if (!parent) return;
    auto child = parent->Child(parts.back());
    if (!child) return;
    child->deleted = true;
    parent->children.erase(std::find(parent->children.begin(), parent->children.end(), child));
}

}  // namespace qm::sim
