#include "platform/win32/windows_clean.h"
#include "platform/win32/win32_platform.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace qm::win32 {

namespace {

// The environment block of CreateProcessW in UTF-16: each "NAME=value" and
// its NUL, then the NUL that ends the block (an empty block is two NULs).
bool EnvironmentBlock(const std::vector<std::string>& variables, std::wstring& block) {
    block.clear();
    for (const std::string& variable : variables) {
        std::wstring wide;
        if (!ToWide(variable, wide)) return false;
        block += wide;
        block += L'\0';
    }
    if (variables.empty()) block += L'\0';
    block += L'\0';
    return true;
}

}  // namespace

bool Win32Processes::CreateProcess(const ProcessStart& start, ProcessInfo& info) {
    std::wstring buffer, directory, environment;
    if (!ToWide(start.commandLine, buffer) || !ToWide(start.directory, directory) ||
        (start.environment && !EnvironmentBlock(*start.environment, environment))) {
        SetLastError(kErrorNoUnicodeTranslation);
        return false;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION pi{};
    const DWORD flags = start.creationFlags | (start.environment ? CREATE_UNICODE_ENVIRONMENT : 0);
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, flags,
                        start.environment ? environment.data() : nullptr,
                        start.directory.empty() ? nullptr : directory.c_str(), &startup, &pi))
        return false;
    info = {FromRaw<ProcessHandle>(pi.hProcess), FromRaw<ThreadHandle>(pi.hThread), pi.dwProcessId};
    return true;
}

std::uint32_t Win32Processes::WaitForInputIdle(ProcessHandle process, std::uint32_t ms) {
    return ::WaitForInputIdle(ToRaw<HANDLE>(process), ms);
}
std::uint32_t Win32Processes::WaitForSingleObject(ProcessHandle process, std::uint32_t ms) {
    return ::WaitForSingleObject(ToRaw<HANDLE>(process), ms);
}
bool Win32Processes::GetExitCodeProcess(ProcessHandle process, std::uint32_t& code) {
    DWORD c = 0;
    BOOL ok = ::GetExitCodeProcess(ToRaw<HANDLE>(process), &c);
    code = c;
    return ok != FALSE;
}
bool Win32Processes::CloseHandle(ProcessHandle process) { return ::CloseHandle(ToRaw<HANDLE>(process)) != FALSE; }
bool Win32Processes::CloseHandle(ThreadHandle thread) { return ::CloseHandle(ToRaw<HANDLE>(thread)) != FALSE; }
namespace {
// A text to look for, or none (any). False when the text is no valid UTF-8:
// then no window has it.
bool Sought(const std::string* text, std::wstring& wide, const wchar_t*& out) {
    out = nullptr;
    if (!text) return true;
    if (!ToWide(*text, wide)) return false;
    out = wide.c_str();
    return true;
}
}  // namespace

WindowHandle Win32Processes::FindWindow(const std::string* className, const std::string* title) {
    std::wstring cls, caption;
    const wchar_t *c, *t;
    if (!Sought(className, cls, c) || !Sought(title, caption, t)) return {};
    return FromRaw<WindowHandle>(FindWindowW(c, t));
}
WindowHandle Win32Processes::FindWindowEx(WindowHandle parent, WindowHandle after, const std::string* className,
                                          const std::string* title) {
    std::wstring cls, caption;
    const wchar_t *c, *t;
    if (!Sought(className, cls, c) || !Sought(title, caption, t)) return {};
    return FromRaw<WindowHandle>(FindWindowExW(ToRaw<HWND>(parent), ToRaw<HWND>(after), c, t));
}
bool Win32Processes::ShowWindow(WindowHandle window, int show) {
    return ::ShowWindow(ToRaw<HWND>(window), show) != FALSE;
}
bool Win32Processes::SetForegroundWindow(WindowHandle window) {
    return ::SetForegroundWindow(ToRaw<HWND>(window)) != FALSE;
}
WindowHandle Win32Processes::SetFocus(WindowHandle window) {
    return FromRaw<WindowHandle>(::SetFocus(ToRaw<HWND>(window)));
}
bool Win32Processes::SendWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                       std::intptr_t lParam, std::uint32_t milliseconds) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(ToRaw<HWND>(window), message, wParam, lParam, SMTO_ABORTIFHUNG, milliseconds, &result) !=
           0;
}
bool Win32Processes::GetWindowProgram(WindowHandle window, std::string& path) {
    DWORD processId = 0;
    if (!GetWindowThreadProcessId(ToRaw<HWND>(window), &processId) || !processId) return false;
    const KernelObjectOwner process = OwnKernelObject(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return false;
    wchar_t image[MAX_PATH * 4] = {};
    DWORD size = static_cast<DWORD>(std::size(image));
    const bool found = QueryFullProcessImageNameW(process.Get(), 0, image, &size) != FALSE;
    if (found) path = FromWide(image, std::min<size_t>(size, std::size(image)));
    return found;
}
void Win32Processes::Sleep(std::uint32_t ms) { ::Sleep(ms); }
std::uint32_t Win32Processes::GetLastError() { return ::GetLastError(); }

}  // namespace qm::win32
