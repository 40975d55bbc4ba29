#include "platform/win32/windows_clean.h"
#include "platform/win32/win32_platform.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
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
        if (QueryServiceConfigW(service, buffer.data(), static_cast<DWORD>(buffer.size() * sizeof(buffer[0])), &needed))
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

namespace {

// A text of the configuration, read no further than the buffer: the
// manager's answer lies inside it.
std::string ConfigText(const wchar_t* text, const std::vector<QUERY_SERVICE_CONFIGW>& buffer) {
    const auto* end = reinterpret_cast<const std::uint8_t*>(buffer.data() + buffer.size());
    const auto* at = reinterpret_cast<const std::uint8_t*>(text);
    if (!text || at < reinterpret_cast<const std::uint8_t*>(buffer.data()) || at >= end) return std::string();
    return FromWide(text, wcsnlen(text, static_cast<size_t>(end - at) / sizeof(wchar_t)));
}

// lpDependencies: texts one after another, each ending in a NUL, the list
// in an empty one.
std::vector<std::string> DependencyList(const wchar_t* list, const std::vector<QUERY_SERVICE_CONFIGW>& buffer) {
    std::vector<std::string> out;
    const auto* end = reinterpret_cast<const wchar_t*>(buffer.data() + buffer.size());
    for (const wchar_t* at = list; at && at < end && *at;) {
        const size_t length = wcsnlen(at, static_cast<size_t>(end - at));
        out.push_back(FromWide(at, length));
        at += length + 1;
    }
    return out;
}

// The same list to hand over: each text with its NUL, and one more.
std::wstring DoubleNulList(const std::vector<std::string>& texts, bool& valid) {
    std::wstring list;
    valid = true;
    for (const std::string& text : texts) {
        std::wstring wide;
        valid = ToWide(text, wide) && valid;
        list += wide;
        list += L'\0';
    }
    list += L'\0';
    return list;
}

}  // namespace

bool Win32Services::ReadServiceConfig(ServiceHandle service, ServiceConfig& config) {
    std::vector<QUERY_SERVICE_CONFIGW> buffer;
    const QUERY_SERVICE_CONFIGW* c = QueryConfig(ToRaw<SC_HANDLE>(service), buffer);
    if (!c) return false;
    config.serviceType = c->dwServiceType;
    config.startType = c->dwStartType;
    config.binaryPath = ConfigText(c->lpBinaryPathName, buffer);
    config.errorControl = c->dwErrorControl;
    config.loadOrderGroup = ConfigText(c->lpLoadOrderGroup, buffer);
    config.dependencies = DependencyList(c->lpDependencies, buffer);
    config.account = ConfigText(c->lpServiceStartName, buffer);
    config.displayName = ConfigText(c->lpDisplayName, buffer);
    return true;
}

bool Win32Services::ReadServiceDescription(ServiceHandle service, std::optional<std::string>& description) {
    // In SERVICE_DESCRIPTIONW's own alignment, the text after it; asked
    // again with the size the manager names should it want more.
    std::vector<SERVICE_DESCRIPTIONW> buffer;
    DWORD size = 2 * 1024;
    for (int attempt = 0; attempt < 2; ++attempt) {
        buffer.assign(size / sizeof(SERVICE_DESCRIPTIONW) + 1, SERVICE_DESCRIPTIONW{});
        const DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(buffer[0]));
        DWORD needed = 0;
        if (QueryServiceConfig2W(ToRaw<SC_HANDLE>(service), SERVICE_CONFIG_DESCRIPTION,
                                 reinterpret_cast<BYTE*>(buffer.data()), bytes, &needed)) {
            const wchar_t* text = buffer[0].lpDescription;
            const auto* end = reinterpret_cast<const wchar_t*>(buffer.data() + buffer.size());
            if (!text) description.reset();
            else description = FromWide(text, wcsnlen(text, static_cast<size_t>(end - text)));
            return true;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= size) return false;
        size = needed;
    }
    return false;
}

ServiceHandle Win32Services::CreateService(ScManagerHandle scm, const std::string& name, const ServiceConfig& config,
                                           std::uint32_t access, long& error) {
    std::wstring wideName, display, path, group, account;
    bool valid = ToWide(name, wideName) && ToWide(config.displayName, display) && ToWide(config.binaryPath, path) &&
                 ToWide(config.loadOrderGroup, group) && ToWide(config.account, account);
    bool dependenciesValid = true;
    const std::wstring dependencies = DoubleNulList(config.dependencies, dependenciesValid);
    if (!valid || !dependenciesValid) {
        error = kErrorNoUnicodeTranslation;
        return ServiceHandle{};
    }
    const auto orNull = [](const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); };
    // LocalSystem is asked for by naming no account, for which the manager
    // writes "LocalSystem" (a driver kept with none is made with none); any
    // other account, "localsystem" in other letters too, is handed over as
    // it was kept, and the manager keeps it as given. So the account read
    // back is the one read before.
    const bool localSystem = account == L"LocalSystem";
    SC_HANDLE made = CreateServiceW(
        ToRaw<SC_HANDLE>(scm), wideName.c_str(), orNull(display), access, config.serviceType, config.startType,
        config.errorControl, path.c_str(), orNull(group), nullptr,
        config.dependencies.empty() ? nullptr : dependencies.c_str(), localSystem ? nullptr : orNull(account), nullptr);
    error = made ? kErrorSuccess : static_cast<long>(GetLastError());
    return FromRaw<ServiceHandle>(made);
}

bool Win32Services::SetServiceDescription(ServiceHandle service, const std::string& description) {
    std::wstring wide;
    if (!ToWide(description, wide)) return false;
    // An empty text takes the description away.
    SERVICE_DESCRIPTIONW info{wide.data()};
    return ChangeServiceConfig2W(ToRaw<SC_HANDLE>(service), SERVICE_CONFIG_DESCRIPTION, &info) != FALSE;
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
