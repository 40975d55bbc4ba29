// The startup folders of all users and of the current user: one row per
// file lying there, with the path a shortcut points to. Windows starts every
// file of these folders, whatever its kind (a script, a batch file, an
// Internet shortcut), so every file is listed.
#include "core/collectors/collector.h"
#include "platform/owner.h"
#include "platform/text_case.h"

namespace qm {

namespace {

// Every classic attribute bit but the directory bit: hidden and system files
// are listed, folders are not (and are not searched).
constexpr std::uint32_t kStartupSearchAttributes = 0x2F;
constexpr int kPathChars = 260;
constexpr std::uint32_t kStgmRead = 0;

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string WithSlash(const std::string& folder) { return folder.back() == '\\' ? folder : folder + "\\"; }

// Which file or folder `path` names now, opened as itself; none (all zero)
// when it cannot be opened, which no deletion will take for the listed one.
FileIdentity IdentityOf(Platform& platform, const std::string& path) {
    long error = kErrorSuccess;
    const FileOwner entry(platform.files, platform.files.OpenEntry(path, EntryAccess::Attributes, error));
    FileEntryInfo info;
    if (!entry || !platform.files.GetEntryInfo(entry.Get(), info)) return {};
    return info.identity;
}

// Appends a row for each file (not folder, not the folder's desktop.ini) of
// `folder`, with the identity of the folder and of each file as listed.
void ScanStartupFolder(ScanContext& context, RowReader& rows, const std::string& folder) {
    const std::string dir = WithSlash(folder);
    const FileIdentity folderIdentity = IdentityOf(context.platform, folder);
    std::vector<FoundFile> found;
    context.platform.files.FindFiles(dir + "*", kStartupSearchAttributes, found);
    for (const FoundFile& file : found) {
        if (file.attributes & kFileAttributeDirectory) continue;
        const std::string lower = LowerAscii(file.name);
        if (lower == "desktop.ini") continue;  // the folder's own settings, never started
        Entry& row = rows.Start();
        row.name = file.name;
        row.where = FileLocation{.folder = dir,
                                 .name = file.name,
                                 .folderIdentity = folderIdentity,
                                 .fileIdentity = IdentityOf(context.platform, dir + file.name)};
        // A shortcut starts what it points to; any other file is started itself.
        row.command = EndsWith(lower, ".lnk") ? ResolveShortcut(context.platform, dir + file.name) : dir + file.name;
        rows.Finish(context, IconSource{dir + file.name});
    }
}

}  // namespace

std::string GetSpecialFolderPath(Platform& platform, int csidl) {
    std::string path;
    // A missing folder is not created: it simply lists nothing.
    if (!platform.shell.GetSpecialFolderPath(csidl, false, path)) return std::string();
    return path.substr(0, path.find('\0'));
}

std::string ResolveShortcut(Platform& platform, const std::string& path) {
    // Creating the link object is the one step whose failure is raised.
    std::unique_ptr<IShellLinkObject> link = platform.shell.CreateShellLink();
    // Neither result is looked at: a file that is not a shortcut fails to
    // load and then has no path, which reads as empty text.
    link->Load(path, kStgmRead);
    std::string target;
    link->GetPath(target, kPathChars);
    return target.substr(0, target.find('\0'));
}

namespace {

// A startup folder that is itself a link (a junction or a symbolic link,
// which the user can put in place of the folder) is one row saying where it
// points; the files there are another folder's and are not listed as the
// user's startup entries, nor can that row delete anything.
bool ShowFolderLink(ScanContext& context, RowReader& rows, const std::string& folder) {
    const std::uint32_t attributes = context.platform.files.GetFileAttributes(folder);
    if (attributes == kInvalidFileAttributes || !(attributes & kFileAttributeReparsePoint)) return false;
    FinalPath target;
    const bool leads = context.platform.files.GetLinkTarget(folder, target);
    Entry& row = rows.Start();
    row.name = "Folder is a link to " + (leads ? target.exact : std::string("a missing folder"));
    row.command = leads ? target.exact : std::string();
    row.where = FolderLinkLocation{.folder = WithSlash(folder)};
    rows.Finish(context, IconSource{WithSlash(folder)});
    return true;
}

}  // namespace

void ScanStartupFolders(const StartupFolder& source, ScanContext& context, RowReader& rows) {
    const std::string folder = GetSpecialFolderPath(context.platform, source.csidl);
    if (folder.empty() || ShowFolderLink(context, rows, folder)) return;
    ScanStartupFolder(context, rows, folder);
}

}  // namespace qm
