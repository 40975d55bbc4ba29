// Whether a report's targets exist, answered for most missing ones without
// asking the file system about each.
//
// Asking whether a missing file exists is the dearest call of a report: the
// system looks the missing name up in its folder without regard to case, so
// each answer reads that folder again (under Wine about 40 us a target).
// Thousands of entries naming programs in folders that are gone ("C:\Program
// Files\App<i>\app.exe") cost more than reading their values. Here a folder
// that targets pass through often is listed once, and a target whose name is
// not in its folder's listing is known to be absent without a call.
//
// The listings only ever prove absence. A name that is in the listing, or
// that might be, or any path whose lookup the system could spell otherwise
// than its listing (8.3 names, device names, trailing dots and spaces,
// wildcards, redirected folders, links) is asked about directly, as a target
// that exists must be inspected anyway. The listings are taken during the
// report and kept until it ends: a report is a reading of one moment.
#pragma once
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/model/native_path.h"
#include "platform/platform.h"

namespace qm::report {

class ExistenceCache {
public:
    // A folder is listed at its kVisitsBeforeListing-th visit, so a report
    // of a few entries lists nothing it does not need.
    static constexpr int kVisitsBeforeListing = 8;
    static constexpr std::size_t kMaxListing = 20000;  // entries of one folder
    static constexpr std::size_t kMaxNames = 300000;   // names kept in all
    static constexpr std::size_t kMaxFolders = 4096;   // folders counted, listed or refused
    static constexpr std::size_t kMaxPath = 260;

    // `native` gives the Windows folder, below which nothing is listed.
    ExistenceCache(IFiles& files, NativePaths& native) : files_(files), native_(native) {}

    // Whether the file or folder at `path` (a native path, as the target is
    // inspected) exists: false when a listing shows it is not there, else
    // what GetFileAttributes says.
    bool Exists(const std::string& path);

private:
    enum class State { Counting, Listed, Unlistable };
    struct Folder {
        State state = State::Counting;
        int visits = 0;
        // A hash of each name, long and short, in lower case, with the
        // entry's attributes (kAmbiguous when two names share a hash),
        // sorted by hash. A hash says only that a name may be there: one
        // shared by another name costs a direct call, never a wrong answer.
        std::vector<std::pair<std::uint64_t, std::uint32_t>> names;
        // The UTF-16 lengths of the names holding a letter beyond ASCII:
        // the system may find such a name for an ASCII one of that length.
        std::bitset<kMaxPath> otherScripts;
    };
    static constexpr std::uint32_t kAmbiguous = 0xFFFFFFFFu;

    bool ProvedAbsent(const std::string& path);
    // The folder's state by its lower-case path ("c:\program files\"); null
    // when no more folders are kept.
    Folder* FolderAt(const std::string& key);
    void List(const std::string& key, Folder& folder);

    IFiles& files_;
    NativePaths& native_;
    bool windowsKnown_ = false;
    std::string windows_;  // "<windows>\" in lower case; empty: nothing is listed
    std::unordered_map<std::string, Folder> folders_;
    std::size_t names_ = 0;
};

}  // namespace qm::report
