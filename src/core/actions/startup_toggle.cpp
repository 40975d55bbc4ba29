// Disable and Enable as Explorer keeps them: a value of the entry's name
// below StartupApproved, never the Run value or the startup file itself.
#include "core/actions/actions.h"
#include "core/collectors/startup_states.h"
#include "platform/owner.h"

namespace qm {

namespace {

bool Disabled(const Entry& entry) { return entry.startup && entry.startup->kind == StartupState::Kind::Disabled; }

}  // namespace

std::optional<std::string> StartupToggleCaption(const Entry* selected) {
    if (!selected || !selected->startup) return std::nullopt;
    return Disabled(*selected) ? "&Enable" : "Disa&ble";
}

Outcome ToggleStartup(ActionContext& context, const Entry& selected) {
    if (!selected.startup) return Outcome::NothingDone;
    // Copies: the list may be read again while the question is open.
    const RegistryLocation at = selected.startup->at;
    const bool enable = Disabled(selected);
    const std::string name = selected.name;
    const std::string question =
        enable ? "Enable \"" + name + "\"? Windows will start it again when the user logs on."
               : "Disable \"" + name +
                     "\"? Windows will not start it when the user logs on. The entry itself stays as it is, and "
                     "can be enabled again.";
    if (context.ask.Show({DialogKind::Confirmation, "Confirm", question}) != DialogResult::Yes)
        return Outcome::NothingDone;
    IRegistry& registry = context.platform.registry;
    const std::uint32_t view = at.view == RegView::Registry64 ? kKeyWow64_64Key : 0;
    KeyHandle opened;
    long error = registry.CreateKey(RootKeyOf(at.root), at.key, kKeySetValue | view, opened);
    const KeyOwner key(registry, error == kErrorSuccess ? opened : KeyHandle{});
    if (key)
        error = registry.SetValue(key.Get(), at.value, kRegBinary,
                                  EncodeStartupState(enable, context.platform.system.FileTimeNow()));
    if (error != kErrorSuccess) {
        context.ask.Show({DialogKind::Error, "Error",
                          "\"" + name + "\" was not " + (enable ? "enabled" : "disabled") + ": " +
                              RootKeyName(at.root) + "\\" + at.key + " could not be written (error " +
                              std::to_string(error) + ")."});
        return Outcome::NothingDone;
    }
    return Outcome::PlaceReread;
}

}  // namespace qm
