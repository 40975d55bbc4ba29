// Whether Windows starts an entry of a Run key or a Startup folder: the
// value Explorer keeps of the entry's name below StartupApproved, read for
// the rows as they are collected and written by Disable and Enable.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/categories/category.h"
#include "core/model/rows.h"
#include "platform/owner.h"
#include "platform/platform.h"

namespace qm {

inline constexpr const char* kStartupApprovedKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved";
// The value Explorer writes: a state byte, three zero bytes, a FILETIME.
inline constexpr std::uint32_t kStartupValueSize = 12;
inline constexpr std::uint8_t kStartupEnabled = 0x02, kStartupDisabled = 0x03;

// What a value says (the value's type and bytes), `at` left as it is.
StartupState DecodeStartupState(const RegValue& value);
// The bytes Explorer writes to enable an entry, or to disable it at `now`.
std::vector<std::uint8_t> EncodeStartupState(bool enabled, std::uint64_t now);

// Where the state of an entry listed at `where` is kept, in the native
// view; none for an entry that names no value or file of its own.
std::optional<RegistryLocation> StartupValueOf(Platform& platform, const StartupApprovalPlace& place,
                                               const Location& where);

// Reads the state of each row of one category. Each key is opened once,
// for reading, and only when a row needs it.
class StartupStateReader {
public:
    StartupStateReader(Platform& platform, const StartupApprovalPlace& place) : platform_(platform), place_(place) {}

    // Sets `row.startup`, and marks the row disabled when Windows does not
    // start it; a row that names nothing keeps no state.
    void Fill(Entry& row);

private:
    Platform& platform_;
    const StartupApprovalPlace& place_;
    std::map<std::string, KeyOwner> keys_;  // by key path; an empty owner: the key is absent or refused
};

}  // namespace qm
