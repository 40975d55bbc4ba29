// TRegistry: a registry accessor holding a root key and at most one open key.
// Every key is opened with full access and never created.
#pragma once
#include <string>
#include <vector>

#include "core/model/location.h"
#include "platform/platform.h"

namespace qm {

class TRegistry {
public:
    explicit TRegistry(IRegistry& registry) : registry_(registry) {}
    ~TRegistry() { CloseKey(); }
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    KeyHandle RootKey() const { return root_; }
    KeyHandle CurrentKey() const { return current_; }

    void SetRootKey(KeyHandle root);
    // The registry view the next keys are opened in (the open key stays).
    void SetView(RegView view) { view_ = view; }
    RegView View() const { return view_; }
    // A path with a leading backslash is opened below the root; any other
    // below the open key, or below the root when none is open.
    bool OpenKey(const std::string& path, bool canCreate);
    void GetValueNames(std::vector<std::string>& names);
    void GetKeyNames(std::vector<std::string>& names);
    // Text of a REG_SZ or REG_EXPAND_SZ value up to its first NUL, not
    // expanded; empty for a missing or empty value. Throws "Invalid data type
    // for '%s'" for any other type with data, "Failed to get data for '%s'"
    // when the data cannot be read.
    std::string ReadString(const std::string& name);
    bool DeleteValue(const std::string& name);
    void CloseKey();

    static constexpr std::uint32_t kAccess = kKeyAllAccess;

private:
    IRegistry& registry_;
    KeyHandle root_ = kHkeyCurrentUser;
    KeyHandle current_;
    RegView view_ = RegView::Default;
};

}  // namespace qm
