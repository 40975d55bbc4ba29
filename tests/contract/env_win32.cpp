
#include "platform/win32/windows_clean.h"
#include "contract/env.h"
#include "platform/win32/win32_platform.h"

namespace qm::contract {

Platform& Machine() {
    static win32::Win32Machine machine;
    return machine.platform;
}

bool IsWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::string ExistingProgram() {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\notepad.exe";
}

std::string SystemLibrary() {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    return std::string(system) + "\\kernel32.dll";
}

void SetOwnVariable(const std::string& name, const std::string& value) {
    SetEnvironmentVariableA(name.c_str(), value.c_str());
}

std::string VersionedProgram() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

}  // namespace qm::contract
