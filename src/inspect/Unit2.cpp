#include "inspect/Unit2.h"

#include <array>

#include "inspect/file_version.h"
#include "inspect/properties.h"
#include "model.h"
#include "startups.h"

namespace qm {

void TIconImage::SetIcon(Handle icon) {
    // An icon the control never got can go at once; the one it shows stays
    // until the control has the next.
    if (icon_ && icon_ != icon && icon_ != shown_) shell_.DestroyIcon(icon_);
    icon_ = icon;
}

void TIconImage::Shown() {
    if (shown_ && shown_ != icon_) shell_.DestroyIcon(shown_);
    shown_ = icon_;
}

TIconImage::~TIconImage() {
    if (shown_ && shown_ != icon_) shell_.DestroyIcon(shown_);
    if (icon_) shell_.DestroyIcon(icon_);
}

void TItemForm::Show() {
    const bool wasHidden = !Visible;
    Visible = true;
    if (wasHidden) FormShow();
    platform.toolkit.ShowItemForm(*this);
    Image1.Shown();
}

void TItemForm::FormShow() { ActiveControl = Control::Edit1; }

namespace {

// The shell's flags for the Properties sheet: SEE_MASK_INVOKEIDLIST,
// SEE_MASK_NOCLOSEPROCESS (the platform closes any process handle it gets)
// and SEE_MASK_FLAG_NO_UI, so a missing file shows no error box.
constexpr std::uint32_t kPropertiesMask = 0x44C;
constexpr int kSwShowNormal = 1;

}  // namespace

void TItemForm::SpeedButton1Click() {
    // Commas go before the cut, so "c:\my,tools\a.exe" asks for c:\mytools\a.exe.
    ShellExecuteInfo info;
    info.owner = ShellOwner::MainWindow;  // the application's window, not the dialog
    info.mask = kPropertiesMask;
    info.verb = "properties";
    info.file = ExtractTargetPath(ReplaceAll(Edit1, ",", ""), ".exe");
    info.show = 0;
    platform.shell.ShellExecuteEx(info);
}

void TItemForm::BitBtn1Click() {
    const std::string folder = ExtractFileDir(ExtractTargetPath(Edit1, ".exe"));
    // The "folder" of a command such as c:\evil.exe\x.exe is a program; the
    // shell's "open" would start it. Only an existing folder is opened.
    if (folder.empty()) return;
    const std::uint32_t attributes = platform.files.GetFileAttributes(folder);
    if (attributes == kInvalidFileAttributes || !(attributes & kFileAttributeDirectory)) return;
    platform.shell.ShellExecute(ShellOwner::ItemProperties, "open", folder, "", "", kSwShowNormal);
}

namespace {

// One properties handler: its list, the sub-item holding the command,
// whether commas leave the command before the cut, and what Edit3 shows:
// `Edit3Prefix` followed by sub-item `Edit3SubItem` (none when -1).
struct PropertiesHandler {
    const char* Name;
    TListView TMainForm::*List;
    const char* MenuItem;
    int CommandSubItem;
    bool RemoveCommas;
    const char* Edit3Prefix;
    int Edit3SubItem;
};

constexpr std::array<PropertiesHandler, kCategoryCount> kPropertiesHandlers{{
    {"hkuDblClick", &TMainForm::hku, "FileProperties1", 0, false, "", 2},
    {"LVDblClick", &TMainForm::LV, "Properties1", 0, false, "", 2},
    {"comonDblClick", &TMainForm::comon, "Properties2", 0, false, "", 2},
    {"UserDblClick", &TMainForm::User, "Properties3", 0, false, "", 2},
    {"runonceDblClick", &TMainForm::runonce, "Properties4", 0, false, "", 2},
    {"hklmrunonceDblClick", &TMainForm::hklmrunonce, "Properties5", 0, false, "", 2},
    {"shellobjectDblClick", &TMainForm::shellobject, "Properties6", 0, false, "", 2},
    {"runoncexDblClick", &TMainForm::runoncex, "Properties7", 0, false, "", 2},
    {"InstCompoDblClick", &TMainForm::InstCompo, "Properties8", 1, false, "", 0},
    {"actxDblClick", &TMainForm::actx, "Properties9", 1, false,
     "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\", 2},
    {"logsDblClick", &TMainForm::logs, "Properties10", 0, true,
     "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", -1},
    {"lorunDblClick", &TMainForm::lorun, "Properties11", 0, true,
     "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\", -1},
    {"explomacDblClick", &TMainForm::explomac, "Properties13", 0, false,
     "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run", -1},
    {"explouDblClick", &TMainForm::explou, "Properties12", 0, false,
     "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run", -1},
    {"desktopDblClick", &TMainForm::desktop, "Properties14", 0, false, "HKEY_CURRENT_USER\\Control Panel\\Desktop",
     -1},
}};

// A row whose collector failed half-way lacks its later sub-items; the
// dialog shows such a field empty rather than failing.
std::string SubItemOrEmpty(const TEntryRow& row, int index) {
    return index >= 0 && index < row.SubItems.Count() ? row.SubItems[index] : std::string();
}

void ShowProperties(TMainForm& main, const PropertiesHandler& handler) {
    const TEntryRow* selected = (main.*handler.List).Selected();
    if (!selected || !main.ItemForm) return;
    // Every field comes from the selected row (the focused row may be
    // another), and the dialog keeps copies of what it shows.
    const TEntryRow row = *selected;
    TItemForm& form = *main.ItemForm;
    Platform& platform = main.platform;
    const std::string command = SubItemOrEmpty(row, handler.CommandSubItem);
    const std::string target =
        ExtractTargetPath(handler.RemoveCommas ? ReplaceAll(command, ",", "") : command, ".exe");
    form.Image1.SetIcon(GetFileIcon(platform, target, false));
    form.Label1 = row.Caption;
    form.Edit1 = command;
    form.Edit3 = handler.Edit3Prefix + SubItemOrEmpty(row, handler.Edit3SubItem);
    form.Edit2 = row.Caption;
    TFileVersionInfo info;
    ReadFileVersionInfo(platform, target, info);
    form.Label6 = info.CompanyName;
    form.Label8 = info.FileDescription;
    form.Label10 = info.FileVersion;
    form.Show();
}

}  // namespace

void ListPropertiesClick(TMainForm& form, int tab) {
    if (tab < 0 || tab >= kCategoryCount) return;
    TListView TMainForm::*list = kCategories[static_cast<size_t>(tab)].List;
    for (const PropertiesHandler& handler : kPropertiesHandlers)
        if (handler.List == list) return ShowProperties(form, handler);
}

}  // namespace qm
