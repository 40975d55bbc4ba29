#include <algorithm>

#include "errors.h"
#include "model.h"
#include "platform/sim/sim.h"

namespace qm::sim {

namespace {

std::string ParentOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string StripSlash(std::string path) {
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

bool SamePath(const std::string& a, const std::string& b) { return LowerAscii(StripSlash(a)) == LowerAscii(StripSlash(b)); }

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
    const std::string p = LowerAscii(pattern), n = LowerAscii(name);
    size_t pi = 0, ni = 0, star = std::string::npos, mark = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = ni;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

// ---- Files ----------------------------------------------------------------------------------

void SimFileSystem::AddFolder(const std::string& path) {
    if (path.empty() || FolderExists(path)) return;
    std::string parent = ParentOf(StripSlash(path));
    if (parent.size() > 2) AddFolder(parent);
    entries_.push_back({StripSlash(path), true, {}});
    entries_.back().file.attributes = kFileAttributeDirectory;
}

SimFile& SimFileSystem::AddFile(const std::string& path, SimFile file) {
    AddFolder(ParentOf(path));
    for (auto& e : entries_)
        if (!e.folder && SamePath(e.path, path)) return e.file = std::move(file);
    entries_.push_back({path, false, std::move(file)});
    return entries_.back().file;
}

SimFile* SimFileSystem::Find(const std::string& path) {
    for (auto& e : entries_)
        if (!e.folder && SamePath(e.path, path)) return &e.file;
    return nullptr;
}

bool SimFileSystem::FolderExists(const std::string& path) const {
    if (StripSlash(path).size() <= 3) return true;  // a drive root
    for (const auto& e : entries_)
        if (e.folder && SamePath(e.path, path)) return true;
    return false;
}

void SimFileSystem::FindFiles(const std::string& pattern, std::uint32_t attributeMask, std::vector<FoundFile>& out) {
    const std::string folder = ParentOf(pattern), mask = NameOf(pattern);
    // The classic search leaves out hidden, system and directory entries
    // unless the mask asks for them.
    const std::uint32_t excluded =
        ~attributeMask & (kFileAttributeHidden | kFileAttributeSystem | 0x8u | kFileAttributeDirectory);
    for (const auto& e : entries_) {
        if (!SamePath(ParentOf(e.path), folder) || !WildcardMatch(mask, NameOf(e.path))) continue;
        if (e.file.attributes & excluded) continue;
        out.push_back({NameOf(e.path), e.file.attributes});
    }
}

bool SimFileSystem::DeleteFile(const std::string& path) {
    if (undeletable.count(LowerAscii(path))) return false;
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return !e.folder && SamePath(e.path, path); });
    if (it == entries_.end() || (it->file.attributes & kFileAttributeReadonly)) return false;
    entries_.erase(it);
    return true;
}

// ---- Shell ----------------------------------------------------------------------------------

int SimShell::IconIndexOf(const std::string& pathOrName) const {
    static const std::map<std::string, int> kTypes = {{".exe", 2},  {".dll", 12}, {".lnk", 16}, {".scr", 21},
                                                      {".txt", 22}, {".bat", 23}, {".ini", 24}, {".sys", 25},
                                                      {".cpl", 26}, {".com", 27}};
    const std::string name = NameOf(pathOrName);
    size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return kUnknownIcon;
    auto it = kTypes.find(LowerAscii(name.substr(dot)));
    return it == kTypes.end() ? kUnknownIcon : it->second;
}

Handle SimShell::GetFileInfo(const std::string& path, std::uint32_t fileAttributes, ShellFileInfo& info,
                             std::uint32_t flags) {
    ++fileInfoCalls;
    (void)fileAttributes;
    const bool byName = flags & kShgfiUseFileAttributes;
    SimFile* file = files_.Find(path);
    const bool folder = !file && files_.FolderExists(path);
    if (!byName && !file && !folder) return 0;
    if (flags & kShgfiExeType) return file ? file->exeType : 0;
    if (flags & kShgfiSysIconIndex) info.iIcon = folder && !byName ? 3 : IconIndexOf(path);
    if (flags & kShgfiTypeName) info.typeName = file ? file->typeName : std::string();
    if (flags & kShgfiIcon) {
        info.iIcon = folder ? 3 : IconIndexOf(path);
        info.hIcon = nextIcon_++;
        liveIcons_.insert(info.hIcon);
    }
    if (flags & kShgfiSysIconIndex) return (flags & kShgfiSmallIcon) ? kSmallImageList : kLargeImageList;
    return 1;
}

bool SimShell::DestroyIcon(Handle icon) { return liveIcons_.erase(icon) > 0; }

bool SimShell::GetSpecialFolderPath(int csidl, bool create, std::string& path) {
    auto it = specialFolders.find(csidl);
    if (it == specialFolders.end()) return false;
    if (!files_.FolderExists(it->second)) {
        if (!create) return false;
        files_.AddFolder(it->second);
    }
    path = it->second;
    return true;
}

namespace {
class SimShellLink : public IShellLinkObject {
public:
    explicit SimShellLink(SimFileSystem& files) : files_(files) {}
    long Load(const std::string& path, std::uint32_t) override {
        SimFile* file = files_.Find(path);
        if (!file || !file->shortcutTarget) return static_cast<long>(0x80004005u);  // E_FAIL
        target_ = *file->shortcutTarget;
        return 0;
    }
    long GetPath(std::string& path, int bufferChars) override {
        path = target_.substr(0, static_cast<size_t>(std::max(bufferChars - 1, 0)));
        return target_.empty() ? 1 : 0;  // S_FALSE without a path
    }

private:
    SimFileSystem& files_;
    std::string target_;
};
}  // namespace

std::unique_ptr<IShellLinkObject> SimShell::CreateShellLink() {
    if (!comAvailable) throw QuellmarkError("CoInitialize has not been called");
    return std::make_unique<SimShellLink>(files_);
}

Handle SimShell::ShellExecute(const std::string& operation, const std::string& file, const std::string& parameters,
                              const std::string& directory, int show) {
    executions.push_back({operation, file, parameters, directory, show, 0});
    return 42;  // above 32: success
}

bool SimShell::ShellExecuteEx(const ShellExecuteInfo& info) {
    executions.push_back({info.verb, info.file, info.parameters, info.directory, info.show, info.mask});
    return files_.Exists(info.file) || files_.FolderExists(info.file);
}

// ---- Services -------------------------------------------------------------------------------

Handle SimServices::OpenSCManager(std::uint32_t) {
    if (!managerAvailable) return 0;
    handles_[next_] = "";
    return next_++;
}

bool SimServices::EnumServicesStatus(Handle scm, std::uint32_t type, std::uint32_t state, std::uint32_t bufferSize,
                                     std::uint32_t& resume, std::vector<ServiceEntry>& out, long& lastError) {
    auto it = handles_.find(scm);
    if (it == handles_.end() || !it->second.empty()) {
        lastError = kErrorInvalidHandle;
        return false;
    }
    // A 32-bit ENUM_SERVICE_STATUSA is 36 bytes; its strings share the buffer.
    constexpr std::uint32_t kEntryBytes = 36;
    std::uint32_t used = 0;
    for (std::uint32_t i = resume; i < services_.size(); ++i) {
        const SimService& s = services_[i];
        const bool active = s.state != kServiceStopped;
        const bool stateMatches = (state & kServiceActive && active) || (state & kServiceInactive && !active);
        if (s.deleted || !(s.type & type) || !stateMatches) continue;
        std::uint32_t need = kEntryBytes + static_cast<std::uint32_t>(s.name.size() + 1) +
                             static_cast<std::uint32_t>(s.displayName ? s.displayName->size() + 1 : 0);
        if (used + need > bufferSize) {
            resume = i;
            lastError = kErrorMoreData;
            return false;
        }
        used += need;
        out.push_back({s.name, s.displayName, s.type, s.state});
    }
    resume = 0;
    lastError = 0;
    return true;
}

Handle SimServices::OpenService(Handle scm, const std::string& name, std::uint32_t access) {
    (void)access;
    if (!handles_.count(scm)) return 0;
    SimService* s = Find(name);
    if (!s || !s->fullAccess) return 0;
    handles_[next_] = s->name;
    return next_++;
}

bool SimServices::QueryServiceBinaryPath(Handle service, std::string& path) {
    auto it = handles_.find(service);
    if (it == handles_.end() || it->second.empty()) return false;
    SimService* s = Find(it->second);
    if (!s) return false;
    path = s->commandLine;
    return true;
}

bool SimServices::DeleteService(Handle service) {
    auto it = handles_.find(service);
    if (it == handles_.end() || it->second.empty()) return false;
    SimService* s = Find(it->second);
    if (!s) return false;
    s->deleted = true;
    return true;
}

bool SimServices::ChangeServiceStartType(Handle service, std::uint32_t startType) {
    auto it = handles_.find(service);
    if (it == handles_.end() || it->second.empty()) return false;
    SimService* s = Find(it->second);
    if (!s) return false;
    s->startType = startType;
    return true;
}

bool SimServices::CloseServiceHandle(Handle h) { return handles_.erase(h) > 0; }

SimService& SimServices::Add(SimService service) { return services_.emplace_back(std::move(service)); }

SimService* SimServices::Find(const std::string& name) {
    for (auto& s : services_)
        if (!s.deleted && LowerAscii(s.name) == LowerAscii(name)) return &s;
    return nullptr;
}

// ---- Version resources -------------------------------------------------------------------------

std::uint32_t SimVersions::GetFileVersionInfoSize(const std::string& path) {
    SimFile* file = files_.Find(path);
    return file ? static_cast<std::uint32_t>(file->versionResource.size()) : 0;
}

bool SimVersions::GetFileVersionInfo(const std::string& path, std::uint32_t size, std::vector<std::uint8_t>& block) {
    SimFile* file = files_.Find(path);
    if (!file || file->versionResource.empty()) return false;
    block.assign(file->versionResource.begin(),
                 file->versionResource.begin() + std::min<size_t>(size, file->versionResource.size()));
    return true;
}

bool SimVersions::VerQueryValue(const std::vector<std::uint8_t>&, const std::string&, std::vector<std::uint8_t>&) {
    return false;  // version blocks arrive with the file-version unit
}

// ---- Processes and windows ----------------------------------------------------------------------

bool SimProcesses::CreateProcess(const std::string& commandLine, std::uint32_t, ProcessInfo& info) {
    started.push_back(commandLine);
    info = {0x9001, 0x9002, 4242};
    return true;
}
std::uint32_t SimProcesses::WaitForInputIdle(Handle, std::uint32_t) { return 0; }
std::uint32_t SimProcesses::WaitForSingleObject(Handle, std::uint32_t) { return 0; }
bool SimProcesses::GetExitCodeProcess(Handle, std::uint32_t& code) {
    code = 0;
    return true;
}
bool SimProcesses::CloseHandle(Handle) { return true; }
Handle SimProcesses::FindWindow(const std::string*, const std::string*) { return 0; }
Handle SimProcesses::FindWindowEx(Handle, Handle, const std::string*, const std::string*) { return 0; }
bool SimProcesses::ShowWindow(Handle, int) { return true; }
bool SimProcesses::SetForegroundWindow(Handle) { return true; }
Handle SimProcesses::SetFocus(Handle) { return 0; }
std::intptr_t SimProcesses::SendWindowMessage(Handle, std::uint32_t, std::uintptr_t, std::intptr_t) { return 0; }
void SimProcesses::Sleep(std::uint32_t milliseconds) { sleptMs += milliseconds; }

// ---- System, token, user --------------------------------------------------------------------------

bool SimSystem::GetComputerName(std::uint32_t size, std::string& name) {
    if (computerNameFails || computerName.size() + 1 > size) return false;
    name = computerName;
    return true;
}

bool SimSystem::GetUserName(std::uint32_t size, std::string& buffer, std::uint32_t& sizeOut) {
    if (userNameFails || userName.size() + 1 > size) return false;
    buffer = userName + '\0';
    sizeOut = static_cast<std::uint32_t>(userName.size() + 1);
    return true;
}

bool SimToken::OpenProcessToken(std::uint32_t access, Handle& token) {
    lastAccess = access;
    if (openFails) return false;
    ++open_;
    token = 0x4000 + static_cast<Handle>(open_);
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

bool SimToken::AdjustTokenPrivileges(Handle, const Luid& luid, std::uint32_t attributes, std::uint32_t bufferLength) {
    ++adjustCalls;
    lastBufferLength = bufferLength;
    auto it = luids_.find(luid.low);
    if (it == luids_.end()) return false;
    if (attributes & kSePrivilegeEnabled) enabled.insert(it->second);
    else enabled.erase(it->second);
    return true;
}

bool SimToken::CloseToken(Handle) {
    --open_;
    return true;
}

DialogResult SimUser::Show(const DialogRequest& request) {
    shown.push_back(request);
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
    for (auto& [csidl, path] : shell.specialFolders) files.AddFolder(path);
}

}  // namespace qm::sim
