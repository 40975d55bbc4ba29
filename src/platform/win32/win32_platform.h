// The real machine: every platform interface answered by the Win32 API.
#pragma once
#include "platform/platform.h"

namespace qm::win32 {

class Win32Registry : public IRegistry {
public:
    long OpenKey(KeyHandle parent, const std::string& subKey, std::uint32_t access, KeyHandle& out) override;
    long CloseKey(KeyHandle key) override;
    long QueryInfoKey(KeyHandle key, std::uint32_t& subKeys, std::uint32_t& values) override;
    long EnumValue(KeyHandle key, std::uint32_t index, std::string& name) override;
    long EnumValueData(KeyHandle key, std::uint32_t index, std::uint32_t size, std::string& name,
                       RegValue& out) override;
    long EnumKey(KeyHandle key, std::uint32_t index, std::string& name) override;
    long QueryValueInfo(KeyHandle key, const std::string& name, std::uint32_t& type, std::uint32_t& size) override;
    long QueryValue(KeyHandle key, const std::string& name, std::uint32_t size, RegValue& out) override;
    long DeleteValue(KeyHandle key, const std::string& name) override;
    long DeleteKey(KeyHandle key, const std::string& subKey) override;
    long CreateKey(KeyHandle parent, const std::string& subKey, std::uint32_t access, KeyHandle& out) override;
    long SetValue(KeyHandle key, const std::string& name, std::uint32_t type,
                  const std::vector<std::uint8_t>& data) override;

private:
    // The buffers of the enumerations, kept between calls: a report
    // enumerates thousands of values, and a value name may have 16,383
    // characters. The program's platform objects serve one thread.
    std::vector<wchar_t> names_;
    std::vector<std::uint8_t> data_;
};

class Win32Services : public IServices {
public:
    ScManagerHandle OpenSCManager(std::uint32_t access) override;
    bool EnumServicesStatus(ScManagerHandle scm, std::uint32_t type, std::uint32_t state, std::uint32_t bufferSize,
                            std::uint32_t& resume, std::vector<ServiceEntry>& out, std::uint32_t& bytesNeeded,
                            long& lastError) override;
    ServiceHandle OpenService(ScManagerHandle scm, const std::string& name, std::uint32_t access) override;
    bool QueryServiceBinaryPath(ServiceHandle service, std::string& path) override;
    bool ReadServiceConfig(ServiceHandle service, ServiceConfig& config) override;
    bool DeleteService(ServiceHandle service) override;
    bool ChangeServiceStartType(ServiceHandle service, std::uint32_t startType) override;
    bool CloseServiceHandle(ScManagerHandle manager) override;
    bool CloseServiceHandle(ServiceHandle service) override;
};

// The program's windows that own the shell's calls, handed over by the
// windows themselves as they are made and destroyed (an HWND; null: none).
// The platform knows no window of its own.
void SetShellOwnerWindow(ShellOwner owner, void* window);

class Win32Shell : public IShell {
public:
    std::uintptr_t GetFileInfo(const std::string& path, std::uint32_t fileAttributes, ShellFileInfo& info,
                               std::uint32_t flags) override;
    bool DestroyIcon(IconHandle icon) override;
    bool GetSpecialFolderPath(int csidl, bool create, std::string& path) override;
    std::unique_ptr<IShellLinkObject> CreateShellLink() override;
    std::uintptr_t ShellExecute(ShellOwner owner, const std::string& operation, const std::string& file,
                                const std::string& parameters, const std::string& directory, int show) override;
    bool ShellExecuteEx(const ShellExecuteInfo& info) override;
    bool ShellExecuteByDesktop(const std::string& operation, const std::string& file, const std::string& parameters,
                               const std::string& directory, int show) override;
};

class Win32Files : public IFiles {
public:
    void FindFiles(const std::string& pattern, std::uint32_t attributeMask, std::vector<FoundFile>& out) override;
    long DeleteFile(const std::string& path) override;
    std::uint32_t GetFileAttributes(const std::string& path) override;
    long ListFolder(const std::string& folder, std::size_t limit, std::vector<FolderEntry>& out) override;
    FileHandle OpenEntry(const std::string& path, bool forDeletion, long& error) override;
    bool GetEntryInfo(FileHandle file, FileEntryInfo& info) override;
    bool GetFinalPath(FileHandle file, FinalPath& path) override;
    bool GetLinkTarget(const std::string& path, FinalPath& target) override;
    long DeleteEntry(FileHandle file) override;
    bool CloseEntry(FileHandle file) override;
    long ReadFileBytes(const std::string& path, std::uint32_t limit, std::vector<std::uint8_t>& out) override;
};

// The version functions come from version.dll of System32, loaded on first
// use; without it (missing, or lacking the functions) every file has no
// version resource.
class Win32Versions : public IVersionResources {
public:
    explicit Win32Versions(const wchar_t* library = L"version.dll");
    ~Win32Versions() override;
    std::uint32_t GetFileVersionInfoSize(const std::string& path) override;
    bool GetFileVersionInfo(const std::string& path, std::uint32_t size, std::vector<std::uint8_t>& block) override;

private:
    struct Library;
    Library& Functions();
    const wchar_t* name_;
    std::unique_ptr<Library> library_;
};

class Win32Processes : public IProcesses {
public:
    bool CreateProcess(const ProcessStart& start, ProcessInfo& info) override;
    std::uint32_t WaitForInputIdle(ProcessHandle process, std::uint32_t milliseconds) override;
    std::uint32_t WaitForSingleObject(ProcessHandle process, std::uint32_t milliseconds) override;
    bool GetExitCodeProcess(ProcessHandle process, std::uint32_t& code) override;
    bool CloseHandle(ProcessHandle process) override;
    bool CloseHandle(ThreadHandle thread) override;
    WindowHandle FindWindow(const std::string* className, const std::string* title) override;
    WindowHandle FindWindowEx(WindowHandle parent, WindowHandle after, const std::string* className,
                              const std::string* title) override;
    bool ShowWindow(WindowHandle window, int show) override;
    bool SetForegroundWindow(WindowHandle window) override;
    WindowHandle SetFocus(WindowHandle window) override;
    bool GetWindowProgram(WindowHandle window, std::string& path) override;
    bool SendWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                           std::uint32_t milliseconds) override;
    void Sleep(std::uint32_t milliseconds) override;
    std::uint32_t GetLastError() override;
};

class Win32System : public ISystemInfo {
public:
    bool GetComputerName(std::uint32_t size, std::string& name) override;
    bool GetUserName(std::uint32_t size, std::string& buffer, std::uint32_t& sizeOut) override;
    int LocalYear() override;
    std::uint64_t FileTimeNow() override;
    bool ToLocalTime(std::uint64_t fileTime, LocalTime& local) override;
    std::string ModuleFileName() override;
    bool GetWindowsDirectory(std::string& path) override;
    bool GetSystemDirectory(std::string& path) override;
    // From userenv.dll of System32 (no known DLL), loaded on first use.
    bool GetSystemEnvironment(std::vector<std::string>& variables) override;
    bool Is64BitWindows() override;
    bool IsWow64Program() override;
    // What RestrictDllSearchToSystem32 (system_library.h), the program's
    // first statement, achieved.
    bool DllSearchRestricted() override;
    bool IsWine() override;
    std::string LowerCase(const std::string& text) override;
};

class Win32Token : public IToken {
public:
    bool OpenProcessToken(std::uint32_t access, TokenHandle& token) override;
    bool LookupPrivilegeValue(const std::string& name, Luid& luid) override;
    bool AdjustTokenPrivileges(TokenHandle token, const Luid& luid, std::uint32_t attributes,
                               std::uint32_t bufferLength) override;
    bool CloseToken(TokenHandle token) override;
};

// Message dialogs as modal message boxes over the active window.
class Win32Dialogs : public IDialogs {
public:
    DialogResult Show(const DialogRequest& request) override;
};

// XmlLite from System32 and the Task Scheduler's COM interface.
class Win32Tasks : public ITasks {
public:
    bool ReadXml(const std::vector<std::uint8_t>& document, std::vector<XmlEvent>& events, std::string& error) override;
    long DeleteTask(const std::string& folder, const std::string& name) override;
    long SetTaskEnabled(const std::string& folder, const std::string& name, bool enabled) override;
};

class Win32Machine {
public:
    Win32Registry registry;
    Win32Services services;
    Win32Shell shell;
    Win32Files files;
    Win32Versions versions;
    Win32Processes processes;
    Win32System system;
    Win32Token token;
    Win32Dialogs dialogs;
    Win32Tasks tasks;
    Platform platform{registry, services, shell, files, versions, processes, system, token, dialogs, tasks};
};

}  // namespace qm::win32
