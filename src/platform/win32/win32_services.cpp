#include "platform/win32/windows_clean.h"
#include "platform/win32/win32_platform.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace qm::win32 {

ScManagerHandle Win32Services::OpenSCManager(std::uint32_t access) {
    return FromRaw<ScManagerHandle>(OpenSCManagerW(nullptr, nullptr, access));
}

namespace {

// A text of an enumeration entry, only when it lies inside the buffer: a
// failed call may leave entries it never filled in.
std::optional<std::string> TextInBuffer(const wchar_t* text, const std::vector<std::uint8_t>& buffer) {
    const auto* begin = reinterpret_cast<const std::uint8_t*>(buffer.data());
    const auto* end = begin + buffer.size();
    const auto* at = reinterpret_cast<const std::uint8_t*>(text);
    if (!text || at < begin || at + sizeof(wchar_t) > end) return std::nullopt;
    return FromWide(text, wcsnlen(text, static_cast<size_t>(end - at) / sizeof(wchar_t)));
}

}  // namespace

bool Win32Services::EnumServicesStatus(ScManagerHandle scm, std::uint32_t type, std::uint32_t state,
                                       std::uint32_t bufferSize, std::uint32_t& resume, std::vector<ServiceEntry>& out,
                                       std::uint32_t& bytesNeeded, long& lastError) {
    std::vector<std::uint8_t> buffer(bufferSize);
    DWORD needed = 0, returned = 0, resumeHandle = resume;
    BOOL ok =
        EnumServicesStatusW(ToRaw<SC_HANDLE>(scm), type, state, reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data()),
                            bufferSize, &needed, &returned, &resumeHandle);
    lastError = ok ? 0 : static_cast<long>(GetLastError());
    bytesNeeded = needed;
    resume = resumeHandle;
    // Never more entries than the buffer can hold, whatever the call counted.
    returned = std::min<DWORD>(returned, bufferSize / sizeof(ENUM_SERVICE_STATUSW));
    if (!ok && lastError != ERROR_MORE_DATA) returned = 0;
    const auto* entries = reinterpret_cast<const ENUM_SERVICE_STATUSW*>(buffer.data());
    for (DWORD i = 0; i < returned; ++i) {
        ServiceEntry e;
        e.serviceName = TextInBuffer(entries[i].lpServiceName, buffer).value_or("");
        e.displayName = TextInBuffer(entries[i].lpDisplayName, buffer);
        e.serviceType = entries[i].ServiceStatus.dwServiceType;
        e.currentState = entries[i].ServiceStatus.dwCurrentState;
        out.push_back(std::move(e));
    }
    return ok != FALSE;
}

ServiceHandle Win32Services::OpenService(ScManagerHandle scm, const std::string& name, std::uint32_t access) {
    std::wstring wide;
    if (!ToWide(name, wide)) return ServiceHandle{};
    return FromRaw<ServiceHandle>(OpenServiceW(ToRaw<SC_HANDLE>(scm), wide.c_str(), access));
}

bool Win32Services::QueryServiceBinaryPath(ServiceHandle service, std::string& path) {
    DWORD needed = 0;
    QueryServiceConfigW(ToRaw<SC_HANDLE>(service), nullptr, 0, &needed);
    if (needed == 0) return false;
    std::vector<std::uint8_t> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!QueryServiceConfigW(ToRaw<SC_HANDLE>(service), config, needed, &needed)) return false;
    path = FromWide(config->lpBinaryPathName);
    return true;
}

bool Win32Services::ReadServiceConfig(ServiceHandle service, ServiceConfig& config) {
    DWORD needed = 0;
    QueryServiceConfigW(ToRaw<SC_HANDLE>(service), nullptr, 0, &needed);
    if (needed == 0) return false;
    // Held in QUERY_SERVICE_CONFIGW's own alignment, its strings after it.
    std::vector<QUERY_SERVICE_CONFIGW> buffer(needed / sizeof(QUERY_SERVICE_CONFIGW) + 1);
    const DWORD size = static_cast<DWORD>(buffer.size() * sizeof(QUERY_SERVICE_CONFIGW));
    if (!QueryServiceConfigW(ToRaw<SC_HANDLE>(service), buffer.data(), size, &needed)) return false;
    const QUERY_SERVICE_CONFIGW& c = buffer[0];
    config.serviceType = c.dwServiceType;
    config.startType = c.dwStartType;
    config.binaryPath = FromWide(c.lpBinaryPathName);
    return true;
}

bool Win32Services::DeleteService(ServiceHandle service) { return ::DeleteService(ToRaw<SC_HANDLE>(service)) != FALSE; }

bool Win32Services::ChangeServiceStartType(ServiceHandle service, std::uint32_t startType) {
    return ChangeServiceConfigW(ToRaw<SC_HANDLE>(service), SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) != FALSE;
}

bool Win32Services::CloseServiceHandle(ScManagerHandle manager) {
    return ::CloseServiceHandle(ToRaw<SC_HANDLE>(manager)) != FALSE;
}
bool Win32Services::CloseServiceHandle(ServiceHandle service) {
    return ::CloseServiceHandle(ToRaw<SC_HANDLE>(service)) != FALSE;
}

}  // namespace qm::win32
