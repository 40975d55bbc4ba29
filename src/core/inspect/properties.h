// What the Item Properties dialog shows of an entry besides its file's
// icon and version texts (file_version.h).
#pragma once
#include <string>

#include "core/categories/category.h"
#include "core/model/rows.h"

namespace qm {

// The command of a row as its category shows it; empty when a collector
// failed before the row had it.
std::string CommandOf(const Category& category, const Entry& row);
// Where the row's entry lives as "Parameters:" shows it: the full key name,
// the folder, or for a service its description.
std::string LocationTextOf(const Category& category, const Entry& row);
// Whether Windows starts the entry, as Explorer keeps it: "Enabled",
// "Disabled since <local date and time>", with what is unusual about the
// value ("unknown state: REG_BINARY, 5 bytes"); empty where Windows keeps
// no such state.
std::string StartupStateText(ISystemInfo& system, const Entry& row);
// What is unusual about the value a state was read from: "unknown state:
// REG_BINARY, 5 bytes"; empty for the value Explorer writes.
std::string UnusualStartupValueText(const StartupState& state);

}  // namespace qm
