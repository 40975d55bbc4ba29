#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_clean.h"

#include <algorithm>
#include <cstring>

#include "core/errors.h"
#include "platform/win32/win32_handles.h"

namespace qm::win32 {

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
std::uint32_t Win32Processes::GetLastError() { return ::GetLastError(); }

}  // namespace qm::win32
