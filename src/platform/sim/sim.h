// An in-memory Windows machine: registry, files with shortcuts, services,
// shell icons, token, system names and a scripted user. The host build runs
// the program's logic against it; the contract tests hold it to Windows.
#pragma once
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace qm::sim {

// ---- Registry ----------------------------------------------------------------

struct SimKey {
    std::string name;
    std::vector<std::shared_ptr<SimKey>> children;           // in creation order
    std::vector<std::pair<std::string, RegValue>> values;    // in creation order
    bool deleted = false;
    bool denyFullAccess = false;       // opening with KEY_ALL_ACCESS fails
    bool failQueryInfo = false;        // RegQueryInfoKey fails
    std::set<std::string> unreadable;  // values whose data read fails (lower-case names)
    std::set<std::string> undeletable; // values whose deletion is refused (lower-case names)

    std::shared_ptr<SimKey> Child(const std::string& childName) const;
    RegValue* Value(const std::string& valueName);
};

class SimRegistry : public IRegistry {
public:
    SimRegistry();
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

    // Fixture helpers: paths like "HKCU\\Software\\X" or "HKEY_LOCAL_MACHINE\\...".
    std::shared_ptr<SimKey> Key(const std::string& path, bool create = true);
    void SetString(const std::string& keyPath, const std::string& name, const std::string& text,
                   std::uint32_t type = kRegSz);
    void SetDword(const std::string& keyPath, const std::string& name, std::uint32_t value);
    void SetRaw(const std::string& keyPath, const std::string& name, std::uint32_t type,
                std::vector<std::uint8_t> data);
    bool HasValue(const std::string& keyPath, const std::string& name);
    std::string StringValue(const std::string& keyPath, const std::string& name);
    void RemoveKey(const std::string& keyPath);

    int OpenHandles() const { return static_cast<int>(open_.size()); }
    int OpenCalls() const { return openCalls_; }
    std::uint32_t LastOpenAccess() const { return lastAccess_; }

private:
    std::shared_ptr<SimKey> Resolve(Handle h);
    std::map<Handle, std::shared_ptr<SimKey>> roots_;
    std::map<Handle, std::shared_ptr<SimKey>> open_;
    Handle next_ = 0x1000;
    int openCalls_ = 0;
    std::uint32_t lastAccess_ = 0;
};

// ---- Shell icons, files and shortcuts ---------------------------------------------------

struct SimFile {
    std::uint32_t attributes = kFileAttributeArchive;
    std::optional<std::string> shortcutTarget;  // a shell link naming this target
    std::string typeName;                       // what the shell calls the type
    std::uint32_t exeType = 0;                  // SHGFI_EXETYPE answer
    std::vector<std::uint8_t> versionResource;  // a VS_VERSIONINFO block, empty when none
};

class SimFileSystem : public IFiles {
public:
    void FindFiles(const std::string& pattern, std::uint32_t attributeMask, std::vector<FoundFile>& out) override;
    bool DeleteFile(const std::string& path) override;

    void AddFolder(const std::string& path);
    SimFile& AddFile(const std::string& path, SimFile file = {});
    SimFile* Find(const std::string& path);
    bool Exists(const std::string& path) { return Find(path) != nullptr; }
    bool FolderExists(const std::string& path) const;
    std::set<std::string> undeletable;  // lower-case full paths

private:
    struct Entry {
        std::string path;  // as created
        bool folder = false;
        SimFile file;
    };
    std::vector<Entry> entries_;  // creation order, which is what a search returns
};

// Matches a name against a FindFirstFile pattern: '*' any run, '?' one character,
// letters without regard to case.
bool WildcardMatch(const std::string& pattern, const std::string& name);

class SimShell : public IShell {
public:
    explicit SimShell(SimFileSystem& files) : files_(files) {}
    Handle GetFileInfo(const std::string& path, std::uint32_t fileAttributes, ShellFileInfo& info,
                       std::uint32_t flags) override;
    bool DestroyIcon(Handle icon) override;
    bool GetSpecialFolderPath(int csidl, bool create, std::string& path) override;
    std::unique_ptr<IShellLinkObject> CreateShellLink() override;
    Handle ShellExecute(const std::string& operation, const std::string& file, const std::string& parameters,
                        const std::string& directory, int show) override;
    bool ShellExecuteEx(const ShellExecuteInfo& info) override;

    // The icon index the shell gives a name of this extension; unknown types
    // share one index.
    int IconIndexOf(const std::string& pathOrName) const;
    static constexpr Handle kSmallImageList = 0x5111;
    static constexpr Handle kLargeImageList = 0x5222;
    static constexpr int kUnknownIcon = 0;

    std::map<int, std::string> specialFolders;  // csidl -> path
    bool comAvailable = true;
    int fileInfoCalls = 0;
    int LiveIcons() const { return static_cast<int>(liveIcons_.size()); }

    struct Execution {
        std::string operation, file, parameters, directory;
        int show = 0;
        std::uint32_t mask = 0;
    };
    std::vector<Execution> executions;

private:
    SimFileSystem& files_;
    std::set<Handle> liveIcons_;
    Handle nextIcon_ = 0x7000;
};

// ---- Services ------------------------------------------------------------------------------

struct SimService {
    std::string name;
    std::optional<std::string> displayName;
    std::uint32_t type = kServiceWin32OwnProcess;
    std::uint32_t state = kServiceRunning;
    std::uint32_t startType = kServiceDemandStart;
    std::string commandLine;
    bool fullAccess = true;  // whether SERVICE_ALL_ACCESS is granted
    bool deleted = false;
};

class SimServices : public IServices {
public:
    Handle OpenSCManager(std::uint32_t access) override;
    bool EnumServicesStatus(Handle scm, std::uint32_t type, std::uint32_t state, std::uint32_t bufferSize,
                            std::uint32_t& resume, std::vector<ServiceEntry>& out, long& lastError) override;
    Handle OpenService(Handle scm, const std::string& name, std::uint32_t access) override;
    bool QueryServiceBinaryPath(Handle service, std::string& path) override;
    bool DeleteService(Handle service) override;
    bool ChangeServiceStartType(Handle service, std::uint32_t startType) override;
    bool CloseServiceHandle(Handle h) override;

    SimService& Add(SimService service);
    SimService* Find(const std::string& name);
    bool managerAvailable = true;
    int OpenHandles() const { return static_cast<int>(handles_.size()); }

private:
    std::vector<SimService> services_;
    std::map<Handle, std::string> handles_;  // "" for the manager
    Handle next_ = 0x3000;
};

// ---- Version resources, processes and windows -------------------------------------------------

class SimVersions : public IVersionResources {
public:
    explicit SimVersions(SimFileSystem& files) : files_(files) {}
    std::uint32_t GetFileVersionInfoSize(const std::string& path) override;
    bool GetFileVersionInfo(const std::string& path, std::uint32_t size, std::vector<std::uint8_t>& block) override;
    bool VerQueryValue(const std::vector<std::uint8_t>& block, const std::string& subBlock,
                       std::vector<std::uint8_t>& value) override;

private:
    SimFileSystem& files_;
};

class SimProcesses : public IProcesses {
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

    std::vector<std::string> started;  // command lines
    std::uint32_t sleptMs = 0;
};

// ---- System, token, user -------------------------------------------------------------------------

class SimSystem : public ISystemInfo {
public:
    bool GetComputerName(std::uint32_t size, std::string& name) override;
    bool GetUserName(std::uint32_t size, std::string& buffer, std::uint32_t& sizeOut) override;
    int LocalYear() override { return year; }
    std::string ModuleFileName() override { return modulePath; }

    std::string computerName = "DESK7";
    std::string userName = "anna";
    bool computerNameFails = false;
    bool userNameFails = false;
    int year = 2026;
    std::string modulePath = "C:\\Program Files\\Quellmark\\quellmark.exe";
};

class SimToken : public IToken {
public:
    bool OpenProcessToken(std::uint32_t access, Handle& token) override;
    bool LookupPrivilegeValue(const std::string& name, Luid& luid) override;
    bool AdjustTokenPrivileges(Handle token, const Luid& luid, std::uint32_t attributes,
                               std::uint32_t bufferLength) override;
    bool CloseToken(Handle token) override;

    bool openFails = false;
    std::set<std::string> enabled;  // privilege names enabled so far
    int adjustCalls = 0;
    int OpenTokens() const { return open_; }
    std::uint32_t lastAccess = 0;
    std::uint32_t lastBufferLength = 0;

private:
    int open_ = 0;
    std::map<std::uint32_t, std::string> luids_;
};

// The scripted user: answers dialogs in order and keeps what was shown.
class SimUser : public IDialogs {
public:
    DialogResult Show(const DialogRequest& request) override;
    std::deque<DialogResult> answers;  // next answers; Ok (or No) when none is scripted
    std::vector<DialogRequest> shown;
};

// ---- The machine ----------------------------------------------------------------------------------

class SimMachine {
public:
    SimMachine();
    SimRegistry registry;
    SimFileSystem files;
    SimShell shell{files};
    SimServices services;
    SimVersions versions{files};
    SimProcesses processes;
    SimSystem system;
    SimToken token;
    SimUser user;
    Platform platform{registry, services, shell, files, versions, processes, system, token, user};
};

}  // namespace qm::sim
