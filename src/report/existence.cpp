#include "report/existence.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "platform/text_case.h"
#include "platform/text_utf.h"

namespace qm::report {

namespace {

// A name the system takes for a device in any folder, with any extension
// ("nul.txt", "COM1 .log").
bool IsDeviceName(const std::string& name) {
    std::string base = LowerAscii(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    static constexpr std::array<const char*, 7> kDevices = {"con", "prn", "aux", "nul", "conin$", "conout$", "clock$"};
    if (std::find(kDevices.begin(), kDevices.end(), base) != kDevices.end()) return true;
    return base.size() == 4 && (base.rfind("com", 0) == 0 || base.rfind("lpt", 0) == 0) && base[3] >= '0' &&
           base[3] <= '9';
}

// A name the system looks up exactly as a listing shows it.
bool PlainName(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.back() == '.' || name.back() == ' ') return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        // Beyond ASCII, a control character, a wildcard, a stream's colon,
        // and '~' of an 8.3 name.
        if (u >= 0x7F || u < 0x20 || std::string_view("*?<>\"|:~/").find(c) != std::string_view::npos) return false;
    }
    return !IsDeviceName(name);
}

// Whether the listings can answer for `path`: "X:\a\...\name" of plain
// names below MAX_PATH, not in `windows` (the Windows folder in lower case
// with its backslash), where a 32-bit program's listings and lookups are
// redirected apart.
bool ListingCanAnswer(const std::string& path, const std::string& windows) {
    if (path.size() < 4 || path.size() >= ExistenceCache::kMaxPath || path[1] != ':' || path[2] != '\\') return false;
    const char drive = path[0];
    if (!((drive >= 'a' && drive <= 'z') || (drive >= 'A' && drive <= 'Z'))) return false;
    if (LowerAscii(path.substr(0, windows.size())) == windows) return false;
    for (size_t start = 3;;) {
        const size_t end = path.find('\\', start);
        if (!PlainName(path.substr(start, end == std::string::npos ? std::string::npos : end - start))) return false;
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

// FNV-1a of the lower-case name.
std::uint64_t HashOf(const std::string& lowerName) {
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (const char c : lowerName) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001B3ull;
    }
    return hash;
}

// The UTF-16 length of a name holding a character beyond ASCII, or 0 for
// an ASCII name.
size_t OtherScriptLength(const std::string& name) {
    if (std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) return 0;
    size_t units = 0;
    for (size_t i = 0; i < name.size();) {
        const Utf8Char c = Utf8CharAt(name, i);
        units += c.length != 0 && c.code >= 0x10000 ? 2 : 1;
        i += c.length != 0 ? c.length : 1;
    }
    return units;
}

}  // namespace

bool ExistenceCache::Exists(const std::string& path) {
    if (ProvedAbsent(path)) return false;
    return files_.GetFileAttributes(path) != kInvalidFileAttributes;
}

bool ExistenceCache::ProvedAbsent(const std::string& path) {
    if (!windowsKnown_) {
        windowsKnown_ = true;
        // A Windows folder the system names by its 8.3 name could be named
        // otherwise by a target: then nothing is listed.
        const std::optional<std::string> windows = native_.WindowsFolder();
        if (windows && windows->find('~') == std::string::npos) windows_ = LowerAscii(*windows) + "\\";
    }
    if (windows_.empty() || !ListingCanAnswer(path, windows_)) return false;
    // From the drive's root, one name at a time.
    std::string key = LowerAscii(path.substr(0, 3));
    for (size_t start = 3;;) {
        const size_t end = path.find('\\', start);
        const bool last = end == std::string::npos;
        const std::string name = LowerAscii(path.substr(start, last ? std::string::npos : end - start));
        Folder* folder = FolderAt(key);
        if (!folder) return false;
        if (folder->state == State::Counting) {
            if (++folder->visits < kVisitsBeforeListing) return false;
            List(key, *folder);
        }
        if (folder->state != State::Listed) return false;
        if (folder->otherScripts[name.size()]) return false;  // a name that may be this one
        const std::uint64_t hash = HashOf(name);
        const auto found = std::lower_bound(folder->names.begin(), folder->names.end(),
                                            std::pair<std::uint64_t, std::uint32_t>{hash, 0});
        if (found == folder->names.end() || found->first != hash) return true;
        // There, or a name of the same hash: the last name is asked about,
        // and only a plain folder is looked into.
        const std::uint32_t attributes = found->second;
        if (last || attributes == kAmbiguous || !(attributes & kFileAttributeDirectory) ||
            (attributes & kFileAttributeReparsePoint))
            return false;
        key += name + "\\";
        start = end + 1;
    }
}

ExistenceCache::Folder* ExistenceCache::FolderAt(const std::string& key) {
    if (const auto it = folders_.find(key); it != folders_.end()) return &it->second;
    if (folders_.size() >= kMaxFolders) return nullptr;
    return &folders_[key];
}

void ExistenceCache::List(const std::string& key, Folder& folder) {
    folder.state = State::Unlistable;
    std::vector<FolderEntry> entries;
    if (files_.ListFolder(key, kMaxListing, entries) != kErrorSuccess) return;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> names;
    const auto keep = [&](const std::string& name, std::uint32_t attributes) {
        if (name.empty()) return;
        if (const size_t units = OtherScriptLength(name)) {
            if (units < kMaxPath) folder.otherScripts.set(units);
            return;
        }
        names.emplace_back(HashOf(LowerAscii(name)), attributes);
    };
    for (const FolderEntry& entry : entries) {
        keep(entry.name, entry.attributes);
        if (LowerAscii(entry.shortName) != LowerAscii(entry.name)) keep(entry.shortName, entry.attributes);
    }
    if (names_ + names.size() > kMaxNames) return;
    std::sort(names.begin(), names.end());
    // Two names of one hash (or two entries of one name, as a case-sensitive
    // folder can hold) stand for either entry.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> unique;
    for (const auto& name : names) {
        if (!unique.empty() && unique.back().first == name.first) unique.back().second = kAmbiguous;
        else unique.push_back(name);
    }
    names_ += unique.size();
    folder.names = std::move(unique);
    folder.names.shrink_to_fit();
    folder.state = State::Listed;
}

}  // namespace qm::report
