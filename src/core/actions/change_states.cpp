#include "core/actions/change_states.h"

#include "core/registry.h"

namespace qm {

std::string WhereText(const RegistryLocation& at) {
    std::string where = std::string(RootKeyName(at.root)) + "\\" + RealKeyPath(at);
    if (!at.subKey.empty()) where += "\\" + at.subKey;
    return where;
}

KeptValue KeptValueAt(const RegistryLocation& at, const std::string& name) {
    KeptValue state;
    state.root = at.root;
    state.view = at.view;
    state.key = at.key;
    state.subKey = at.subKey;
    state.name = name;
    return state;
}

long OpenValueKey(IRegistry& registry, const KeptValue& state, std::uint32_t access, bool create, KeyOwner& key) {
    const std::uint32_t view = ViewAccessFlag(state.view);
    KeyHandle opened;
    const auto open = [&](KeyHandle parent, const std::string& path, std::uint32_t rights) {
        return create ? registry.CreateKey(parent, path, rights | view, opened)
                      : registry.OpenKey(parent, path, rights | view, opened);
    };
    long error = open(RootKeyOf(state.root), state.key, state.subKey.empty() ? access : kKeyQueryValue);
    if (error != kErrorSuccess) return error;
    KeyOwner parent(registry, opened);
    if (state.subKey.empty()) {
        key = std::move(parent);
        return kErrorSuccess;
    }
    // A component's key below the components key, never by its full path
    // (a name of 255 characters makes a path longer than some calls take).
    error = open(parent.Get(), state.subKey, access);
    if (error == kErrorSuccess) key = KeyOwner(registry, opened);
    return error;
}

bool ReadKeptService(Platform& platform, const std::string& name, KeptService& state) {
    IServices& services = platform.services;
    state = KeptService{};
    state.name = name;
    {
        const ScManagerOwner manager(services, services.OpenSCManager(kScManagerConnect));
        if (!manager) return false;
        const ServiceOwner service(services, services.OpenService(manager.Get(), name, kServiceQueryConfig));
        if (!service || !services.ReadServiceConfig(service.Get(), state.config) ||
            !services.ReadServiceDescription(service.Get(), state.description))
            return false;
    }
    IRegistry& registry = platform.registry;
    for (const char* below : {"", "Parameters"}) {
        const std::string path = std::string(kServicesKey) + "\\" + name + (*below ? "\\" : "") + below;
        KeyHandle opened;
        if (registry.OpenKey(kHkeyLocalMachine, path, kKeyQueryValue, opened) != kErrorSuccess) continue;
        const KeyOwner key(registry, opened);
        RegValue value;
        if (ReadKeyValue(registry, key.Get(), "ServiceDll", value) == kErrorSuccess)
            state.values.push_back({below, "ServiceDll", std::move(value)});
    }
    return true;
}

bool RecordChange(ActionContext& context, ChangeRecord& record, const std::string& what, const std::string& done) {
    record.time = context.platform.system.FileTimeNow();
    std::string file, why;
    if (context.journal.Write(record, file, why)) return true;
    context.ask.Show({DialogKind::Error, "Error",
                      "\"" + what + "\" was not " + done + ": the change could not be recorded first, so that it "
                      "could be put back; " + why});
    return false;
}

}  // namespace qm
