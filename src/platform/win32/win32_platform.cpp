#include "platform/win32/win32_platform.h"

#include "platform/win32/windows_clean.h"

#include <ctime>

#include "errors.h"

namespace qm::win32 {

namespace {

HKEY AsKey(Handle h) { return reinterpret_cast<HKEY>(h); }
SC_HANDLE AsService(Handle h) { return reinterpret_cast<SC_HANDLE>(h); }
template <class T>
Handle AsHandle(T h) {
    return reinterpret_cast<Handle>(h);
}

// Releases a COM interface on every path out.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_) p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** Out() { return &p_; }
    T* operator->() const { return p_; }
    T* Get() const { return p_; }

private:
    T* p_ = nullptr;
};

std::string ComErrorText(HRESULT hr) {
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = n ? std::string(text, n) : FormatMessage1("COM error 0x%08X", static_cast<long long>(static_cast<unsigned long>(hr)));
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

}  // namespace

// ---- Registry ---------------------------------------------------------------------------------

long Win32Registry::OpenKey(Handle parent, const std::string& subKey, std::uint32_t access, Handle& out) {
    HKEY key = nullptr;
    long rc = RegOpenKeyExA(AsKey(parent), subKey.c_str(), 0, access, &key);
    if (rc == ERROR_SUCCESS) out = AsHandle(key);
    return rc;
}

long Win32Registry::CloseKey(Handle key) { return RegCloseKey(AsKey(key)); }

long Win32Registry::QueryInfoKey(Handle key, std::uint32_t& subKeys, std::uint32_t& values) {
    DWORD k = 0, v = 0;
    long rc = RegQueryInfoKeyA(AsKey(key), nullptr, nullptr, nullptr, &k, nullptr, nullptr, &v, nullptr, nullptr,
                               nullptr, nullptr);
    subKeys = k;
    values = v;
    return rc;
}

long Win32Registry::EnumValue(Handle key, std::uint32_t index, std::string& name) {
    DWORD maxName = 0;
    RegQueryInfoKeyA(AsKey(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, nullptr,
                     nullptr, nullptr);
    std::string buffer(maxName + 2, '\0');
    DWORD size = static_cast<DWORD>(buffer.size());
    long rc = RegEnumValueA(AsKey(key), index, buffer.data(), &size, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_SUCCESS) name.assign(buffer.c_str(), size);
    return rc;
}

long Win32Registry::EnumKey(Handle key, std::uint32_t index, std::string& name) {
    char buffer[256];  // key names are at most 255 characters
    DWORD size = sizeof(buffer);
    long rc = RegEnumKeyExA(AsKey(key), index, buffer, &size, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_SUCCESS) name.assign(buffer, size);
    return rc;
}

long Win32Registry::QueryValueInfo(Handle key, const std::string& name, std::uint32_t& type, std::uint32_t& size) {
    DWORD t = 0, s = 0;
    long rc = RegQueryValueExA(AsKey(key), name.c_str(), nullptr, &t, nullptr, &s);
    type = t;
    size = s;
    return rc;
}

long Win32Registry::QueryValue(Handle key, const std::string& name, std::uint32_t size, RegValue& out) {
    std::vector<std::uint8_t> data(size);
    DWORD t = 0, s = size;
    long rc = RegQueryValueExA(AsKey(key), name.c_str(), nullptr, &t, data.data(), &s);
    if (rc != ERROR_SUCCESS) return rc;
    data.resize(s);
    out.type = t;
    out.data = std::move(data);
    return rc;
}

long Win32Registry::DeleteValue(Handle key, const std::string& name) { return RegDeleteValueA(AsKey(key), name.c_str()); }

long Win32Registry::DeleteKey(Handle key, const std::string& subKey) { return RegDeleteKeyA(AsKey(key), subKey.c_str()); }

long Win32Registry::CreateKey(Handle parent, const std::string& subKey, Handle& out) {
    HKEY key = nullptr;
    long rc = RegCreateKeyExA(AsKey(parent), subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (rc == ERROR_SUCCESS) out = AsHandle(key);
    return rc;
}

long Win32Registry::SetValue(Handle key, const std::string& name, std::uint32_t type,
                             const std::vector<std::uint8_t>& data) {
    return RegSetValueExA(AsKey(key), name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
}

// ---- Services ---------------------------------------------------------------------------------

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

// ---- Shell ------------------------------------------------------------------------------------

Handle Win32Shell::GetFileInfo(const std::string& path, std::uint32_t fileAttributes, ShellFileInfo& info,
                               std::uint32_t flags) {
    SHFILEINFOA record{};
    DWORD_PTR result = SHGetFileInfoA(path.c_str(), fileAttributes, &record, sizeof(record), flags);
    if (flags & SHGFI_EXETYPE) return result;
    if (result == 0) return 0;  // the record keeps the caller's defaults
    info.hIcon = AsHandle(record.hIcon);
    info.iIcon = record.iIcon;
    info.attributes = record.dwAttributes;
    info.displayName.assign(record.szDisplayName, strnlen(record.szDisplayName, sizeof(record.szDisplayName)));
    info.typeName.assign(record.szTypeName, strnlen(record.szTypeName, sizeof(record.szTypeName)));
    return result;
}

bool Win32Shell::DestroyIcon(Handle icon) { return ::DestroyIcon(reinterpret_cast<HICON>(icon)) != FALSE; }

bool Win32Shell::GetSpecialFolderPath(int csidl, bool create, std::string& path) {
    char buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, create)) return false;
    path.assign(buffer, strnlen(buffer, sizeof(buffer)));
    return true;
}

namespace {
class Win32ShellLink : public IShellLinkObject {
public:
    Win32ShellLink() {
        HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                      IID_IShellLinkA, reinterpret_cast<void**>(link_.Out()));
        if (FAILED(hr)) throw QuellmarkError(ComErrorText(hr));
        hr = link_->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file_.Out()));
        if (FAILED(hr)) throw QuellmarkError(ComErrorText(hr));
    }
    long Load(const std::string& path, std::uint32_t mode) override {
        int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
        std::wstring wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), n);
        return file_->Load(wide.c_str(), mode);
    }
    long GetPath(std::string& path, int bufferChars) override {
        std::vector<char> buffer(static_cast<size_t>(bufferChars), '\0');
        WIN32_FIND_DATAA data{};
        HRESULT hr = link_->GetPath(buffer.data(), bufferChars, &data, 0);
        path.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
        return hr;
    }

private:
    ComPtr<IShellLinkA> link_;
    ComPtr<IPersistFile> file_;
};
}  // namespace

std::unique_ptr<IShellLinkObject> Win32Shell::CreateShellLink() { return std::make_unique<Win32ShellLink>(); }

Handle Win32Shell::ShellExecute(const std::string& operation, const std::string& file, const std::string& parameters,
                                const std::string& directory, int show) {
    return AsHandle(ShellExecuteA(nullptr, operation.empty() ? nullptr : operation.c_str(), file.c_str(),
                                  parameters.empty() ? nullptr : parameters.c_str(),
                                  directory.empty() ? nullptr : directory.c_str(), show));
}

bool Win32Shell::ShellExecuteEx(const ShellExecuteInfo& info) {
    SHELLEXECUTEINFOA sei{};
    sei.cbSize = sizeof(sei);
    sei.fMask = info.mask;
    sei.hwnd = GetActiveWindow();
    sei.lpVerb = info.verb.empty() ? nullptr : info.verb.c_str();
    sei.lpFile = info.file.c_str();
    sei.lpParameters = info.parameters.empty() ? nullptr : info.parameters.c_str();
    sei.lpDirectory = info.directory.empty() ? nullptr : info.directory.c_str();
    sei.nShow = info.show;
    BOOL ok = ShellExecuteExA(&sei);
    if (sei.hProcess) ::CloseHandle(sei.hProcess);
    return ok != FALSE;
}

// ---- Files ------------------------------------------------------------------------------------

void Win32Files::FindFiles(const std::string& pattern, std::uint32_t attributeMask, std::vector<FoundFile>& out) {
    WIN32_FIND_DATAA data{};
    HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    // The classic search leaves out hidden, system and directory entries
    // unless the mask asks for them.
    const DWORD excluded = ~attributeMask & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x8 | FILE_ATTRIBUTE_DIRECTORY);
    do {
        if (data.dwFileAttributes & excluded) continue;
        out.push_back({data.cFileName, data.dwFileAttributes});
    } while (FindNextFileA(search, &data));
    FindClose(search);
}

bool Win32Files::DeleteFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

// ---- Version resources ------------------------------------------------------------------------

std::uint32_t Win32Versions::GetFileVersionInfoSize(const std::string& path) {
    DWORD handle = 0;
    return GetFileVersionInfoSizeA(path.c_str(), &handle);
}

bool Win32Versions::GetFileVersionInfo(const std::string& path, std::uint32_t size, std::vector<std::uint8_t>& block) {
    block.assign(size, 0);
    return GetFileVersionInfoA(path.c_str(), 0, size, block.data()) != FALSE;
}

bool Win32Versions::VerQueryValue(const std::vector<std::uint8_t>& block, const std::string& subBlock,
                                  std::vector<std::uint8_t>& value) {
    void* data = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), subBlock.c_str(), &data, &length) || !data) return false;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    // String values report their length in characters; both are bytes in ANSI.
    value.assign(bytes, bytes + length);
    return true;
}

// ---- Processes and windows --------------------------------------------------------------------

bool Win32Processes::CreateProcess(const std::string& commandLine, std::uint32_t creationFlags, ProcessInfo& info) {
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, creationFlags, nullptr, nullptr, &startup, &pi))
        return false;
    info = {AsHandle(pi.hProcess), AsHandle(pi.hThread), pi.dwProcessId};
    return true;
}

std::uint32_t Win32Processes::WaitForInputIdle(Handle process, std::uint32_t ms) {
    return ::WaitForInputIdle(reinterpret_cast<HANDLE>(process), ms);
}
std::uint32_t Win32Processes::WaitForSingleObject(Handle h, std::uint32_t ms) {
    return ::WaitForSingleObject(reinterpret_cast<HANDLE>(h), ms);
}
bool Win32Processes::GetExitCodeProcess(Handle process, std::uint32_t& code) {
    DWORD c = 0;
    BOOL ok = ::GetExitCodeProcess(reinterpret_cast<HANDLE>(process), &c);
    code = c;
    return ok != FALSE;
}
bool Win32Processes::CloseHandle(Handle h) { return ::CloseHandle(reinterpret_cast<HANDLE>(h)) != FALSE; }
Handle Win32Processes::FindWindow(const std::string* className, const std::string* title) {
    return AsHandle(FindWindowA(className ? className->c_str() : nullptr, title ? title->c_str() : nullptr));
}
Handle Win32Processes::FindWindowEx(Handle parent, Handle after, const std::string* className, const std::string* title) {
    return AsHandle(FindWindowExA(reinterpret_cast<HWND>(parent), reinterpret_cast<HWND>(after),
                                  className ? className->c_str() : nullptr, title ? title->c_str() : nullptr));
}
bool Win32Processes::ShowWindow(Handle window, int show) { return ::ShowWindow(reinterpret_cast<HWND>(window), show) != FALSE; }
bool Win32Processes::SetForegroundWindow(Handle window) {
    return ::SetForegroundWindow(reinterpret_cast<HWND>(window)) != FALSE;
}
Handle Win32Processes::SetFocus(Handle window) { return AsHandle(::SetFocus(reinterpret_cast<HWND>(window))); }
std::intptr_t Win32Processes::SendWindowMessage(Handle window, std::uint32_t message, std::uintptr_t wParam,
                                          std::intptr_t lParam) {
    return SendMessageA(reinterpret_cast<HWND>(window), message, wParam, lParam);
}
void Win32Processes::Sleep(std::uint32_t ms) { ::Sleep(ms); }

// ---- System, token ----------------------------------------------------------------------------

bool Win32System::GetComputerName(std::uint32_t size, std::string& name) {
    std::vector<char> buffer(size, '\0');
    DWORD n = size;
    if (!GetComputerNameA(buffer.data(), &n)) return false;
    name.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
    return true;
}

bool Win32System::GetUserName(std::uint32_t size, std::string& buffer, std::uint32_t& sizeOut) {
    std::vector<char> data(size, '\0');
    DWORD n = size;
    if (!GetUserNameA(data.data(), &n)) return false;
    buffer.assign(data.data(), std::min<size_t>(n, data.size()));
    sizeOut = n;
    return true;
}

int Win32System::LocalYear() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now.wYear;
}

std::string Win32System::ModuleFileName() {
    char buffer[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
    return std::string(buffer, n);
}

bool Win32Token::OpenProcessToken(std::uint32_t access, Handle& token) {
    HANDLE h = nullptr;
    if (!::OpenProcessToken(GetCurrentProcess(), access, &h)) return false;
    token = AsHandle(h);
    return true;
}

bool Win32Token::LookupPrivilegeValue(const std::string& name, Luid& luid) {
    LUID l{};
    if (!LookupPrivilegeValueA(nullptr, name.c_str(), &l)) return false;
    luid = {l.LowPart, l.HighPart};
    return true;
}

bool Win32Token::AdjustTokenPrivileges(Handle token, const Luid& luid, std::uint32_t attributes,
                                       std::uint32_t bufferLength) {
    TOKEN_PRIVILEGES set{};
    set.PrivilegeCount = 1;
    set.Privileges[0].Luid.LowPart = luid.low;
    set.Privileges[0].Luid.HighPart = luid.high;
    set.Privileges[0].Attributes = attributes;
    TOKEN_PRIVILEGES previous{};
    DWORD length = std::min<DWORD>(bufferLength, sizeof(previous));
    DWORD returned = 0;
    return ::AdjustTokenPrivileges(reinterpret_cast<HANDLE>(token), FALSE, &set, length, &previous, &returned) != FALSE;
}

bool Win32Token::CloseToken(Handle token) { return ::CloseHandle(reinterpret_cast<HANDLE>(token)) != FALSE; }

// ---- Dialogs ----------------------------------------------------------------------------------

DialogResult Win32Dialogs::Show(const DialogRequest& request) {
    UINT type = MB_OK;
    switch (request.kind) {
        case DialogKind::Error: type = MB_OK | MB_ICONERROR; break;
        case DialogKind::Confirmation: type = MB_YESNO | MB_ICONQUESTION; break;
        case DialogKind::Information: type = MB_OK | MB_ICONINFORMATION; break;
        case DialogKind::Plain: type = MB_OK; break;
    }
    HWND owner = GetActiveWindow();
    switch (MessageBoxA(owner, request.text.c_str(), request.title.c_str(), type | MB_TASKMODAL)) {
        case IDYES: return DialogResult::Yes;
        case IDNO: return DialogResult::No;
        case IDOK: return DialogResult::Ok;
        case IDCANCEL: return DialogResult::Cancel;
        default: return DialogResult::None;
    }
}

}  // namespace qm::win32
