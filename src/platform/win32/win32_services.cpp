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

namespace {

// QueryServiceConfigW into a buffer held in QUERY_SERVICE_CONFIGW's own
// alignment, its strings after it: at once into 8 KiB, the most the call
// hands over, and asked again with the size it names should it want more.
// One round trip to the service manager instead of two.
const QUERY_SERVICE_CONFIGW* QueryConfig(SC_HANDLE service, std::vector<QUERY_SERVICE_CONFIGW>& buffer) {
    DWORD size = 8 * 1024;
    for (int attempt = 0; attempt < 2; ++attempt) {
        buffer.assign(size / sizeof(QUERY_SERVICE_CONFIGW) + 1, QUERY_SERVICE_CONFIGW{});
        DWORD needed = 0;
        if (QueryServiceConfigW(service, buffer.data(), static_cast<DWORD>(buffer.size() * sizeof(buffer[0])),
                                &needed))
            return buffer.data();
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= size) return nullptr;
        size = needed;
    }
    return nullptr;
}

}  // namespace

bool Win32Services::QueryServiceBinaryPath(ServiceHandle service, std::string& path) {
    std::vector<QUERY_SERVICE_CONFIGW> buffer;
    const QUERY_SERVICE_CONFIGW* config = QueryConfig(ToRaw<SC_HANDLE>(service), buffer);
    if (!config) return false;
    path = FromWide(config->lpBinaryPathName);
    return true;
}

bool Win32Services::ReadServiceConfig(ServiceHandle service, ServiceConfig& config) {
    std::vector<QUERY_SERVICE_CONFIGW> buffer;
    const QUERY_SERVICE_CONFIGW* c = QueryConfig(ToRaw<SC_HANDLE>(service), buffer);
    if (!c) return false;
    config.serviceType = c->dwServiceType;
    config.startType = c->dwStartType;
    config.binaryPath = FromWide(c->lpBinaryPathName);
    config.errorControl = c->dwErrorControl;
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
