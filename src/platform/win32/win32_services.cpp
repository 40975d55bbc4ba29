#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_clean.h"

#include <algorithm>
#include <cstring>

#include "errors.h"
#include "platform/win32/handles.h"

namespace qm::win32 {

Handle Win32Services::OpenSCManager(std::uint32_t access) { return AsHandle(OpenSCManagerA(nullptr, nullptr, access)); }

bool Win32Services::EnumServicesStatus(Handle scm, std::uint32_t type, std::uint32_t state, std::uint32_t bufferSize,
                                       std::uint32_t& resume, std::vector<ServiceEntry>& out, long& lastError) {
    std::vector<std::uint8_t> buffer(bufferSize);
    DWORD needed = 0, returned = 0, resumeHandle = resume;
    BOOL ok = EnumServicesStatusA(AsService(scm), type, state, reinterpret_cast<ENUM_SERVICE_STATUSA*>(buffer.data()),
                                  bufferSize, &needed, &returned, &resumeHandle);
    lastError = ok ? 0 : static_cast<long>(GetLastError());
    const auto* entries = reinterpret_cast<const ENUM_SERVICE_STATUSA*>(buffer.data());
    for (DWORD i = 0; i < returned; ++i) {
        ServiceEntry e;
        e.serviceName = entries[i].lpServiceName ? entries[i].lpServiceName : "";
        if (entries[i].lpDisplayName) e.displayName = entries[i].lpDisplayName;
        e.serviceType = entries[i].ServiceStatus.dwServiceType;
        e.currentState = entries[i].ServiceStatus.dwCurrentState;
        out.push_back(std::move(e));
    }
    resume = resumeHandle;
    return ok != FALSE;
}

Handle Win32Services::OpenService(Handle scm, const std::string& name, std::uint32_t access) {
    return AsHandle(OpenServiceA(AsService(scm), name.c_str(), access));
}

bool Win32Services::QueryServiceBinaryPath(Handle service, std::string& path) {
    DWORD needed = 0;
    QueryServiceConfigA(AsService(service), nullptr, 0, &needed);
    if (needed == 0) return false;
    std::vector<std::uint8_t> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    if (!QueryServiceConfigA(AsService(service), config, needed, &needed)) return false;
    path = config->lpBinaryPathName ? config->lpBinaryPathName : "";
    return true;
}

bool Win32Services::DeleteService(Handle service) { return ::DeleteService(AsService(service)) != FALSE; }

bool Win32Services::ChangeServiceStartType(Handle service, std::uint32_t startType) {
    return ChangeServiceConfigA(AsService(service), SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr) != FALSE;
}

bool Win32Services::CloseServiceHandle(Handle h) { return ::CloseServiceHandle(AsService(h)) != FALSE; }

}  // namespace qm::win32
