// The simulated service control manager.
#pragma once
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace qm::sim {

struct SimService {
    std::string name;
    std::optional<std::string> displayName;
    std::uint32_t type = kServiceWin32OwnProcess;
    std::uint32_t state = kServiceRunning;
    std::uint32_t startType = kServiceDemandStart;
    std::string commandLine;
    bool fullAccess = true;  // whether SERVICE_ALL_ACCESS is granted
    bool deleted = false;
};

class SimServices : public IServices {
public:
    Handle OpenSCManager(std::uint32_t access) override;
    bool EnumServicesStatus(Handle scm, std::uint32_t type, std::uint32_t state, std::uint32_t bufferSize,
                            std::uint32_t& resume, std::vector<ServiceEntry>& out, long& lastError) override;
    Handle OpenService(Handle scm, const std::string& name, std::uint32_t access) override;
    bool QueryServiceBinaryPath(Handle service, std::string& path) override;
    bool DeleteService(Handle service) override;
    bool ChangeServiceStartType(Handle service, std::uint32_t startType) override;
    bool CloseServiceHandle(Handle h) override;

    SimService& Add(SimService service);
    SimService* Find(const std::string& name);
    bool managerAvailable = true;
    int OpenHandles() const { return static_cast<int>(handles_.size()); }

private:
    std::vector<SimService> services_;
    std::map<Handle, std::string> handles_;  // "" for the manager
    Handle next_ = 0x3000;
};

}  // namespace qm::sim
