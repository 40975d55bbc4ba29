// Simulated system names, access token and the scripted user.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace qm::sim {

class SimSystem : public ISystemInfo {
public:
    bool GetComputerName(std::uint32_t size, std::string& name) override;
    bool GetUserName(std::uint32_t size, std::string& buffer, std::uint32_t& sizeOut) override;
    int LocalYear() override { return year; }
    std::uint64_t FileTimeNow() override { return fileTimeNow; }
    bool ToLocalTime(std::uint64_t fileTime, LocalTime& local) override;
    std::string ModuleFileName() override { return modulePath; }
    bool GetWindowsDirectory(std::string& path) override;
    bool GetSystemDirectory(std::string& path) override;
    bool GetSystemEnvironment(std::vector<std::string>& variables) override;
    bool Is64BitWindows() override { return windows64; }
    bool IsWow64Program() override { return windows64 && !program64; }
    bool DllSearchRestricted() override { return dllSearchRestricted; }
    bool IsWine() override { return wine; }
    std::string LowerCase(const std::string& text) override;

    std::string computerName = "DESK7";
    std::string userName = "anna";
    bool computerNameFails = false;
    bool userNameFails = false;
    int year = 2026;
    // 2026-12-11 12:00:00 UTC; the local time zone is this many minutes
    // ahead of UTC, all year.
    std::uint64_t fileTimeNow = 134414640000000000ull;
    int utcOffsetMinutes = 60;
    std::string modulePath = "C:\\Program Files\\Quellmark\\quellmark.exe";
    std::string windowsDirectory = "C:\\windows";
    bool windowsDirectoryFails = false;
    int windowsDirectoryCalls = 0;
    bool systemDirectoryFails = false;  // System32 is the Windows directory's "system32"
    // The machine's own variables (SystemRoot, windir, ComSpec, PATH, TEMP,
    // TMP), made from the Windows directory as Windows has them.
    bool systemEnvironmentFails = false;
    bool windows64 = false;  // see SimRegistry::windows64 for the registry's half
    bool program64 = false;
    bool wine = false;
    // False: a Windows without SetDefaultDllDirectories (Vista or 7 without
    // its update), where the search cannot be kept out of the program's folder.
    bool dllSearchRestricted = true;
};

class SimToken : public IToken {
public:
    bool OpenProcessToken(std::uint32_t access, TokenHandle& token) override;
    bool LookupPrivilegeValue(const std::string& name, Luid& luid) override;
    bool AdjustTokenPrivileges(TokenHandle token, const Luid& luid, std::uint32_t attributes,
                               std::uint32_t bufferLength) override;
    bool CloseToken(TokenHandle token) override;

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
    // Runs while a dialog is open, before it is answered: what the user (or
    // the message loop, such as a timer) does meanwhile.
    std::function<void(const DialogRequest&)> whileShown;
};

}  // namespace qm::sim
