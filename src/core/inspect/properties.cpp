// What the Item Properties dialog shows of an entry, as its category shows it.
#include "core/inspect/properties.h"

#include <cstdio>

#include "core/registry.h"

namespace qm {

std::string CommandOf(const Category&, const Entry& row) { return row.command; }

std::string LocationTextOf(const Category& category, const Entry& row) {
    switch (category.properties.location) {
        case ShownLocation::KeyName:
            if (const RegistryLocation* at = RegistryOf(row.where)) return KeyNameOf(category.source, *at);
            return {};
        case ShownLocation::Folder:
            if (const auto* at = std::get_if<FileLocation>(&row.where)) return at->folder;
            if (const auto* task = std::get_if<TaskLocation>(&row.where)) return task->folder;
            return {};
        case ShownLocation::Description:
            return row.service.displayName;
    }
    return {};
}

std::string StartupStateText(ISystemInfo& system, const Entry& row) {
    if (!row.startup) return {};
    const StartupState& state = *row.startup;
    std::string text;
    switch (state.kind) {
        case StartupState::Kind::NotKept:
        case StartupState::Kind::Enabled:
            text = "Enabled";
            break;
        case StartupState::Kind::Disabled: {
            text = "Disabled";
            LocalTime at;
            if (state.disabledAt != 0 && system.ToLocalTime(state.disabledAt, at)) {
                char when[40];
                std::snprintf(when, sizeof(when), " since %04d-%02d-%02d %02d:%02d:%02d", at.year, at.month, at.day,
                              at.hour, at.minute, at.second);
                text += when;
            }
            break;
        }
        case StartupState::Kind::Unknown:
            text = "Unknown";
            break;
    }
    if (state.unusual) text += " (" + UnusualStartupValueText(state) + ")";
    return text;
}

std::string UnusualStartupValueText(const StartupState& state) {
    if (!state.unusual) return {};
    return "unknown state: " + ValueTypeAndSize(state.type, state.size);
}

}  // namespace qm
