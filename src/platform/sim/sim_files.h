// Simulated files, folders, shortcuts and the shell that answers for them.
#pragma once
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"

namespace qm::sim {

struct SimFile {
    std::uint32_t attributes = kFileAttributeArchive;
    std::optional<std::string> shortcutTarget;                              // a shell link naming this target
    std::string typeName;                                                   // what the shell calls the type
    std::uint32_t exeType = 0;                                              // SHGFI_EXETYPE answer
    std::vector<std::uint8_t> versionResource;                              // a VS_VERSIONINFO block, empty when none
    std::string content;                                                    // what reading the file gives
    std::uint64_t creationTime = 0, lastAccessTime = 0, lastWriteTime = 0;  // FILETIMEs
    // Its owner and access list. A folder or file made by a fixture is the
    // machine's own: Administrators own it, Administrators and SYSTEM may
    // do anything, Users may read.
    EntrySecurity security = MachineOwned();
    static EntrySecurity MachineOwned();
};

class SimFileSystem : public IFiles {
public:
    void FindFiles(const std::string& pattern, std::uint32_t attributeMask, std::vector<FoundFile>& out) override;
    long DeleteFile(const std::string& path) override;
    std::uint32_t GetFileAttributes(const std::string& path) override;
    long ListFolder(const std::string& folder, std::size_t limit, std::vector<FolderEntry>& out) override;
    FileHandle OpenEntry(const std::string& path, EntryAccess access, long& error) override;
    long ReadEntryBytes(FileHandle file, std::uint32_t limit, std::vector<std::uint8_t>& out) override;
    long GetEntrySecurity(FileHandle file, EntrySecurity& security) override;
    long CreateProtectedFolder(const std::string& path) override;
    FileHandle CreateNewFile(const std::string& path, long& error) override;
    long WriteEntry(FileHandle file, const std::vector<std::uint8_t>& bytes) override;
    long SetEntryBasics(FileHandle file, const FileBasics& basics) override;
    bool GetEntryInfo(FileHandle file, FileEntryInfo& info) override;
    bool GetFinalPath(FileHandle file, FinalPath& path) override;
    bool GetLinkTarget(const std::string& path, FinalPath& target) override;
    long DeleteEntry(FileHandle file) override;
    bool CloseEntry(FileHandle file) override;
    long ReadFileBytes(const std::string& path, std::uint32_t limit, std::vector<std::uint8_t>& out) override;

    void AddFolder(const std::string& path);
    // The folder's own record (its attributes and security); null when none.
    SimFile* FindFolder(const std::string& path);
    // Bytes the disk still takes; none: as many as are written. A write
    // past them writes what fits and fails with kErrorDiskFull.
    std::optional<std::uint64_t> freeBytes;
    // A folder that is a link (a junction or a symbolic link) to `target`:
    // paths through it lead into the target; opened as an entry, it is the
    // link itself.
    void AddFolderLink(const std::string& path, const std::string& target);
    // Takes a folder away with everything in it (a fixture's clean-up).
    void RemoveFolder(const std::string& path);
    // Moves a file or a folder with everything in it; each keeps its identity.
    void Rename(const std::string& from, const std::string& to);
    // The path with every link on the way followed (the last name too).
    std::string Resolve(const std::string& path) const;
    static constexpr std::uint32_t kVolumeSerial = 0x43000000;
    // Wine 8 opens what a link points to even when asked for the link
    // itself (it still reports the link's attribute); Windows opens the link.
    bool openFollowsLinks = false;
    // The search goes through the ANSI functions (sim_text.h): the names it
    // finds pass the code page.
    bool ansiCalls = false;
    int OpenEntries() const { return static_cast<int>(open_.size()); }
    SimFile& AddFile(const std::string& path, SimFile file = {});
    SimFile* Find(const std::string& path);
    bool Exists(const std::string& path) { return Find(path) != nullptr; }
    bool FolderExists(const std::string& path) const;
    // The full paths of the files and folders right inside `folder`, names as stored.
    std::vector<std::string> FilesIn(const std::string& folder) const;
    std::set<std::string> undeletable;  // lower-case full paths
    // Folders whose listing is refused (access denied), lower-case full
    // paths; the files in them are found all the same.
    std::set<std::string> unlistable;
    // Every folder a listing was asked for, as given.
    std::vector<std::string> listed;
    // Every path a call reached for on the machine (attributes, opening,
    // the shell's file details, version resources, shell links, starting
    // a file), as given: a network path here is a request sent to its server.
    std::vector<std::string> reached;
    // A 32-bit program on 64-bit Windows: its calls that look at a file
    // (attributes, icons, version resources) find <windows>\System32\X in
    // SysWOW64 and <windows>\Sysnative\X in System32. Fixtures name the
    // real folders.
    bool wow64Program = false;
    std::string windowsDirectory = "C:\\windows";
    std::string Redirected(const std::string& path) const;

private:
    struct Entry {
        std::string path;  // as created
        bool folder = false;
        SimFile file;
        std::uint64_t id = 0;
        std::optional<std::string> linkTarget;  // a folder that is a link
    };
    struct OpenEntryState {
        std::uint64_t id = 0;
        bool forDeletion = false;
        bool deletePending = false;
        EntryAccess access = EntryAccess::Attributes;
        bool created = false;  // made by CreateNewFile: may be written
    };
    std::map<std::uintptr_t, OpenEntryState> open_;
    std::uintptr_t nextHandle_ = 0xF000;
    std::uint64_t nextId_ = 0x100;
    int links_ = 0;
    Entry* ById(std::uint64_t id);
    // Follows the links among the folders of `path` (not its last name).
    std::string ResolveParent(const std::string& path) const;
    std::vector<Entry> entries_;  // creation order, which is what a search returns
    // "f:" or "d:" and the lower-case path -> position in entries_, so that
    // a folder of thousands of files costs the same per file.
    std::unordered_map<std::string, size_t> index_;
    Entry* Lookup(const std::string& path, bool folder);
    void Reindex();
};

// Matches a name against a FindFirstFile pattern: '*' any run, '?' one character,
// letters without regard to case.
bool WildcardMatch(const std::string& pattern, const std::string& name);

class SimShell : public IShell {
public:
    explicit SimShell(SimFileSystem& files) : files_(files) {}
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

    // The icon index the shell gives a name of this extension; unknown types
    // share one index.
    int IconIndexOf(const std::string& pathOrName) const;
    static constexpr ImageListHandle kSmallImageList{0x5111};
    static constexpr ImageListHandle kLargeImageList{0x5222};
    static constexpr int kUnknownIcon = 0;
    // The index of files of no known type (Windows' is not always 0), and
    // the names whose icon lookup fails: the call returns 0 and leaves the
    // info record as it was.
    int unknownIcon = kUnknownIcon;
    std::set<std::string> failingIconLookups;

    std::map<int, std::string> specialFolders;  // csidl -> path
    bool comAvailable = true;
    int fileInfoCalls = 0;
    std::uint32_t fileInfoFlags = 0;  // every flag any GetFileInfo call asked with
    int LiveIcons() const { return static_cast<int>(liveIcons_.size()); }
    bool IconIsLive(IconHandle icon) const { return liveIcons_.count(icon) > 0; }

    // Whether the desktop's shell can be asked to start something (Windows
    // with its shell running, and Wine's own desktop, both do).
    bool desktopShellAvailable = true;

    // Who started what: this program itself, or the desktop's shell for it.
    enum class Route { Program, Desktop };
    struct Execution {
        std::string operation, file, parameters, directory;
        int show = 0;
        std::uint32_t mask = 0;
        ShellOwner owner = ShellOwner::None;
        Route route = Route::Program;
    };
    std::vector<Execution> executions;

private:
    SimFileSystem& files_;
    std::set<IconHandle> liveIcons_;
    std::uintptr_t nextIcon_ = 0x7000;
};

}  // namespace qm::sim
