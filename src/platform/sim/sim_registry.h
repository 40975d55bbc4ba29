// The simulated registry: keys with typed values, names without regard to case,
// enumeration in creation order as on Windows.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"

namespace qm::sim {

struct SimKey {
    std::string name;
    std::vector<std::shared_ptr<SimKey>> children;         // in creation order
    std::vector<std::pair<std::string, RegValue>> values;  // in creation order
    bool deleted = false;
    // The rights a deny entry of the key's ACL refuses: an open asking for
    // any of them fails with access denied, as on Windows.
    std::uint32_t deniedAccess = 0;
    bool failQueryInfo = false;         // RegQueryInfoKey fails
    std::set<std::string> unreadable;   // values whose data read fails (lower-case names)
    std::set<std::string> undeletable;  // values whose deletion is refused (lower-case names)

    std::shared_ptr<SimKey> Child(const std::string& childName) const;
    RegValue* Value(const std::string& valueName);
    void PutValue(const std::string& valueName, RegValue value);  // sets or appends
    bool EraseValue(const std::string& valueName);

private:
    // Lower-case name -> position in `values`, so that keys with many values
    // cost the same per value; rebuilt whenever `values` changed behind it.
    std::unordered_map<std::string, size_t> valueIndex_;
    size_t indexedCount_ = 0;
    void Reindex();
};

class SimRegistry : public IRegistry {
public:
    SimRegistry();
    // The longest sub-key path the ANSI OpenKey takes under Wine.
    static constexpr size_t kMaxOpenPath = 260;  // UTF-16 units
    long OpenKey(KeyHandle parent, const std::string& subKey, std::uint32_t access, KeyHandle& out) override;
    long CloseKey(KeyHandle key) override;
    long QueryInfoKey(KeyHandle key, std::uint32_t& subKeys, std::uint32_t& values) override;
    long EnumValue(KeyHandle key, std::uint32_t index, std::string& name) override;
    long EnumValueData(KeyHandle key, std::uint32_t index, std::uint32_t size, std::string& name,
                       RegValue& out) override;
    long EnumKey(KeyHandle key, std::uint32_t index, std::string& name) override;
    long QueryValueInfo(KeyHandle key, const std::string& name, std::uint32_t& type, std::uint32_t& size) override;
    long QueryValue(KeyHandle key, const std::string& name, std::uint32_t size, RegValue& out) override;
    long DeleteValue(KeyHandle key, const std::string& name) override;
    long DeleteKey(KeyHandle key, const std::string& subKey) override;
    long CreateKey(KeyHandle parent, const std::string& subKey, std::uint32_t access, KeyHandle& out) override;
    long SetValue(KeyHandle key, const std::string& name, std::uint32_t type,
                  const std::vector<std::uint8_t>& data) override;

    // Fixture helpers: paths like "HKCU\\Software\\X" or "HKEY_LOCAL_MACHINE\\...".
    std::shared_ptr<SimKey> Key(const std::string& path, bool create = true);
    void SetString(const std::string& keyPath, const std::string& name, const std::string& text,
                   std::uint32_t type = kRegSz);
    void SetDword(const std::string& keyPath, const std::string& name, std::uint32_t value);
    void SetRaw(const std::string& keyPath, const std::string& name, std::uint32_t type,
                std::vector<std::uint8_t> data);
    bool HasValue(const std::string& keyPath, const std::string& name);
    std::string StringValue(const std::string& keyPath, const std::string& name);
    void RemoveKey(const std::string& keyPath);

    // The whole tree as text, to show that nothing changed.
    std::string Snapshot();
    // Runs before every value read, of its type and size or of its data:
    // lets a test play another program that changes the registry between
    // the enumeration and the read, and count the reads.
    std::function<void(const std::string& valueName)> beforeRead;

    // A 64-bit machine: HKLM\SOFTWARE has a 32-bit view below WOW6432Node,
    // which a 32-bit program (`process64` false) opens unless it asks for
    // the 64-bit view. Fixtures write either view by its real path.
    bool windows64 = false;
    bool process64 = false;
    // The calls go through the ANSI functions (sim_text.h): every key and
    // value name and every text value passes the code page on its way in
    // and out, so a name the code page lacks is looked up by its '?' or
    // best-fit spelling.
    bool ansiCalls = false;

    int createCalls = 0;  // CreateKey calls, each of which may make keys

    int OpenHandles() const { return static_cast<int>(open_.size()); }
    int OpenCalls() const { return openCalls_; }
    // Calls that enumerate or read values, each a round trip to the registry.
    int ValueCalls() const { return valueCalls_; }
    std::uint32_t LastOpenAccess() const { return lastAccess_; }
    // Every right any open asked for since the last ForgetOpenAccess.
    std::uint32_t AllOpenAccess() const { return allAccess_; }
    void ForgetOpenAccess() { allAccess_ = 0; }

private:
    std::shared_ptr<SimKey> Resolve(KeyHandle h);
    std::string Passed(const std::string& name) const;
    RegValue Passed(RegValue value) const;
    bool InView32(const std::vector<std::string>& parts, std::uint32_t access) const;
    std::map<KeyHandle, std::shared_ptr<SimKey>> roots_;
    std::map<KeyHandle, std::shared_ptr<SimKey>> open_;
    std::uintptr_t next_ = 0x1000;
    int valueCalls_ = 0;
    int openCalls_ = 0;
    std::uint32_t lastAccess_ = 0;
    std::uint32_t allAccess_ = 0;
    // The rights each open handle was granted; a call needing another fails
    // with access denied.
    std::map<KeyHandle, std::uint32_t> granted_;
    bool Grants(KeyHandle h, std::uint32_t rights) const;
};

}  // namespace qm::sim
