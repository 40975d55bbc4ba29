// What the journal keeps of a place before a change: read from the machine
// as it is now, and written back by a restore.
#pragma once
#include <string>

#include "core/actions/actions.h"
#include "core/journal/journal.h"
#include "platform/owner.h"

namespace qm {

// The service's key, where its ServiceDll values are kept.
inline constexpr const char* kServicesKey = "SYSTEM\\CurrentControlSet\\Services";

// "HKEY_CURRENT_USER\Software\...\Run": the key a registry entry is in,
// the 32-bit view's own path for a 32-bit entry.
std::string WhereText(const RegistryLocation& at);

// A value's place as the journal names it, nothing read yet.
KeptValue KeptValueAt(const RegistryLocation& at, const std::string& name);

// The key of the place, opened in its view for `access`, made with its
// parents when `create` and it is absent. kErrorSuccess or the error.
long OpenValueKey(IRegistry& registry, const KeptValue& state, std::uint32_t access, bool create, KeyOwner& key);

// The first key of `path` below the root that is not there (its path), or
// empty when the whole path is there.
std::string FirstMissingKey(IRegistry& registry, RegRoot root, RegView view, const std::string& path);
// Removes the keys a change made (`state.madeKey` down to `state.key`),
// deepest first, each only while it holds nothing.
void RemoveMadeKeys(IRegistry& registry, const KeptValue& state);

// The service's whole configuration, its description and its ServiceDll
// values. False when the manager does not hand them over.
bool ReadKeptService(Platform& platform, const std::string& name, KeptService& state);

// Writes the record of a change about to be made (its time is now). When
// it cannot be written, tells the user that `what` was not `done` and why,
// and returns false: nothing may be changed then. `file` gets the record's
// name in the journal.
bool RecordChange(ActionContext& context, ChangeRecord& record, const std::string& what, const std::string& done,
                  std::string* file = nullptr);
// The change recorded as `file` was refused by Windows and did not happen:
// its record, which would name a change that was never made, goes.
void DropRecord(ActionContext& context, const std::string& file);

}  // namespace qm
