#include "platform/win32/windows_clean.h"
#include "contract/service_env.h"

#include <vector>

#include "platform/win32/win32_text.h"

namespace qm::contract {

namespace {

class ScHandle {
public:
    explicit ScHandle(SC_HANDLE h) : h_(h) {}
    ~ScHandle() {
        if (h_) CloseServiceHandle(h_);
    }
    ScHandle(const ScHandle&) = delete;
    ScHandle& operator=(const ScHandle&) = delete;
    SC_HANDLE Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

private:
    SC_HANDLE h_;
};

ScHandle Manager() { return ScHandle(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)); }

std::wstring Wide(const std::string& text) {
    std::wstring wide;
    win32::ToWide(text, wide);
    return wide;
}

std::string ProgramPath() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::string path = win32::FromWide(self);
    return path.substr(0, path.find_last_of('\\') + 1) + "qm_scratch_service.exe";
}

bool WaitForState(SC_HANDLE service, DWORD state) {
    for (int i = 0; i < 100; ++i) {
        SERVICE_STATUS status{};
        if (!QueryServiceStatus(service, &status)) return false;
        if (status.dwCurrentState == state) return true;
        Sleep(50);
    }
    return false;
}

}  // namespace

std::string CreateScratchService(const std::string& name, const std::string& displayName, std::uint32_t startType,
                                 const std::string& arguments) {
    ScHandle manager = Manager();
    std::string commandLine = ProgramPath();
    commandLine.insert(0, 1, '"');
    commandLine += "\" " + arguments;
    // Wide: a display name may be in any script.
    ScHandle service(CreateServiceW(manager.Get(), Wide(name).c_str(), Wide(displayName).c_str(), SERVICE_ALL_ACCESS,
                                    SERVICE_WIN32_OWN_PROCESS, startType, SERVICE_ERROR_IGNORE,
                                    Wide(commandLine).c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    return service ? commandLine : std::string();
}

bool StartScratchService(const std::string& name) {
    ScHandle manager = Manager();
    ScHandle service(OpenServiceW(manager.Get(), Wide(name).c_str(), SERVICE_START | SERVICE_QUERY_STATUS));
    return service && StartServiceA(service.Get(), 0, nullptr) && WaitForState(service.Get(), SERVICE_RUNNING);
}

bool StopScratchService(const std::string& name) {
    ScHandle manager = Manager();
    ScHandle service(OpenServiceW(manager.Get(), Wide(name).c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS));
    SERVICE_STATUS status{};
    return service && ControlService(service.Get(), SERVICE_CONTROL_STOP, &status) &&
           WaitForState(service.Get(), SERVICE_STOPPED);
}

void RemoveScratchService(const std::string& name) {
    {
        ScHandle manager = Manager();
        ScHandle service(OpenServiceW(manager.Get(), Wide(name).c_str(), SERVICE_ALL_ACCESS));
        if (!service) return;
        SERVICE_STATUS status{};
        if (ControlService(service.Get(), SERVICE_CONTROL_STOP, &status)) WaitForState(service.Get(), SERVICE_STOPPED);
        DeleteService(service.Get());  // refused when it is marked already
    }
    for (int i = 0; i < 100 && ScratchServiceExists(name); ++i) Sleep(50);
}

bool ScratchServiceExists(const std::string& name) {
    ScHandle manager = Manager();
    ScHandle service(OpenServiceW(manager.Get(), Wide(name).c_str(), SERVICE_QUERY_STATUS));
    return static_cast<bool>(service);
}

std::uint32_t ScratchServiceStartType(const std::string& name) {
    ScHandle manager = Manager();
    ScHandle service(OpenServiceW(manager.Get(), Wide(name).c_str(), SERVICE_QUERY_CONFIG));
    DWORD needed = 0;
    QueryServiceConfigA(service.Get(), nullptr, 0, &needed);
    if (!service || needed == 0) return 0;
    std::vector<unsigned char> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    return QueryServiceConfigA(service.Get(), config, needed, &needed) ? config->dwStartType : 0;
}

}  // namespace qm::contract
