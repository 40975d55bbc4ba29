// The real machine: every platform interface answered by the Win32 API.
#pragma once
#include "platform/platform.h"

namespace qm::win32 {

class Win32Registry : public IRegistry {
public:
    long OpenKey(Handle parent, const std::string& subKey, std::uint32_t access, Handle& out) override;
    long CloseKey(Handle key) override;
    long QueryInfoKey(Handle key, std::uint32_t& subKeys, std::uint32_t& values) override;
    long EnumValue(Handle key, std::uint32_t index, std::string& name) override;
    long EnumKey(Handle key, std::uint32_t index, std::string& name) override;
    long QueryValueInfo(Handle key, const std::string& name, std::uint32_t& type, std::uint32_t& size) override;
    long QueryValue(Handle key, const std::string& name, std::uint32_t size, RegValue& out) override;
    long DeleteValue(Handle key, const std::string& name) override;
    long DeleteKey(Handle key, const std::string& subKey) override;
    long CreateKey(Handle parent, const std::string& subKey, Handle& out) override;
    long SetValue(Handle key, const std::string& name, std::uint32_t type,
                  const std::vector<std::uint8_t>& data) override;
};

class Win32Services : public IServices {
public:
    Handle OpenSCManager(std::uint32_t access) override;
    bool EnumServicesStatus(Handle scm, std::uint32_t type, std::uint32_t state, std::uint32_t bufferSize,
                            std::uint32_t& resume, std::vector<ServiceEntry>& out, std::uint32_t& bytesNeeded,
                            long& lastError) override;
    Handle OpenService(Handle scm, const std::string& name, std::uint32_t access) override;
    bool QueryServiceBinaryPath(Handle service, std::string& path) override;
    bool DeleteService(Handle service) override;
    bool ChangeServiceStartType(Handle service, std::uint32_t startType) override;
    bool CloseServiceHandle(Handle h) override;
};

class Win32Shell : public IShell {
public:
    Handle GetFileInfo(const std::string& path, std::uint32_t fileAttributes, ShellFileInfo& info,
                       std::uint32_t flags) override;
    bool DestroyIcon(Handle icon) override;
    bool GetSpecialFolderPath(int csidl, bool create, std::string& path) override;
    std::unique_ptr<IShellLinkObject> CreateShellLink() override;
    Handle ShellExecute(ShellOwner owner, const std::string& operation, const std::string& file,
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
    std::string ToAnsi(const std::u16string& text) override;

private:
    struct Library;
    Library& Functions();
    const wchar_t* name_;
    std::unique_ptr<Library> library_;
};

class Win32Processes : public IProcesses {
public:
    bool CreateProcess(const std::string& commandLine, std::uint32_t creationFlags, ProcessInfo& info) override;
    std::uint32_t WaitForInputIdle(Handle process, std::uint32_t milliseconds) override;
    std::uint32_t WaitForSingleObject(Handle h, std::uint32_t milliseconds) override;
    bool GetExitCodeProcess(Handle process, std::uint32_t& code) override;
    bool CloseHandle(Handle h) override;
    Handle FindWindow(const std::string* className, const std::string* title) override;
    Handle FindWindowEx(Handle parent, Handle after, const std::string* className, const std::string* title) override;
    bool ShowWindow(Handle window, int show) override;
    bool SetForegroundWindow(Handle window) override;
    Handle SetFocus(Handle window) override;
    std::intptr_t SendWindowMessage(Handle window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
    void Sleep(std::uint32_t milliseconds) override;
    std::uint32_t GetLastError() override;
};

class Win32System : public ISystemInfo {
public:
    bool GetComputerName(std::uint32_t size, std::string& name) override;
    bool GetUserName(std::uint32_t size, std::string& buffer, std::uint32_t& sizeOut) override;
    int LocalYear() override;
    std::string ModuleFileName() override;
    bool GetWindowsDirectory(std::string& path) override;
};

class Win32Token : public IToken {
public:
    bool OpenProcessToken(std::uint32_t access, Handle& token) override;
    bool LookupPrivilegeValue(const std::string& name, Luid& luid) override;
    bool AdjustTokenPrivileges(Handle token, const Luid& luid, std::uint32_t attributes,
                               std::uint32_t bufferLength) override;
    bool CloseToken(Handle token) override;
};

// Message dialogs as modal message boxes over the active window.
class Win32Dialogs : public IDialogs {
public:
    DialogResult Show(const DialogRequest& request) override;
};

// The program's own dialogs as Win32 windows (about_window.cpp, item_window.cpp).
class Win32Toolkit : public IToolkit {
public:
    void ShowAboutModal(TAboutDialog& dialog) override;
    void ShowItemForm(TItemForm& form) override;
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
    Win32Toolkit toolkit;
    Platform platform{registry, services, shell, files, versions, processes, system, token, dialogs, toolkit};
};

}  // namespace qm::win32
