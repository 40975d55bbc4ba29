// The startup folders of all users and of the current user: one row per
// program or shortcut lying there, with the path a shortcut points to.
#include <array>

#include "core/collectors/collector.h"
#include "core/forms/main_form.h"

namespace qm {

namespace {

// Every classic attribute bit but the directory bit: hidden and system files
// are listed, folders are not (and are not searched).
constexpr std::uint32_t kStartupSearchAttributes = 0x2F;
constexpr int kPathChars = 260;
constexpr std::uint32_t kStgmRead = 0;

struct TStartupFolder {
    TListView TMainForm::*List;
    int Csidl;
    std::array<const char*, 2> Masks;  // searched in this order
};

constexpr TStartupFolder kCommonStartup{&TMainForm::comon, kCsidlCommonStartup, {"*.exe*", "*.lnk*"}};
constexpr TStartupFolder kUserStartup{&TMainForm::User, kCsidlStartup, {"*.lnk*", "*.exe*"}};

void ScanFolderOf(TMainForm& form, const TStartupFolder& source) {
    TListView& list = form.*source.List;
    for (const char* mask : source.Masks)
        ScanStartupFolder(form, list, GetSpecialFolderPath(form.platform, source.Csidl), mask);
    form.UpdateCountCaption(list);
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

void ScanStartupFolder(TMainForm& form, TListView& list, const std::string& folder, const std::string& mask) {
    if (folder.empty()) return;
    const std::string dir = folder.back() == '\\' ? folder : folder + "\\";
    std::vector<FoundFile> found;
    form.platform.files.FindFiles(dir + mask, kStartupSearchAttributes, found);
    for (const FoundFile& file : found) {
        if (file.attributes & kFileAttributeDirectory) continue;
        TEntryRow& row = list.Add();
        row.Caption = file.name;
        row.SubItems.Add(ResolveShortcut(form.platform, dir + file.name));
        row.SubItems.Add("Windows AutoRun");
        row.SubItems.Add(dir);
        row.ImageIndex = GetSysIconIndex(form.platform, dir + file.name);
        row.StateIndex = 4;
    }
}

void ScanCommonStartup(TMainForm& form) { ScanFolderOf(form, kCommonStartup); }
void ScanUserStartup(TMainForm& form) { ScanFolderOf(form, kUserStartup); }

}  // namespace qm
