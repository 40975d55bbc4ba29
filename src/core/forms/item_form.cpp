#include "core/forms/item_form.h"

#include "core/actions/open_folder.h"
#include "core/model/text.h"

namespace qm {

void TIconImage::SetIcon(IconHandle icon) {
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

void TIconImage::Shown() {
    if (!changed_) return;
    shown_.Reset(given_.Detach());  // the icon the control showed before goes now
    changed_ = false;
}

void TItemForm::Show() {
    const bool wasHidden = !Visible;
    Visible = true;
    if (wasHidden) FormShow();
    toolkit.ShowItemForm(*this);
    Image1.Shown();
}

void TItemForm::FormShow() { ActiveControl = Control::Edit1; }

namespace {

// The file Edit1 names: itself, or the program of its command line, which
// ends at ".exe" (commas go before the cut, so "c:\my,tools\a.exe" asks for
// c:\mytools\a.exe).
std::string FileOfEdit1(const TItemForm& form, bool commasOut) {
    if (form.Edit1IsFile) return TrimControl(ReplaceAll(form.Edit1, "\"", ""));
    return ExtractTargetPath(form.platform.system, commasOut ? ReplaceAll(form.Edit1, ",", "") : form.Edit1, ".exe");
}

// The shell's flags for the Properties sheet: SEE_MASK_INVOKEIDLIST,
// SEE_MASK_NOCLOSEPROCESS (the platform closes any process handle it gets)
// and SEE_MASK_FLAG_NO_UI, so a missing file shows no error box.
constexpr std::uint32_t kPropertiesMask = 0x44C;

}  // namespace

void TItemForm::SpeedButton1Click() {
    ShellExecuteInfo info;
    info.owner = ShellOwner::MainWindow;  // the application's window, not the dialog
    info.mask = kPropertiesMask;
    info.verb = "properties";
    info.file = FileOfEdit1(*this, true);
    info.show = 0;
    // The shell would open a network or device path to show its sheet.
    if (IsNetworkOrDevicePath(info.file)) return;
    platform.shell.ShellExecuteEx(info);
}

void TItemForm::BitBtn1Click() { OpenFolder(platform, ExtractFileDir(FileOfEdit1(*this, false))); }

}  // namespace qm
