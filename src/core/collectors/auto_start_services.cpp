// Every service and driver the system starts by itself (start type boot,
// system or automatic), running or not: the services tab lists only the
// running services of their own process, while a stopped automatic service
// or a boot driver starts all the same at the next start of the machine.
#include <cstdio>

#include "core/collectors/collector.h"
#include "core/collectors/services.h"
#include "core/model/image_path.h"
#include "platform/owner.h"

namespace qm {

namespace {

constexpr std::uint32_t kInteractiveProcess = 0x100;

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%X", value);
    return text;
}

struct Named {
    std::uint32_t value;
    const char* text;
};
constexpr Named kTypes[] = {{kServiceWin32OwnProcess, "own process"},
                            {kServiceWin32ShareProcess, "shared process"},
                            {kServiceKernelDriver, "kernel driver"},
                            {kServiceFileSystemDriver, "file-system driver"}};
constexpr Named kStarts[] = {{kServiceBootStart, "boot"},
                             {kServiceSystemStart, "system"},
                             {kServiceAutoStart, "automatic"},
                             {kServiceDemandStart, "on demand"},
                             {kServiceDisabled, "disabled"}};
constexpr Named kStates[] = {{1, "stopped"},          {2, "start pending"}, {3, "stop pending"}, {4, "running"},
                             {5, "continue pending"}, {6, "pause pending"}, {7, "paused"}};

// The value's name in `names`, or `other` and the value in hex.
template <size_t N>
std::string NameOf(const Named (&names)[N], std::uint32_t value, const char* other) {
    for (const Named& n : names)
        if (n.value == value) return n.text;
    return std::string(other) + " " + Hex(value);
}

std::string TypeText(std::uint32_t type) {
    const std::string text = NameOf(kTypes, type & ~kInteractiveProcess, "type");
    if (text.rfind("type ", 0) == 0) return "type " + Hex(type);
    return type & kInteractiveProcess ? text + ", interactive" : text;
}

bool StartsByItself(std::uint32_t start) {
    return start == kServiceBootStart || start == kServiceSystemStart || start == kServiceAutoStart;
}

}  // namespace

std::string ServiceStartText(std::uint32_t startType) { return NameOf(kStarts, startType, "start"); }

void ScanAutoStartServices(ScanContext& context, RowReader& rows) {
    Platform& platform = context.platform;
    IServices& services = platform.services;
    const ScManagerOwner manager(services, services.OpenSCManager(kScManagerEnumerateService));
    if (!manager) return;
    std::string windows;
    if (!platform.system.GetWindowsDirectory(windows)) windows = "C:\\Windows";
    for (const ServiceEntry& entry :
         ListServices(services, manager.Get(), kServiceDriver | kServiceWin32, kServiceStateAll)) {
        // Opened for reading its configuration and nothing more.
        const ServiceOwner service(services,
                                   services.OpenService(manager.Get(), entry.serviceName, kServiceQueryConfig));
        ServiceConfig config;
        const bool read = service && services.ReadServiceConfig(service.Get(), config);
        // One whose configuration cannot be read may start by itself: it
        // keeps its row, saying so, rather than being left out.
        if (read && !StartsByItself(config.startType)) continue;
        const std::uint32_t type = read ? config.serviceType : entry.serviceType;
        const bool driver = (type & kServiceDriver) != 0;
        Entry& row = rows.Start();
        row.name = entry.serviceName;
        row.where = ServiceLocation{.name = entry.serviceName, .refused = !read};
        if (!read) row.problem = kServiceConfigurationUnread;
        row.service.displayName = entry.displayName.value_or("");
        row.service.type = TypeText(type);
        row.service.start = read ? NameOf(kStarts, config.startType, "start") : "(configuration cannot be read)";
        row.service.state = NameOf(kStates, entry.currentState, "state");
        row.command = read ? ServiceImageFile(config.binaryPath, windows, entry.serviceName, driver) : "";
        row.service.commandLine = read ? config.binaryPath : "-";
        rows.Finish(context, IconSource{row.command});
    }
}

}  // namespace qm
