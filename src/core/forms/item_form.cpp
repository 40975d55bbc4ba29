#include "core/forms/item_form.h"

#include "core/actions/open_folder.h"
#include "core/model/text.h"

namespace qm {

void TItemForm::Show() {
    const bool wasHidden = !Visible;
    Visible = true;
    if (wasHidden) FormShow();
    toolkit.ShowItemForm(*this);
}

void TItemForm::FormShow() { ActiveControl = Control::Edit1; }

namespace {

// The shell's flags for the Properties sheet: SEE_MASK_INVOKEIDLIST,
// SEE_MASK_NOCLOSEPROCESS (the platform closes any process handle it gets)
// and SEE_MASK_FLAG_NO_UI, so a missing file shows no error box.
constexpr std::uint32_t kPropertiesMask = 0x44C;

}  // namespace

void TItemForm::SpeedButton1Click() {
    // Commas go before the cut, so "c:\my,tools\a.exe" asks for c:\mytools\a.exe.
    ShellExecuteInfo info;
    info.mask = kPropertiesMask;
    info.verb = "properties";
    info.file = ExtractTargetPath(ReplaceAll(Edit1, ",", ""), ".exe");
    info.show = 0;
    platform.shell.ShellExecuteEx(info);
}

void TItemForm::BitBtn1Click() { OpenFolder(platform, ExtractFileDir(ExtractTargetPath(Edit1, ".exe"))); }

}  // namespace qm
