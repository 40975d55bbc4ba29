#include "platform/win32/windows_clean.h"
#include "platform/win32/win32_platform.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace qm::win32 {

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

bool Win32System::GetWindowsDirectory(std::string& path) {
    char buffer[MAX_PATH] = {};
    const UINT n = GetSystemWindowsDirectoryA(buffer, sizeof(buffer));
    if (n == 0 || n >= sizeof(buffer)) return false;
    path.assign(buffer, n);
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

bool Win32Token::OpenProcessToken(std::uint32_t access, TokenHandle& token) {
    HANDLE h = nullptr;
    if (!::OpenProcessToken(GetCurrentProcess(), access, &h)) return false;
    token = FromRaw<TokenHandle>(h);
    return true;
}

bool Win32Token::LookupPrivilegeValue(const std::string& name, Luid& luid) {
    LUID l{};
    if (!LookupPrivilegeValueA(nullptr, name.c_str(), &l)) return false;
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
            type = MB_YESNO | MB_ICONQUESTION;
            break;
        case DialogKind::Information:
            type = MB_OK | MB_ICONINFORMATION;
            break;
        case DialogKind::Plain:
            type = MB_OK;
            break;
    }
    HWND owner = GetActiveWindow();
    // Wide, so that a name with a NUL inside is shown whole.
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
