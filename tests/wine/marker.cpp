// A stand-in program for the Wine tests: when started it writes what it was
// started with and by whom into "<its own path>.ran", and ends. Planted under
// a system program's name it shows whether that copy ran; registered as a
// handler it shows which process started it.
//   line 1: its command line
//   line 2: the file name of the process that started it ("explorer.exe" ...)
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>

namespace {

std::string ProcessName(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return "?";
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    std::string name = "?";
    for (BOOL ok = Process32First(snapshot, &entry); ok; ok = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == pid) name = entry.szExeFile;
    CloseHandle(snapshot);
    return name;
}

DWORD ParentOf(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    DWORD parent = 0;
    for (BOOL ok = Process32First(snapshot, &entry); ok; ok = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == pid) parent = entry.th32ParentProcessID;
    CloseHandle(snapshot);
    return parent;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof(self));
    const std::string report = std::string(self) + ".ran";
    FILE* out = std::fopen(report.c_str(), "w");
    if (!out) return 1;
    std::fprintf(out, "%s\n%s\n", GetCommandLineA(), ProcessName(ParentOf(GetCurrentProcessId())).c_str());
    std::fclose(out);
    return 0;
}
