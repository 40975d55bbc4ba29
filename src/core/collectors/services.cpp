// The running services that have a process of their own.
#include "core/collectors/services.h"

#include <algorithm>

#include "core/collectors/collector.h"
#include "core/model/text.h"
#include "platform/owner.h"

namespace qm {

namespace {

// The largest buffer a repeated call may ask for; a service control manager
// that still wants more is not answering sensibly.
constexpr std::uint32_t kLargestEnumBuffer = 16u * 1024u * 1024u;

}  // namespace

std::vector<ServiceEntry> ListServices(IServices& services, ScManagerHandle manager, std::uint32_t type,
                                       std::uint32_t state, std::uint32_t bufferSize) {
    std::vector<ServiceEntry> all;
    std::uint32_t resume = 0;
    for (;;) {
        const std::uint32_t from = resume;
        std::vector<ServiceEntry> part;
        std::uint32_t needed = 0;
        long error = kErrorSuccess;
        const bool complete =
            services.EnumServicesStatus(manager, type, state, bufferSize, resume, part, needed, error);
        if (complete) {
            all.insert(all.end(), part.begin(), part.end());
            return all;
        }
        if (error != kErrorMoreData && error != kErrorInsufficientBuffer) return all;
        if (resume != from && !part.empty()) {
            all.insert(all.end(), part.begin(), part.end());
            continue;
        }
        // Nothing moved forward: what the call left in the buffer is not to be trusted.
        if (bufferSize >= kLargestEnumBuffer) return all;
        bufferSize = std::min(kLargestEnumBuffer, std::max(needed, bufferSize * 2));
        resume = from;
    }
}

std::string GetServiceBinaryPath(Platform& platform, ServiceHandle service) {
    std::string path;
    return ReadServiceBinaryPath(platform, service, path) ? path : "-";
}

bool ReadServiceBinaryPath(Platform& platform, ServiceHandle service, std::string& path) {
    path.clear();
    return service && platform.services.QueryServiceBinaryPath(service, path);
}

void ScanServices(ScanContext& context, RowReader& rows) {
    Platform& platform = context.platform;
    IServices& services = platform.services;
    const ScManagerOwner manager(services, services.OpenSCManager(kGenericExecute | kScManagerEnumerateService));
    if (!manager) return;
    for (const ServiceEntry& entry : ListServices(services, manager.Get(), kServiceWin32OwnProcess, kServiceActive)) {
        // Opened to read its configuration and for nothing else: a service
        // that refuses administrators some other right (to stop it, to
        // change it, to read its security) is listed all the same. One
        // that refuses reading keeps its row, with "-" as its path.
        const ServiceOwner service(services,
                                   services.OpenService(manager.Get(), entry.serviceName, kServiceQueryConfig));
        Entry& row = rows.Start();
        row.name = entry.serviceName;
        std::string path;
        const bool read = ReadServiceBinaryPath(platform, service.Get(), path);
        row.where = ServiceLocation{.name = entry.serviceName, .refused = !read};
        if (!read) row.problem = kServiceConfigurationUnread;
        row.service.displayName = entry.displayName.value_or("");
        row.command = read ? path : "-";
        rows.Finish(context, IconSource{ExtractTargetPath(platform.system, row.command, ".exe")});
    }
}

}  // namespace qm
