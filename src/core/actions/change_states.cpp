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

std::string FirstMissingKey(IRegistry& registry, RegRoot root, RegView view, const std::string& path) {
    for (size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
        const std::string prefix = path.substr(0, end);
        KeyHandle opened;
        const long error = registry.OpenKey(RootKeyOf(root), prefix, kKeyQueryValue | ViewAccessFlag(view), opened);
        if (error == kErrorSuccess) registry.CloseKey(opened);
        else if (error == kErrorFileNotFound) return prefix;
        if (end == std::string::npos) return std::string();
    }
}

void RemoveMadeKeys(IRegistry& registry, const KeptValue& state) {
    if (state.madeKey.empty() || state.key.compare(0, state.madeKey.size(), state.madeKey) != 0) return;
    const std::uint32_t view = ViewAccessFlag(state.view);
    for (std::string path = state.key; path.size() >= state.madeKey.size();) {
        const size_t slash = path.find_last_of('\\');
        const std::string parent = slash == std::string::npos ? std::string() : path.substr(0, slash);
        KeyHandle opened;
        std::uint32_t keys = 1, values = 1;
        if (registry.OpenKey(RootKeyOf(state.root), path, kKeyQueryValue | view, opened) != kErrorSuccess) return;
        registry.QueryInfoKey(opened, keys, values);
        registry.CloseKey(opened);
        if (keys || values) return;
        KeyHandle above = RootKeyOf(state.root);
        if (!parent.empty() &&
            registry.OpenKey(RootKeyOf(state.root), parent, kKeyQueryValue | view, opened) == kErrorSuccess)
            above = opened;
        else if (!parent.empty()) return;
        registry.DeleteKey(above, slash == std::string::npos ? path : path.substr(slash + 1));
        if (!parent.empty()) registry.CloseKey(above);
        if (parent.empty()) return;
        path = parent;
    }
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

bool RecordChange(ActionContext& context, ChangeRecord& record, const std::string& what, const std::string& done,
                  std::string* file) {
    record.time = context.platform.system.FileTimeNow();
    std::string written, why;
    if (context.journal.Write(record, written, why)) {
        if (file) *file = written;
        return true;
    }
    context.ask.Show({DialogKind::Error, "Error",
                      "\"" + what + "\" was not " + done +
                          ": the change could not be recorded first, so that it "
                          "could be put back; " +
                          why});
    return false;
}

void DropRecord(ActionContext& context, const std::string& file) {
    std::string why;
    if (!file.empty()) context.journal.Forget(file, why);
}

}  // namespace qm
