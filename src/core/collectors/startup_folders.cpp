// The startup folders of all users and of the current user: one row per
// program or shortcut lying there, with the path a shortcut points to.
#include "core/collectors/collector.h"

namespace qm {

namespace {

// Every classic attribute bit but the directory bit: hidden and system files
// are listed, folders are not (and are not searched).
constexpr std::uint32_t kStartupSearchAttributes = 0x2F;
constexpr int kPathChars = 260;
constexpr std::uint32_t kStgmRead = 0;

// Appends a row for each file (not folder) of `folder` matching the wildcard `mask`.
void ScanStartupFolder(ScanContext& context, RowReader& rows, const std::string& folder, const std::string& mask) {
    if (folder.empty()) return;
    const std::string dir = folder.back() == '\\' ? folder : folder + "\\";
    std::vector<FoundFile> found;
    context.platform.files.FindFiles(dir + mask, kStartupSearchAttributes, found);
    for (const FoundFile& file : found) {
        if (file.attributes & kFileAttributeDirectory) continue;
        TEntryRow& row = rows.Start();
        row.Caption = file.name;
        row.Where = FileLocation{.folder = dir, .name = file.name};
        row.SubItems.Add(ResolveShortcut(context.platform, dir + file.name));
        row.SubItems.Add("Windows AutoRun");
        row.SubItems.Add(dir);
        row.StateIndex = 4;
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

// The folder is asked for again for each mask, as it always was.
void ScanStartupFolders(const StartupFolder& source, ScanContext& context, RowReader& rows) {
    for (const char* mask : source.masks)
        ScanStartupFolder(context, rows, GetSpecialFolderPath(context.platform, source.csidl), mask);
}

}  // namespace qm
