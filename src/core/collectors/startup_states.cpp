#include "core/collectors/startup_states.h"

#include <tuple>
#include <utility>

#include "core/registry.h"

namespace qm {

namespace {

// Values larger than this are not read: their size says they are no state.
constexpr std::uint32_t kMaxStateBytes = 4096;

}  // namespace

StartupState DecodeStartupState(const RegValue& value) {
    StartupState state;
    state.type = value.type;
    state.size = static_cast<std::uint32_t>(value.data.size());
    state.unusual = value.type != kRegBinary || value.data.size() != kStartupValueSize;
    // The state is the lowest bit of the first byte; a value that has no
    // first byte, or is not binary, says nothing the rule can read.
    if (value.type != kRegBinary || value.data.empty()) {
        state.kind = StartupState::Kind::Unknown;
        return state;
    }
    state.kind = (value.data[0] & 1) ? StartupState::Kind::Disabled : StartupState::Kind::Enabled;
    if (state.kind == StartupState::Kind::Disabled && value.data.size() >= kStartupValueSize)
        for (int i = 7; i >= 0; --i)
            state.disabledAt = (state.disabledAt << 8) | value.data[4 + static_cast<size_t>(i)];
    return state;
}

std::vector<std::uint8_t> EncodeStartupState(bool enabled, std::uint64_t now) {
    std::vector<std::uint8_t> bytes(kStartupValueSize, 0);
    bytes[0] = enabled ? kStartupEnabled : kStartupDisabled;
    if (!enabled)
        for (size_t i = 0; i < 8; ++i) bytes[4 + i] = static_cast<std::uint8_t>(now >> (8 * i));
    return bytes;
}

std::optional<RegistryLocation> StartupValueOf(Platform& platform, const StartupApprovalPlace& place,
                                               const Location& where) {
    std::string name;
    bool view32 = false;
    if (const auto* value = std::get_if<RegistryLocation>(&where)) {
        if (value->refused || !value->subKey.empty()) return std::nullopt;
        name = value->value;
        view32 = value->view == RegView::Registry32;
    } else if (const auto* file = std::get_if<FileLocation>(&where)) {
        name = file->name;
    } else {
        return std::nullopt;
    }
    const char* key = view32 && place.key32 ? place.key32 : place.key;
    return RegistryLocation{.root = place.root,
                            .view = ViewsOf(platform, place.root, false).front(),
                            .key = std::string(kStartupApprovedKey) + "\\" + key,
                            .value = name};
}

void StartupStateReader::Fill(Entry& row) {
    const std::optional<RegistryLocation> at = StartupValueOf(platform_, place_, row.where);
    if (!at) return;
    IRegistry& registry = platform_.registry;
    auto found = keys_.find(at->key);
    if (found == keys_.end()) {
        KeyHandle opened;
        const long error =
            registry.OpenKey(RootKeyOf(at->root), at->key, kKeyQueryValue | ViewAccessFlag(at->view), opened);
        found = keys_
                    .emplace(std::piecewise_construct, std::forward_as_tuple(at->key),
                             std::forward_as_tuple(registry, error == kErrorSuccess ? opened : KeyHandle{}))
                    .first;
    }
    StartupState state;
    std::uint32_t type = 0, size = 0;
    if (found->second && registry.QueryValueInfo(found->second.Get(), at->value, type, size) == kErrorSuccess) {
        RegValue value{type, {}};
        const bool read =
            size <= kMaxStateBytes && registry.QueryValue(found->second.Get(), at->value, size, value) == kErrorSuccess;
        state = DecodeStartupState(read ? value : RegValue{type, {}});
        if (!read) {  // too large to be a state, or gone meanwhile: nothing the rule reads
            state.kind = StartupState::Kind::Unknown;
            state.unusual = true;
            state.size = size;
        }
    }
    state.at = *at;
    if (state.kind == StartupState::Kind::Disabled && row.mark == Mark::None) row.mark = Mark::Disabled;
    row.startup = std::move(state);
}

}  // namespace qm
