#include "platform/sim/sim_services.h"

#include "platform/sim/sim_text.h"

namespace qm::sim {

namespace {

constexpr std::uint32_t kGenericRead = 0x80000000u;
constexpr std::uint32_t kGenericAll = 0x10000000u;
constexpr std::uint32_t kEnumStatusBytes = 36;  // sizeof(ENUM_SERVICE_STATUSW) in a 32-bit process

// The manager rights an open handle carries, its generic rights mapped as
// the service control manager maps them.
std::uint32_t ManagerRights(std::uint32_t access) {
    if (access & kGenericAll) return kScManagerAllAccess;
    if (access & kGenericRead) access |= kScManagerEnumerateService;
    return access;
}

bool StateMatches(std::uint32_t filter, std::uint32_t state) {
    const bool active = state != kServiceStopped;
    return ((filter & kServiceActive) && active) || ((filter & kServiceInactive) && !active);
}

}  // namespace

namespace {
std::uint32_t WideBytes(const std::string& text) {
    std::u16string units;
    Utf16FromUtf8(text, units, true);
    return static_cast<std::uint32_t>((units.size() + 1) * sizeof(char16_t));
}
}  // namespace

std::uint32_t SimServices::EntryBytes(const SimService& s) {
    return kEnumStatusBytes + WideBytes(s.name) + (s.displayName ? WideBytes(*s.displayName) : 0);
}

ScManagerHandle SimServices::OpenSCManager(std::uint32_t access) {
    if (!managerAvailable || (access & ~managerGrantedAccess)) return {};
    handles_[next_] = {0, ManagerRights(access)};
    return ScManagerHandle{next_++};
}

const SimServices::OpenHandle* SimServices::Lookup(std::uintptr_t h, bool manager) const {
    auto it = handles_.find(h);
    if (it == handles_.end() || (it->second.service == 0) != manager) return nullptr;
    return &it->second;
}

SimService* SimServices::ServiceOf(ServiceHandle h, std::uint32_t right) {
    const OpenHandle* open = Lookup(h.Value(), false);
    if (!open || !(open->access & right)) return nullptr;
    auto it = services_.find(open->service);
    return it == services_.end() ? nullptr : &it->second;
}

bool SimServices::EnumServicesStatus(ScManagerHandle scm, std::uint32_t type, std::uint32_t state,
                                     std::uint32_t bufferSize, std::uint32_t& resume, std::vector<ServiceEntry>& out,
                                     std::uint32_t& bytesNeeded, long& lastError) {
    enumBufferSizes.push_back(bufferSize);
    bytesNeeded = 0;
    const OpenHandle* manager = Lookup(scm.Value(), true);
    if (!manager) {
        lastError = kErrorInvalidHandle;
        return false;
    }
    if (!(manager->access & kScManagerEnumerateService)) {
        lastError = kErrorAccessDenied;
        return false;
    }
    // The resume handle names the first service not yet returned.
    std::uint32_t used = 0;
    bool full = false;
    for (auto it = services_.lower_bound(resume); it != services_.end(); ++it) {
        const SimService& s = it->second;
        if (!(s.type & type) || !StateMatches(state, s.state)) continue;
        const std::uint32_t need = EntryBytes(s);
        if (!full && used + need <= bufferSize) {
            used += need;
            ServiceEntry entry{s.name, s.displayName, s.type, s.state};
            if (ansiCalls) {
                entry.serviceName = ThroughCodePage(entry.serviceName);
                if (entry.displayName) entry.displayName = ThroughCodePage(*entry.displayName);
            }
            out.push_back(std::move(entry));
            continue;
        }
        if (!full) resume = it->first;
        full = true;
        bytesNeeded += need;
    }
    if (full) {
        lastError = kErrorMoreData;
        return false;
    }
    resume = 0;
    lastError = kErrorSuccess;
    return true;
}

ServiceHandle SimServices::OpenService(ScManagerHandle scm, const std::string& name, std::uint32_t access) {
    if (beforeOpen) beforeOpen(name);
    if (!Lookup(scm.Value(), true)) return {};
    const std::string sought = SimLowerCase(ansiCalls ? ThroughCodePage(name) : name);
    for (auto& [id, s] : services_) {
        if (SimLowerCase(s.name) != sought) continue;
        if (access & ~s.grantedAccess) return {};
        handles_[next_] = {id, access};
        return ServiceHandle{next_++};
    }
    return {};
}

bool SimServices::QueryServiceBinaryPath(ServiceHandle service, std::string& path) {
    SimService* s = ServiceOf(service, kServiceQueryConfig);
    if (!s) return false;
    path = s->commandLine;
    return true;
}

bool SimServices::ReadServiceConfig(ServiceHandle service, ServiceConfig& config) {
    SimService* s = ServiceOf(service, kServiceQueryConfig);
    if (!s) return false;
    config = {s->type,           s->startType,    s->commandLine, s->errorControl,
              s->loadOrderGroup, s->dependencies, s->account,     s->displayName.value_or(std::string())};
    return true;
}

bool SimServices::ReadServiceDescription(ServiceHandle service, std::optional<std::string>& description) {
    SimService* s = ServiceOf(service, kServiceQueryConfig);
    if (!s) return false;
    description = s->description;
    return true;
}

ServiceHandle SimServices::CreateService(ScManagerHandle scm, const std::string& name, const ServiceConfig& config,
                                         std::uint32_t access, long& error) {
    const OpenHandle* manager = Lookup(scm.Value(), true);
    if (!manager) {
        error = kErrorInvalidHandle;
        return {};
    }
    if (!(manager->access & kScManagerCreateService)) {
        error = kErrorAccessDenied;
        return {};
    }
    for (auto& [id, s] : services_)
        if (SimLowerCase(s.name) == SimLowerCase(name)) {
            error = s.markedForDelete ? kErrorServiceMarkedForDelete : kErrorServiceExists;
            return {};
        }
    SimService made;
    made.name = name;
    if (!config.displayName.empty()) made.displayName = config.displayName;
    made.type = config.serviceType;
    made.state = kServiceStopped;
    made.startType = config.startType;
    made.commandLine = config.binaryPath;
    made.errorControl = config.errorControl;
    made.loadOrderGroup = config.loadOrderGroup;
    made.dependencies = config.dependencies;
    made.account = config.account.empty() ? "LocalSystem" : config.account;
    const std::uint32_t id = nextId_;
    Add(std::move(made));
    handles_[next_] = {id, access};
    error = kErrorSuccess;
    return ServiceHandle{next_++};
}

bool SimServices::SetServiceDescription(ServiceHandle service, const std::string& description) {
    SimService* s = ServiceOf(service, kServiceChangeConfig);
    if (!s) return false;
    if (description.empty()) s->description.reset();
    else s->description = description;
    return true;
}

bool SimServices::DeleteService(ServiceHandle service) {
    SimService* s = ServiceOf(service, kServiceDelete);
    if (!s || s->markedForDelete) return false;  // a second deletion is refused
    s->markedForDelete = true;
    return true;
}

bool SimServices::ChangeServiceStartType(ServiceHandle service, std::uint32_t startType) {
    SimService* s = ServiceOf(service, kServiceChangeConfig);
    if (!s) return false;
    s->startType = startType;
    return true;
}

bool SimServices::CloseServiceHandle(ScManagerHandle manager) { return Close(manager.Value()); }
bool SimServices::CloseServiceHandle(ServiceHandle service) { return Close(service.Value()); }

bool SimServices::Close(std::uintptr_t h) {
    auto it = handles_.find(h);
    if (it == handles_.end()) return false;
    const std::uint32_t id = it->second.service;
    handles_.erase(it);
    if (id) RemoveIfGone(id);
    return true;
}

void SimServices::RemoveIfGone(std::uint32_t id) {
    auto it = services_.find(id);
    if (it == services_.end() || !it->second.markedForDelete || it->second.state != kServiceStopped) return;
    for (const auto& [h, open] : handles_)
        if (open.service == id) return;
    services_.erase(it);
}

SimService& SimServices::Add(SimService service) {
    const std::uint32_t id = nextId_++;
    return services_.emplace(id, std::move(service)).first->second;
}

SimService* SimServices::Find(const std::string& name) {
    for (auto& [id, s] : services_)
        if (SimLowerCase(s.name) == SimLowerCase(name)) return &s;
    return nullptr;
}

void SimServices::Stop(const std::string& name) {
    for (auto& [id, s] : services_) {
        if (SimLowerCase(s.name) != SimLowerCase(name)) continue;
        s.state = kServiceStopped;
        RemoveIfGone(id);
        return;
    }
}

}  // namespace qm::sim
