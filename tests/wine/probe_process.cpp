// The probe's command about what a process was started with:
//   qm_probe process-facts CLASS [CHILD.EXE] VARIABLE
//                                  of the process that made the top-level window of CLASS, or of
//                                  the newest process running CHILD.EXE that it started: its
//                                  current folder, the variable of its environment, and whether
//                                  its token holds SeDebugPrivilege enabled, one a line:
//                                    directory=C:\windows\system32
//                                    variable NAME=VALUE  (or: variable NAME absent)
//                                    debug-privilege=enabled|disabled|absent
// The folder and the environment are read from the process's parameters
// block in its memory, where the system keeps them for the process.
#include <windows.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The head of RTL_USER_PROCESS_PARAMETERS up to its environment, as
// Windows (and Wine) lay it out for a process of this probe's bitness.
struct ProcessParameters {
    ULONG maximumLength, length, flags, debugFlags;
    HANDLE consoleHandle;
    ULONG consoleFlags;
    HANDLE standardInput, standardOutput, standardError;
    UNICODE_STRING currentDirectory;
    HANDLE currentDirectoryHandle;
    UNICODE_STRING dllPath, imagePathName, commandLine;
    void* environment;
};

std::string Utf8(const wchar_t* text, size_t units) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(units), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(units), out.data(), n, nullptr, nullptr);
    return out;
}

DWORD WindowProcess(const char* className) {
    HWND window = FindWindowA(className, nullptr);
    DWORD pid = 0;
    if (window) GetWindowThreadProcessId(window, &pid);
    return pid;
}

// The newest process of `exe` whose parent is `parent`: the highest id is
// not the newest, so the one with the latest creation time.
DWORD ChildProcess(DWORD parent, const char* exe) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    DWORD found = 0;
    ULONGLONG newest = 0;
    for (BOOL ok = Process32First(snapshot, &entry); ok; ok = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID != parent || lstrcmpiA(entry.szExeFile, exe) != 0) continue;
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        FILETIME created{}, exited{}, kernel{}, user{};
        if (process && GetProcessTimes(process, &created, &exited, &kernel, &user)) {
            const ULONGLONG at = (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
            if (!found || at >= newest) found = entry.th32ProcessID, newest = at;
        }
        if (process) CloseHandle(process);
    }
    CloseHandle(snapshot);
    return found;
}

bool ReadParameters(HANDLE process, ProcessParameters& parameters) {
    using Query = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0) return false;
    PEB peb{};
    if (!ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof(peb), nullptr)) return false;
    return ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof(parameters), nullptr);
}

// The environment block: read page by page up to its closing empty string.
std::vector<wchar_t> ReadEnvironment(HANDLE process, const void* at) {
    std::vector<wchar_t> block;
    const char* next = static_cast<const char*>(at);
    for (int pages = 0; pages < 64; ++pages) {
        const size_t room = 4096 - (reinterpret_cast<ULONG_PTR>(next) & 4095);
        std::vector<wchar_t> piece(room / sizeof(wchar_t));
        SIZE_T got = 0;
        if (!ReadProcessMemory(process, next, piece.data(), piece.size() * sizeof(wchar_t), &got) || got == 0) break;
        block.insert(block.end(), piece.begin(), piece.begin() + static_cast<long>(got / sizeof(wchar_t)));
        next += got;
        for (size_t i = 1; i < block.size(); ++i)
            if (block[i] == L'\0' && block[i - 1] == L'\0') return block;
    }
    return block;
}

const char* DebugPrivilege(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return "unknown";
    LUID luid{};
    LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &luid);
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<char> buffer(size);
    const char* state = "absent";
    auto* privileges = reinterpret_cast<TOKEN_PRIVILEGES*>(buffer.data());
    if (size && GetTokenInformation(token, TokenPrivileges, privileges, size, &size))
        for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
            const LUID_AND_ATTRIBUTES& p = privileges->Privileges[i];
            if (p.Luid.LowPart == luid.LowPart && p.Luid.HighPart == luid.HighPart)
                state = (p.Attributes & SE_PRIVILEGE_ENABLED) ? "enabled" : "disabled";
        }
    CloseHandle(token);
    return state;
}

int PrintProcessFacts(const char* className, const char* childExe, const std::string& variable) {
    DWORD pid = WindowProcess(className);
    if (pid && childExe) pid = ChildProcess(pid, childExe);
    if (!pid) {
        std::printf("no process\n");
        return 1;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    ProcessParameters parameters{};
    if (!process || !ReadParameters(process, parameters)) {
        std::printf("process unreadable\n");
        if (process) CloseHandle(process);
        return 1;
    }
    std::vector<wchar_t> directory(parameters.currentDirectory.Length / sizeof(wchar_t) + 1, L'\0');
    ReadProcessMemory(process, parameters.currentDirectory.Buffer, directory.data(), parameters.currentDirectory.Length,
                      nullptr);
    std::printf("directory=%s\n", Utf8(directory.data(), wcslen(directory.data())).c_str());
    const std::vector<wchar_t> environment = ReadEnvironment(process, parameters.environment);
    std::string value;
    bool found = false;
    for (size_t i = 0; i < environment.size() && environment[i];) {
        const size_t length = wcsnlen(&environment[i], environment.size() - i);
        const std::string entry = Utf8(&environment[i], length);
        if (entry.size() > variable.size() && entry[variable.size()] == '=' &&
            CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, entry.c_str(), static_cast<int>(variable.size()),
                           variable.c_str(), static_cast<int>(variable.size())) == CSTR_EQUAL) {
            found = true;
            value = entry.substr(variable.size() + 1);
        }
        i += length + 1;
    }
    if (found) std::printf("variable %s=%s\n", variable.c_str(), value.c_str());
    else std::printf("variable %s absent\n", variable.c_str());
    std::printf("debug-privilege=%s\n", DebugPrivilege(process));
    CloseHandle(process);
    return 0;
}

}  // namespace

int ProcessProbeCommand(const std::string& command, int argc, char** argv) {
    if (command == "process-facts" && argc == 4) return PrintProcessFacts(argv[2], nullptr, argv[3]);
    if (command == "process-facts" && argc == 5) return PrintProcessFacts(argv[2], argv[3], argv[4]);
    std::printf("usage: process-facts CLASS [CHILD.EXE] VARIABLE\n");
    return 2;
}
