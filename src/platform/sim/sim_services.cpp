#include <algorithm>

#include "errors.h"
#include "model.h"
#include "platform/sim/sim.h"

namespace qm::sim {



Handle SimServices::OpenSCManager(std::uint32_t) {
    if (!managerAvailable) return 0;
    handles_[next_] = "";
    return next_++;
}

bool SimServices::EnumServicesStatus(Handle scm, std::uint32_t type, std::uint32_t state, std::uint32_t bufferSize,
                                     std::uint32_t& resume, std::vector<ServiceEntry>& out, long& lastError) {
    auto it = handles_.find(scm);
    if (it == handles_.end() || !it->second.empty()) {
        lastError = kErrorInvalidHandle;
        return false;
    }
    // A 32-bit ENUM_SERVICE_STATUSA is 36 bytes; its strings share the buffer.
    constexpr std::uint32_t kEntryBytes = 36;
    std::uint32_t used = 0;
    for (std::uint32_t i = resume; i < services_.size(); ++i) {
        const SimService& s = services_[i];
        const bool active = s.state != kServiceStopped;
        const bool stateMatches = (state & kServiceActive && active) || (state & kServiceInactive && !active);
        if (s.deleted || !(s.type & type) || !stateMatches) continue;
        std::uint32_t need = kEntryBytes + static_cast<std::uint32_t>(s.name.size() + 1) +
                             static_cast<std::uint32_t>(s.displayName ? s.displayName->size() + 1 : 0);
        if (used + need > bufferSize) {
            resume = i;
            lastError = kErrorMoreData;
            return false;
        }
        used += need;
        out.push_back({s.name, s.displayName, s.type, s.state});
    }
    resume = 0;
    lastError = 0;
    return true;
}

Handle SimServices::OpenService(Handle scm, const std::string& name, std::uint32_t access) {
    (void)access;
    if (!handles_.count(scm)) return 0;
    SimService* s = Find(name);
    if (!s || !s->fullAccess) return 0;
    handles_[next_] = s->name;
    return next_++;
}

bool SimServices::QueryServiceBinaryPath(Handle service, std::string& path) {
    auto it = handles_.find(service);
    if (it == handles_.end() || it->second.empty()) return false;
    SimService* s = Find(it->second);
    if (!s) return false;
    path = s->commandLine;
    return true;
}

bool SimServices::DeleteService(Handle service) {
    auto it = handles_.find(service);
    if (it == handles_.end() || it->second.empty()) return false;
    SimService* s = Find(it->second);
    if (!s) return false;
    s->deleted = true;
    return true;
}

bool SimServices::ChangeServiceStartType(Handle service, std::uint32_t startType) {
    auto it = handles_.find(service);
    if (it == handles_.end() || it->second.empty()) return false;
    SimService* s = Find(it->second);
    if (!s) return false;
    s->startType = startType;
    return true;
}

bool SimServices::CloseServiceHandle(Handle h) { return handles_.erase(h) > 0; }

SimService& SimServices::Add(SimService service) { return services_.emplace_back(std::move(service)); }

SimService* SimServices::Find(const std::string& name) {
    for (auto& s : services_)
        if (!s.deleted && LowerAscii(s.name) == LowerAscii(name)) return &s;
    return nullptr;
}

}  // namespace qm::sim
