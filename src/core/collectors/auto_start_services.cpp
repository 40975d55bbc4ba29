// Every service and driver the system starts by itself (start type boot,
// system or automatic), running or not: the services tab lists only the
// running services of their own process, while a stopped automatic service
// or a boot driver starts all the same at the next start of the machine.
#include <cstdio>
#include <iterator>

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

std::string TypeText(std::uint32_t type) {
    std::string text;
    switch (type & ~kInteractiveProcess) {
        case kServiceWin32OwnProcess:
            text = "own process";
            break;
        case kServiceWin32ShareProcess:
            text = "shared process";
            break;
        case kServiceKernelDriver:
            text = "kernel driver";
            break;
        case kServiceFileSystemDriver:
            text = "file-system driver";
            break;
        default:
            return "type " + Hex(type);
    }
    return type & kInteractiveProcess ? text + ", interactive" : text;
}

std::string StartText(std::uint32_t start) {
    switch (start) {
        case kServiceBootStart:
            return "boot";
        case kServiceSystemStart:
            return "system";
        case kServiceAutoStart:
            return "automatic";
        default:
            return "start " + Hex(start);
    }
}

std::string StateText(std::uint32_t state) {
    static constexpr const char* kStates[] = {"stopped",          "start pending", "stop pending", "running",
                                              "continue pending", "pause pending", "paused"};
    if (state >= 1 && state <= std::size(kStates)) return kStates[state - 1];
    return "state " + Hex(state);
}

bool StartsByItself(std::uint32_t start) {
    return start == kServiceBootStart || start == kServiceSystemStart || start == kServiceAutoStart;
}

}  // namespace

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
        TEntryRow& row = rows.Start();
        row.Caption = entry.serviceName;
        row.Where = ServiceLocation{entry.serviceName};
        row.SubItems.Add(entry.displayName.value_or(""));
        row.SubItems.Add(TypeText(type));
        row.SubItems.Add(read ? StartText(config.startType) : "(configuration cannot be read)");
        row.SubItems.Add(StateText(entry.currentState));
        row.SubItems.Add(read ? ServiceImageFile(config.binaryPath, windows, entry.serviceName, driver) : "");
        row.SubItems.Add(read ? config.binaryPath : "-");
        rows.Finish(context, IconSource{row.SubItems[4]});
    }
}

}  // namespace qm
