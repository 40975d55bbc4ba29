#include "forms/item_form.h"

#include "core/actions/open_folder.h"
#include "core/inspect/file_version.h"
#include "core/inspect/properties.h"
#include "core/model/icons.h"
#include "core/model/text.h"

namespace qm {

void IconImage::SetIcon(IconHandle icon) {
    // The control's own icon again: nothing new to hand over.
    if (icon == shown_.Get()) {
        given_.Reset();
        changed_ = false;
        return;
    }
    // An icon given before and never shown can go at once.
    given_.Reset(icon);
    changed_ = true;
}

void IconImage::Shown() {
    if (!changed_) return;
    shown_.Reset(given_.Detach());  // the icon the control showed before goes now
    changed_ = false;
}

void ItemForm::Show() {
    const bool wasHidden = !Visible;
    Visible = true;
    if (wasHidden) FocusFirstField();
    toolkit.ShowItemForm(*this);
    icon.Shown();
}

void ItemForm::FocusFirstField() { ActiveControl = Control::Command; }

void ItemForm::ShowEntry(const Category& category, const Entry& selected) {
    // The dialog keeps copies of what it shows.
    const Entry row = selected;
    const std::string shownCommand = CommandOf(category, row);
    const std::string target = TargetFileOf(platform.system, category, shownCommand);
    icon.SetIcon(GetFileIcon(platform, target, false));
    title = row.name;
    command = shownCommand;
    commandIsFile = category.commandIsFile;
    location = LocationTextOf(category, row);
    name = row.name;
    state = StartupStateText(platform.system, row);
    FileVersionInfo info;
    // A file the row names itself is inspected whatever its kind: a driver is no program.
    ReadFileVersionInfo(platform, target, info, !category.commandIsFile);
    company = info.CompanyName;
    description = info.FileDescription;
    version = info.FileVersion;
    Show();
}

namespace {

// The file `command` names: itself, or the program of its command line, which
// ends at ".exe" (commas go before the cut, so "c:\my,tools\a.exe" asks for
// c:\mytools\a.exe).
std::string CommandFile(const ItemForm& form, bool commasOut) {
    if (form.commandIsFile) return TrimControl(ReplaceAll(form.command, "\"", ""));
    return ExtractTargetPath(form.platform.system, commasOut ? ReplaceAll(form.command, ",", "") : form.command,
                             ".exe");
}

// The shell's flags for the Properties sheet: SEE_MASK_INVOKEIDLIST,
// SEE_MASK_NOCLOSEPROCESS (the platform closes any process handle it gets)
// and SEE_MASK_FLAG_NO_UI, so a missing file shows no error box.
constexpr std::uint32_t kPropertiesMask = 0x44C;

}  // namespace

void ItemForm::ShowShellProperties() {
    ShellExecuteInfo info;
    info.owner = ShellOwner::MainWindow;  // the application's window, not the dialog
    info.mask = kPropertiesMask;
    info.verb = "properties";
    info.file = CommandFile(*this, true);
    info.show = 0;
    // The shell would open a network or device path to show its sheet.
    if (IsNetworkOrDevicePath(info.file)) return;
    platform.shell.ShellExecuteEx(info);
}

void ItemForm::FindTarget() { OpenFolder(platform, ExtractFileDir(CommandFile(*this, false))); }

}  // namespace qm
