#include <algorithm>
#include <cctype>

#include "platform/failure.h"
#include "platform/sim/sim.h"
#include "platform/sim/sim_text.h"

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

bool SamePath(const std::string& a, const std::string& b) {
    return SimLowerCase(StripSlash(a)) == SimLowerCase(StripSlash(b));
}

bool HasWildcard(const std::string& path) { return path.find_first_of("?*") != std::string::npos; }

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
    const std::string p = SimLowerCase(pattern), n = SimLowerCase(name);
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

namespace {
std::string IndexKey(const std::string& path, bool folder) {
    return (folder ? "d:" : "f:") + SimLowerCase(StripSlash(path));
}
}  // namespace

void SimFileSystem::Reindex() {
    index_.clear();
    for (size_t i = 0; i < entries_.size(); ++i) index_[IndexKey(entries_[i].path, entries_[i].folder)] = i;
}

SimFileSystem::Entry* SimFileSystem::Lookup(const std::string& path, bool folder) {
    auto it = index_.find(IndexKey(links_ ? ResolveParent(path) : path, folder));
    return it == index_.end() ? nullptr : &entries_[it->second];
}

void SimFileSystem::AddFolder(const std::string& path) {
    if (path.empty() || FolderExists(path)) return;
    std::string parent = ParentOf(StripSlash(path));
    if (parent.size() > 2) AddFolder(parent);
    entries_.push_back({StripSlash(path), true, {}, nextId_++, std::nullopt});
    entries_.back().file.attributes = kFileAttributeDirectory;
    index_[IndexKey(path, true)] = entries_.size() - 1;
}

SimFile& SimFileSystem::AddFile(const std::string& path, SimFile file) {
    AddFolder(ParentOf(path));
    if (Entry* existing = Lookup(path, false)) return existing->file = std::move(file);
    entries_.push_back({path, false, std::move(file), nextId_++, std::nullopt});
    index_[IndexKey(path, false)] = entries_.size() - 1;
    return entries_.back().file;
}

std::string SimFileSystem::Redirected(const std::string& path) const {
    if (!wow64Program) return path;
    const auto below = [&](const char* folder) {
        const std::string prefix = SimLowerCase(windowsDirectory + "\\" + folder + "\\");
        return SimLowerCase(path.substr(0, prefix.size())) == prefix ? path.substr(prefix.size()) : std::string();
    };
    if (std::string rest = below("System32"); !rest.empty()) return windowsDirectory + "\\SysWOW64\\" + rest;
    if (std::string rest = below("Sysnative"); !rest.empty()) return windowsDirectory + "\\System32\\" + rest;
    return path;
}

long SimFileSystem::ReadFileBytes(const std::string& path, std::uint32_t limit, std::vector<std::uint8_t>& out) {
    reached.push_back(path);
    out.clear();
    if (HasWildcard(path)) return kErrorInvalidName;
    SimFile* file = Find(links_ ? Resolve(path) : path);
    if (!file) return FolderExists(path) ? kErrorAccessDenied : kErrorFileNotFound;
    if (file->content.size() > limit) return kErrorFileTooLarge;
    out.assign(file->content.begin(), file->content.end());
    return kErrorSuccess;
}

SimFile* SimFileSystem::Find(const std::string& path) {
    Entry* e = Lookup(Redirected(path), false);
    return e ? &e->file : nullptr;
}

bool SimFileSystem::FolderExists(const std::string& path) const {
    if (StripSlash(path).size() <= 3) return true;  // a drive root
    return index_.count(IndexKey(links_ ? Resolve(path) : path, true)) > 0;
}

std::vector<std::string> SimFileSystem::FilesIn(const std::string& folder) const {
    std::vector<std::string> out;
    for (const auto& e : entries_)
        if (SamePath(ParentOf(e.path), folder)) out.push_back(e.path);
    return out;
}

void SimFileSystem::FindFiles(const std::string& pattern, std::uint32_t attributeMask, std::vector<FoundFile>& out) {
    const std::string parent = Redirected(ParentOf(pattern));
    const std::string folder = links_ ? Resolve(parent) : parent, mask = NameOf(pattern);
    // The classic search leaves out hidden, system and directory entries
    // unless the mask asks for them.
    const std::uint32_t excluded =
        ~attributeMask & (kFileAttributeHidden | kFileAttributeSystem | 0x8u | kFileAttributeDirectory);
    for (const auto& e : entries_) {
        if (!SamePath(ParentOf(e.path), folder) || !WildcardMatch(mask, NameOf(e.path))) continue;
        if (e.file.attributes & excluded) continue;
        out.push_back({ansiCalls ? ThroughCodePage(NameOf(e.path)) : NameOf(e.path), e.file.attributes});
    }
}

std::uint32_t SimFileSystem::GetFileAttributes(const std::string& path) {
    reached.push_back(path);
    if (HasWildcard(path)) return kInvalidFileAttributes;
    if (SimFile* file = Find(path)) return file->attributes;
    if (Entry* folder = Lookup(Redirected(path), true)) return folder->file.attributes;
    // Every drive exists: "C:" names its current folder, "C:\\" its root,
    // and "\\" the root of the current drive.
    const bool drive = (path.size() == 2 || (path.size() == 3 && path[2] == '\\')) && path[1] == ':' &&
                       std::isalpha(static_cast<unsigned char>(path[0]));
    return drive || path == "\\" ? kFileAttributeDirectory : kInvalidFileAttributes;
}

long SimFileSystem::ListFolder(const std::string& folder, std::size_t limit, std::vector<FolderEntry>& out) {
    listed.push_back(folder);
    out.clear();
    std::u16string units;
    if (!Utf16FromUtf8(folder, units)) return kErrorNoUnicodeTranslation;
    if (HasWildcard(folder)) return kErrorInvalidName;
    std::string real = Redirected(folder);
    if (links_) real = Resolve(real);
    while (!real.empty() && real.back() == '\\') real.pop_back();
    // The simulated machine keeps no 8.3 names.
    if (!FolderExists(real)) return kErrorPathNotFound;
    if (unlistable.count(SimLowerCase(real))) return kErrorAccessDenied;
    const std::string key = SimLowerCase(real);
    for (const Entry& e : entries_) {
        if (SimLowerCase(ParentOf(e.path)) != key) continue;
        if (out.size() == limit) {
            out.clear();
            return kErrorMoreData;
        }
        out.push_back({NameOf(e.path), std::string(), e.file.attributes});
    }
    return kErrorSuccess;
}

long SimFileSystem::DeleteFile(const std::string& path) {
    // "?" and "*" are wildcards and name no file; a text no UTF-16 spells
    // names nothing.
    std::u16string units;
    if (!Utf16FromUtf8(path, units)) return kErrorNoUnicodeTranslation;
    if (HasWildcard(path)) return kErrorInvalidName;
    if (undeletable.count(SimLowerCase(path))) return kErrorAccessDenied;
    const std::string real = links_ ? ResolveParent(path) : path;
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return !e.folder && SamePath(e.path, real); });
    if (it == entries_.end()) return FolderExists(ParentOf(path)) ? kErrorFileNotFound : kErrorPathNotFound;
    if (it->file.attributes & kFileAttributeReadonly) return kErrorAccessDenied;
    entries_.erase(it);
    Reindex();
    return kErrorSuccess;
}

void SimFileSystem::AddFolderLink(const std::string& path, const std::string& target) {
    AddFolder(ParentOf(StripSlash(path)));
    entries_.push_back({StripSlash(path), true, {}, nextId_++, StripSlash(target)});
    entries_.back().file.attributes = kFileAttributeDirectory | kFileAttributeReparsePoint;
    index_[IndexKey(path, true)] = entries_.size() - 1;
    ++links_;
}

void SimFileSystem::RemoveFolder(const std::string& path) {
    const std::string folder = SimLowerCase(StripSlash(path));
    std::erase_if(entries_, [&](const Entry& e) {
        const std::string lower = SimLowerCase(e.path);
        return lower == folder || (lower.size() > folder.size() && lower.compare(0, folder.size(), folder) == 0 &&
                                   lower[folder.size()] == '\\');
    });
    Reindex();
}

void SimFileSystem::Rename(const std::string& from, const std::string& to) {
    const std::string old = SimLowerCase(StripSlash(from));
    for (Entry& e : entries_) {
        const std::string lower = SimLowerCase(e.path);
        if (lower == old) e.path = StripSlash(to);
        else if (lower.size() > old.size() && lower.compare(0, old.size(), old) == 0 && lower[old.size()] == '\\')
            e.path = StripSlash(to) + e.path.substr(old.size());
    }
    Reindex();
}

std::string SimFileSystem::Resolve(const std::string& path) const {
    std::string current = StripSlash(path);
    for (int hops = 0; hops < 32; ++hops) {
        bool followed = false;
        for (size_t end = current.find('\\'); !followed; end = current.find('\\', end + 1)) {
            const std::string prefix = current.substr(0, end);
            auto it = index_.find(IndexKey(prefix, true));
            if (it != index_.end() && entries_[it->second].linkTarget) {
                current = *entries_[it->second].linkTarget + (end == std::string::npos ? "" : current.substr(end));
                followed = true;
            }
            if (end == std::string::npos) break;
        }
        if (!followed) break;
    }
    return current;
}

std::string SimFileSystem::ResolveParent(const std::string& path) const {
    const std::string stripped = StripSlash(path);
    const std::string parent = ParentOf(stripped);
    return parent.empty() ? stripped : Resolve(parent) + "\\" + NameOf(stripped);
}

SimFileSystem::Entry* SimFileSystem::ById(std::uint64_t id) {
    for (Entry& e : entries_)
        if (e.id == id) return &e;
    return nullptr;
}

FileHandle SimFileSystem::OpenEntry(const std::string& path, EntryAccess access, long& error) {
    reached.push_back(path);
    const std::string real = openFollowsLinks && links_ ? Resolve(path) : path;
    Entry* e = HasWildcard(real) ? nullptr : Lookup(real, false);
    if (!e && !HasWildcard(real)) e = Lookup(real, true);
    if (!e) {
        error = HasWildcard(path)              ? kErrorInvalidName
                : FolderExists(ParentOf(path)) ? kErrorFileNotFound
                                               : kErrorPathNotFound;
        return FileHandle{};
    }
    error = kErrorSuccess;
    const std::uintptr_t handle = nextHandle_++;
    open_[handle] = {e->id, access == EntryAccess::Deletion, false, access, false};
    return FileHandle{handle};
}

EntrySecurity SimFile::MachineOwned() {
    return {Trustee::Administrators,
            "S-1-5-32-544",
            false,
            {{Trustee::Administrators, "S-1-5-32-544", true, false, kGenericAll},
             {Trustee::LocalSystem, "S-1-5-18", true, false, kGenericAll},
             {Trustee::Other, "S-1-5-32-545", true, false, 0x1200A9u}}};
}

SimFile* SimFileSystem::FindFolder(const std::string& path) {
    Entry* e = Lookup(path, true);
    return e ? &e->file : nullptr;
}

long SimFileSystem::ReadEntryBytes(FileHandle file, std::uint32_t limit, std::vector<std::uint8_t>& out) {
    out.clear();
    auto it = open_.find(file.Value());
    Entry* e = it == open_.end() ? nullptr : ById(it->second.id);
    if (!e) return kErrorInvalidHandle;
    if (it->second.access != EntryAccess::Deletion || e->folder) return kErrorAccessDenied;
    if (e->file.content.size() > limit) return kErrorFileTooLarge;
    out.assign(e->file.content.begin(), e->file.content.end());
    return kErrorSuccess;
}

long SimFileSystem::GetEntrySecurity(FileHandle file, EntrySecurity& security) {
    auto it = open_.find(file.Value());
    Entry* e = it == open_.end() ? nullptr : ById(it->second.id);
    if (!e) return kErrorInvalidHandle;
    if (it->second.access != EntryAccess::Security) return kErrorAccessDenied;
    security = e->file.security;
    return kErrorSuccess;
}

long SimFileSystem::CreateProtectedFolder(const std::string& path) {
    std::u16string units;
    if (!Utf16FromUtf8(path, units)) return kErrorNoUnicodeTranslation;
    if (HasWildcard(path)) return kErrorInvalidName;
    const std::string real = links_ ? ResolveParent(path) : path;
    if (Lookup(real, true) || Lookup(real, false)) return kErrorAlreadyExists;
    if (!FolderExists(ParentOf(StripSlash(real)))) return kErrorPathNotFound;
    AddFolder(real);
    FindFolder(real)->security = {Trustee::Administrators,
                                  "S-1-5-32-544",
                                  false,
                                  {{Trustee::Administrators, "S-1-5-32-544", true, false, kFileAllAccess},
                                   {Trustee::LocalSystem, "S-1-5-18", true, false, kFileAllAccess}}};
    return kErrorSuccess;
}

FileHandle SimFileSystem::CreateNewFile(const std::string& path, long& error) {
    reached.push_back(path);
    std::u16string units;
    if (!Utf16FromUtf8(path, units)) {
        error = kErrorNoUnicodeTranslation;
        return FileHandle{};
    }
    const std::string real = links_ ? ResolveParent(path) : path;
    if (HasWildcard(path) || NameOf(real).empty()) {
        error = kErrorInvalidName;
        return FileHandle{};
    }
    if (Lookup(real, false) || Lookup(real, true)) {
        error = kErrorFileExists;
        return FileHandle{};
    }
    if (!FolderExists(ParentOf(real))) {
        error = kErrorPathNotFound;
        return FileHandle{};
    }
    SimFile made;
    made.security = FindFolder(ParentOf(real)) ? FindFolder(ParentOf(real))->security : SimFile::MachineOwned();
    AddFile(real, std::move(made));
    const std::uintptr_t handle = nextHandle_++;
    open_[handle] = {Lookup(real, false)->id, true, false, EntryAccess::Deletion, true};
    error = kErrorSuccess;
    return FileHandle{handle};
}

long SimFileSystem::WriteEntry(FileHandle file, const std::vector<std::uint8_t>& bytes) {
    auto it = open_.find(file.Value());
    Entry* e = it == open_.end() ? nullptr : ById(it->second.id);
    if (!e) return kErrorInvalidHandle;
    if (!it->second.created) return kErrorAccessDenied;
    size_t fits = bytes.size();
    if (freeBytes && *freeBytes < fits) fits = static_cast<size_t>(*freeBytes);
    e->file.content.append(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(fits));
    if (freeBytes) *freeBytes -= fits;
    return fits == bytes.size() ? kErrorSuccess : kErrorDiskFull;
}

long SimFileSystem::SetEntryBasics(FileHandle file, const FileBasics& basics) {
    auto it = open_.find(file.Value());
    Entry* e = it == open_.end() ? nullptr : ById(it->second.id);
    if (!e) return kErrorInvalidHandle;
    if (!it->second.created || basics.attributes == 0) return kErrorAccessDenied;
    e->file.attributes = basics.attributes;
    if (basics.creationTime) e->file.creationTime = basics.creationTime;
    if (basics.lastAccessTime) e->file.lastAccessTime = basics.lastAccessTime;
    if (basics.lastWriteTime) e->file.lastWriteTime = basics.lastWriteTime;
    return kErrorSuccess;
}

bool SimFileSystem::GetEntryInfo(FileHandle file, FileEntryInfo& info) {
    auto it = open_.find(file.Value());
    Entry* e = it == open_.end() ? nullptr : ById(it->second.id);
    if (!e) return false;
    info.attributes = e->file.attributes;
    info.identity = {kVolumeSerial, e->id};
    info.size = e->file.content.size();
    info.creationTime = e->file.creationTime;
    info.lastAccessTime = e->file.lastAccessTime;
    info.lastWriteTime = e->file.lastWriteTime;
    return true;
}

bool SimFileSystem::GetFinalPath(FileHandle file, FinalPath& path) {
    auto it = open_.find(file.Value());
    Entry* e = it == open_.end() ? nullptr : ById(it->second.id);
    if (!e) return false;
    path.exact = e->path;
    return true;
}

bool SimFileSystem::GetLinkTarget(const std::string& path, FinalPath& target) {
    const std::string real = Resolve(path);
    if (!Lookup(real, true) && !Lookup(real, false)) return false;
    target.exact = real;
    return true;
}

long SimFileSystem::DeleteEntry(FileHandle file) {
    auto it = open_.find(file.Value());
    if (it == open_.end()) return kErrorInvalidHandle;
    Entry* e = ById(it->second.id);
    if (!e) return kErrorFileNotFound;
    if (!it->second.forDeletion || e->folder || (e->file.attributes & kFileAttributeReadonly) ||
        undeletable.count(SimLowerCase(e->path)))
        return kErrorAccessDenied;
    it->second.deletePending = true;
    return kErrorSuccess;
}

bool SimFileSystem::CloseEntry(FileHandle file) {
    auto it = open_.find(file.Value());
    if (it == open_.end()) return false;
    const OpenEntryState state = it->second;
    open_.erase(it);
    if (state.deletePending) {
        entries_.erase(
            std::remove_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.id == state.id; }),
            entries_.end());
        Reindex();
    }
    return true;
}

int SimShell::IconIndexOf(const std::string& pathOrName) const {
    static const std::map<std::string, int> kTypes = {{".exe", 2},  {".dll", 12}, {".lnk", 16}, {".scr", 21},
                                                      {".txt", 22}, {".bat", 23}, {".ini", 24}, {".sys", 25},
                                                      {".cpl", 26}, {".com", 27}};
    const std::string name = NameOf(pathOrName);
    size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return unknownIcon;
    auto it = kTypes.find(SimLowerCase(name.substr(dot)));
    return it == kTypes.end() ? unknownIcon : it->second;
}

std::uintptr_t SimShell::GetFileInfo(const std::string& path, std::uint32_t fileAttributes, ShellFileInfo& info,
                                     std::uint32_t flags) {
    ++fileInfoCalls;
    fileInfoFlags |= flags;
    (void)fileAttributes;
    const bool byName = flags & kShgfiUseFileAttributes;
    if (!byName) files_.reached.push_back(path);
    SimFile* file = files_.Find(path);
    const bool folder = !file && files_.FolderExists(path);
    if (!byName && !file && !folder) return 0;
    if (flags & kShgfiExeType) return file ? file->exeType : 0;
    if ((flags & kShgfiSysIconIndex) && failingIconLookups.count(path)) return 0;
    if (flags & kShgfiSysIconIndex) info.iIcon = folder && !byName ? 3 : IconIndexOf(path);
    if (flags & kShgfiTypeName) info.typeName = file ? file->typeName : std::string();
    if (flags & kShgfiIcon) {
        info.iIcon = folder ? 3 : IconIndexOf(path);
        info.hIcon = IconHandle{nextIcon_++};
        liveIcons_.insert(info.hIcon);
    }
    if (flags & kShgfiSysIconIndex) return ((flags & kShgfiSmallIcon) ? kSmallImageList : kLargeImageList).Value();
    return 1;
}

bool SimShell::DestroyIcon(IconHandle icon) { return liveIcons_.erase(icon) > 0; }

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
        files_.reached.push_back(path);
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

std::uintptr_t SimShell::ShellExecute(ShellOwner owner, const std::string& operation, const std::string& file,
                                      const std::string& parameters, const std::string& directory, int show) {
    executions.push_back({operation, file, parameters, directory, show, 0, owner, Route::Program});
    return 42;  // above 32: success
}

bool SimShell::ShellExecuteEx(const ShellExecuteInfo& info) {
    files_.reached.push_back(info.file);
    executions.push_back(
        {info.verb, info.file, info.parameters, info.directory, info.show, info.mask, info.owner, Route::Program});
    return files_.Exists(info.file) || files_.FolderExists(info.file);
}

bool SimShell::ShellExecuteByDesktop(const std::string& operation, const std::string& file,
                                     const std::string& parameters, const std::string& directory, int show) {
    if (!desktopShellAvailable) return false;
    executions.push_back({operation, file, parameters, directory, show, 0, ShellOwner::None, Route::Desktop});
    return true;
}

}  // namespace qm::sim
