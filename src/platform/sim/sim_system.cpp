#include <algorithm>

#include "platform/file_time.h"
#include "platform/sim/sim.h"
#include "platform/sim/sim_text.h"
#include "platform/text_case.h"

namespace qm::sim {

namespace {
// The characters of a name as the wide calls count them: UTF-16 units.
std::uint32_t Units(const std::string& text) {
    std::u16string units;
    Utf16FromUtf8(text, units, true);
    return static_cast<std::uint32_t>(units.size());
}
}  // namespace

std::string SimSystem::LowerCase(const std::string& text) { return SimLowerCase(text); }

bool SimSystem::GetComputerName(std::uint32_t size, std::string& name) {
    if (computerNameFails || Units(computerName) + 1 > size) return false;
    name = computerName;
    return true;
}

bool SimSystem::GetUserName(std::uint32_t size, std::string& buffer, std::uint32_t& sizeOut) {
    if (userNameFails || Units(userName) + 1 > size) return false;
    buffer = userName + '\0';
    sizeOut = Units(userName) + 1;
    return true;
}

bool SimSystem::ToLocalTime(std::uint64_t fileTime, LocalTime& local) {
    const std::int64_t shift = static_cast<std::int64_t>(utcOffsetMinutes) * 60 * kFileTimeTicksPerSecond;
    if (shift < 0 && fileTime < static_cast<std::uint64_t>(-shift)) return false;
    return CalendarOf(fileTime + static_cast<std::uint64_t>(shift), local);
}

bool SimSystem::GetWindowsDirectory(std::string& path) {
    ++windowsDirectoryCalls;
    if (windowsDirectoryFails) return false;
    path = windowsDirectory;
    return true;
}

bool SimSystem::GetSystemDirectory(std::string& path) {
    if (systemDirectoryFails || windowsDirectoryFails) return false;
    path = windowsDirectory + "\\system32";
    return true;
}

bool SimSystem::GetSystemEnvironment(std::vector<std::string>& variables) {
    if (systemEnvironmentFails || windowsDirectoryFails) return false;
    const std::string& w = windowsDirectory;
    variables = {"ComSpec=" + w + "\\system32\\cmd.exe",
                 "PATH=" + w + "\\system32;" + w,
                 "SystemRoot=" + w,
                 "TEMP=" + w + "\\TEMP",
                 "TMP=" + w + "\\TEMP",
                 "windir=" + w};
    return true;
}

bool SimToken::OpenProcessToken(std::uint32_t access, TokenHandle& token) {
    lastAccess = access;
    if (openFails) return false;
    ++open_;
    token = TokenHandle{0x4000u + static_cast<std::uintptr_t>(open_)};
    return true;
}

bool SimToken::LookupPrivilegeValue(const std::string& name, Luid& luid) {
    static const std::map<std::string, std::uint32_t> kKnown = {
        {"sedebugprivilege", 20}, {"seshutdownprivilege", 19}, {"sebackupprivilege", 17}};
    auto it = kKnown.find(LowerAscii(name));
    if (it == kKnown.end()) return false;
    luid = {it->second, 0};
    luids_[it->second] = name;
    return true;
}

bool SimToken::AdjustTokenPrivileges(TokenHandle, const Luid& luid, std::uint32_t attributes,
                                     std::uint32_t bufferLength) {
    ++adjustCalls;
    lastBufferLength = bufferLength;
    auto it = luids_.find(luid.low);
    if (it == luids_.end()) return false;
    if (attributes & kSePrivilegeEnabled) enabled.insert(it->second);
    else enabled.erase(it->second);
    return true;
}

bool SimToken::CloseToken(TokenHandle) {
    --open_;
    return true;
}

DialogResult SimUser::Show(const DialogRequest& request) {
    shown.push_back(request);
    if (whileShown) whileShown(request);
    if (!answers.empty()) {
        DialogResult answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return request.kind == DialogKind::Confirmation ? DialogResult::No : DialogResult::Ok;
}

SimMachine::SimMachine() {
    shell.specialFolders[kCsidlCommonStartup] = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp";
    shell.specialFolders[kCsidlStartup] =
        "C:\\users\\anna\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp";
    shell.specialFolders[kCsidlCommonAppData] = "C:\\ProgramData";
    for (auto& [csidl, path] : shell.specialFolders) files.AddFolder(path);
    files.AddFile(system.windowsDirectory + "\\regedit.exe");
}

}  // namespace qm::sim
