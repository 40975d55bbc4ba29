// The simulated service control manager: a database of services with their
// type, state, start type, command line and the rights the user holds, and
// the handles open on it. It keeps Windows' rules where the program meets
// them: the enumeration fills as many entries as fit and goes on from its
// resume handle, an open asks for rights the user must hold, and a deleted
// service stays in the database, marked, until it has stopped and the last
// handle to it was closed.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace qm::sim {

struct SimService {
    std::string name;
    // None for a service listed without a display name, as Wine lists one
    // that was created without it.
    std::optional<std::string> displayName;
    std::uint32_t type = kServiceWin32OwnProcess;
    std::uint32_t state = kServiceRunning;
    std::uint32_t startType = kServiceDemandStart;
    std::string commandLine;
    std::uint32_t errorControl = 1;  // SERVICE_ERROR_NORMAL
    std::string loadOrderGroup;
    std::vector<std::string> dependencies;
    std::string account = "LocalSystem";
    std::optional<std::string> description;
    // The service rights the user is granted; an open that asks for more fails.
    std::uint32_t grantedAccess = kServiceAllAccess;
    bool markedForDelete = false;
};

class SimServices : public IServices {
public:
    ScManagerHandle OpenSCManager(std::uint32_t access) override;
    bool EnumServicesStatus(ScManagerHandle scm, std::uint32_t type, std::uint32_t state, std::uint32_t bufferSize,
                            std::uint32_t& resume, std::vector<ServiceEntry>& out, std::uint32_t& bytesNeeded,
                            long& lastError) override;
    ServiceHandle OpenService(ScManagerHandle scm, const std::string& name, std::uint32_t access) override;
    bool QueryServiceBinaryPath(ServiceHandle service, std::string& path) override;
    bool ReadServiceConfig(ServiceHandle service, ServiceConfig& config) override;
    bool DeleteService(ServiceHandle service) override;
    bool ChangeServiceStartType(ServiceHandle service, std::uint32_t startType) override;
    bool ReadServiceDescription(ServiceHandle service, std::optional<std::string>& description) override;
    ServiceHandle CreateService(ScManagerHandle scm, const std::string& name, const ServiceConfig& config,
                                std::uint32_t access, long& error) override;
    bool SetServiceDescription(ServiceHandle service, const std::string& description) override;
    bool CloseServiceHandle(ScManagerHandle manager) override;
    bool CloseServiceHandle(ServiceHandle service) override;

    // Fixtures and checks.
    SimService& Add(SimService service);
    // The service in the database under that name (names ignore case),
    // marked ones included; null once it is gone.
    SimService* Find(const std::string& name);
    // The service's program ends: a service marked for deletion leaves the
    // database now unless a handle to it is still open.
    void Stop(const std::string& name);
    int OpenHandles() const { return static_cast<int>(handles_.size()); }

    bool managerAvailable = true;
    // The calls go through the ANSI functions (sim_text.h): names and
    // display names pass the code page.
    bool ansiCalls = false;
    // Runs before every OpenService: lets a test play another program that
    // removes a service between the enumeration and the open.
    std::function<void(const std::string& name)> beforeOpen;
    // The manager rights the user is granted (generic rights included); an
    // administrator holds them all.
    std::uint32_t managerGrantedAccess = 0xFFFFFFFFu;
    // How many times the enumeration was called, and with which buffer sizes.
    std::vector<std::uint32_t> enumBufferSizes;

    // The bytes one entry takes in the caller's buffer: a 32-bit
    // ENUM_SERVICE_STATUSW followed by its two strings in UTF-16.
    static std::uint32_t EntryBytes(const SimService& service);

private:
    struct OpenHandle {
        std::uint32_t service = 0;  // 0 for the manager
        std::uint32_t access = 0;
    };
    const OpenHandle* Lookup(std::uintptr_t h, bool manager) const;
    SimService* ServiceOf(ServiceHandle h, std::uint32_t right);
    bool Close(std::uintptr_t h);
    void RemoveIfGone(std::uint32_t id);

    std::map<std::uint32_t, SimService> services_;  // by id, in the order they were added
    std::map<std::uintptr_t, OpenHandle> handles_;  // managers and services share one numbering
    std::uint32_t nextId_ = 1;
    std::uintptr_t next_ = 0x3000;
};

}  // namespace qm::sim
