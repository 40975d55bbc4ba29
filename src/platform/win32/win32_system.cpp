#include "platform/win32/windows_clean.h"
#include "platform/win32/win32_platform.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/win32/system_library.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace qm::win32 {

bool Win32System::GetComputerName(std::uint32_t size, std::string& name) {
    std::vector<wchar_t> buffer(size, L'\0');
    DWORD n = size;
    if (!GetComputerNameW(buffer.data(), &n)) return false;
    name = FromWide(buffer.data(), wcsnlen(buffer.data(), buffer.size()));
    return true;
}

bool Win32System::GetUserName(std::uint32_t size, std::string& buffer, std::uint32_t& sizeOut) {
    std::vector<wchar_t> data(size, L'\0');
    DWORD n = size;
    if (!GetUserNameW(data.data(), &n)) return false;
    buffer = FromWide(data.data(), std::min<size_t>(n, data.size()));
    sizeOut = n;
    return true;
}

int Win32System::LocalYear() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now.wYear;
}

std::uint64_t Win32System::FileTimeNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

bool Win32System::ToLocalTime(std::uint64_t fileTime, LocalTime& local) {
    const FILETIME utc{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    SYSTEMTIME universal{}, zoned{};
    if (!FileTimeToSystemTime(&utc, &universal) || !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &zoned))
        return false;
    local = {zoned.wYear, zoned.wMonth, zoned.wDay, zoned.wHour, zoned.wMinute, zoned.wSecond};
    return true;
}

std::string Win32System::ModuleFileName() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n < buffer.size() || buffer.size() >= 32768)
            return FromWide(buffer.data(), std::min<size_t>(n, buffer.size()));
        buffer.resize(buffer.size() * 2);
    }
}

namespace {

// A folder of the system, as GetSystemWindowsDirectoryW and GetSystemDirectoryW write it.
bool SystemFolder(UINT(WINAPI* get)(LPWSTR, UINT), std::string& path) {
    wchar_t buffer[MAX_PATH] = {};
    const UINT n = get(buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    path = FromWide(buffer, n);
    return true;
}

}  // namespace

bool Win32System::GetWindowsDirectory(std::string& path) { return SystemFolder(GetSystemWindowsDirectoryW, path); }

bool Win32System::GetSystemDirectory(std::string& path) { return SystemFolder(GetSystemDirectoryW, path); }

bool Win32System::GetSystemEnvironment(std::vector<std::string>& variables) {
    using Create = BOOL WINAPI(void** block, HANDLE token, BOOL inherit);
    using Destroy = BOOL WINAPI(void* block);
    static const SystemLibrary userenv(L"userenv.dll");  // kept: the block's release needs it
    Create* const create = userenv.Find<Create>("CreateEnvironmentBlock");
    Destroy* const destroy = userenv.Find<Destroy>("DestroyEnvironmentBlock");
    void* block = nullptr;
    // No token: the system's variables only; FALSE: nothing of this program's.
    if (!create || !destroy || !create(&block, nullptr, FALSE) || !block) return false;
    const std::unique_ptr<void, Destroy*> owner(block, destroy);
    variables.clear();
    for (const wchar_t* entry = static_cast<const wchar_t*>(block); *entry; entry += wcslen(entry) + 1)
        variables.push_back(FromWide(entry));
    return true;
}

bool Win32System::Is64BitWindows() {
#ifdef _WIN64
    return true;
#else
    return IsWow64Program();
#endif
}

bool Win32System::IsWow64Program() {
#ifdef _WIN64
    return false;
#else
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

bool Win32System::DllSearchRestricted() { return DllSearchIsRestricted(); }

bool Win32System::IsWine() {
    // ntdll is loaded in every process; asking it for an export loads nothing.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string Win32System::LowerCase(const std::string& text) {
    std::wstring wide;
    // A text no UTF-16 spells names nothing; it keeps its letters as they are.
    if (!ToWide(text, wide)) return text;
    const std::wstring given = wide;
    if (!wide.empty()) CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    // A to Z by the program's own rule, whatever the system's locale makes
    // of them (a Turkish 'I').
    for (size_t i = 0; i < wide.size(); ++i)
        if (given[i] < 0x80) wide[i] = given[i] >= L'A' && given[i] <= L'Z' ? given[i] - L'A' + L'a' : given[i];
    return FromWide(wide);
}

bool Win32Token::OpenProcessToken(std::uint32_t access, TokenHandle& token) {
    HANDLE h = nullptr;
    if (!::OpenProcessToken(GetCurrentProcess(), access, &h)) return false;
    token = FromRaw<TokenHandle>(h);
    return true;
}

bool Win32Token::LookupPrivilegeValue(const std::string& name, Luid& luid) {
    LUID l{};
    std::wstring wide;
    if (!ToWide(name, wide) || !LookupPrivilegeValueW(nullptr, wide.c_str(), &l)) return false;
    luid = {l.LowPart, l.HighPart};
    return true;
}

bool Win32Token::AdjustTokenPrivileges(TokenHandle token, const Luid& luid, std::uint32_t attributes,
                                       std::uint32_t bufferLength) {
    TOKEN_PRIVILEGES set{};
    set.PrivilegeCount = 1;
    set.Privileges[0].Luid.LowPart = luid.low;
    set.Privileges[0].Luid.HighPart = luid.high;
    set.Privileges[0].Attributes = attributes;
    TOKEN_PRIVILEGES previous{};
    DWORD length = std::min<DWORD>(bufferLength, sizeof(previous));
    DWORD returned = 0;
    return ::AdjustTokenPrivileges(ToRaw<HANDLE>(token), FALSE, &set, length, &previous, &returned) != FALSE;
}

bool Win32Token::CloseToken(TokenHandle token) { return ::CloseHandle(ToRaw<HANDLE>(token)) != FALSE; }

DialogResult Win32Dialogs::Show(const DialogRequest& request) {
    UINT type = MB_OK;
    switch (request.kind) {
        case DialogKind::Error:
            type = MB_OK | MB_ICONERROR;
            break;
        case DialogKind::Confirmation:
            type = MB_YESNO | MB_ICONQUESTION | (request.defaultNo ? MB_DEFBUTTON2 : MB_DEFBUTTON1);
            break;
        case DialogKind::Information:
            type = MB_OK | MB_ICONINFORMATION;
            break;
        case DialogKind::Plain:
            type = MB_OK;
            break;
    }
    HWND owner = GetActiveWindow();
    // A name with a NUL inside is shown whole.
    switch (
        MessageBoxW(owner, ShownWide(request.text).c_str(), ShownWide(request.title).c_str(), type | MB_TASKMODAL)) {
        case IDYES:
            return DialogResult::Yes;
        case IDNO:
            return DialogResult::No;
        case IDOK:
            return DialogResult::Ok;
        case IDCANCEL:
            return DialogResult::Cancel;
        default:
            return DialogResult::None;
    }
}

}  // namespace qm::win32
