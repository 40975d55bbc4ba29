// "&Delete Items..." of every list: DeleteItems1Click ... DeleteItems15Click,
// one routine over what each category's row says its entries are.
#include "core/actions/actions.h"
#include "core/forms/main_form.h"

namespace qm {

namespace {

bool Confirmed(TMainForm& form, const TEntryRow& row) {
    const DialogRequest question{DialogKind::Confirmation, "Confirm",
                                 "Are you sure want to delete autorun \"" + row.Caption + "\" ?"};
    return form.platform.dialogs.Show(question) == DialogResult::Yes;
}

// The file is named and deleted from the same, selected, row: its folder
// and the name its caption shows. The row goes only when the file is gone,
// so a file that stays keeps its row.
void DeleteFileEntry(TMainForm& form, int tab, TListView& list) {
    const TEntryRow* row = list.Selected();
    if (!row) return;
    const auto* at = std::get_if<FileLocation>(&row->Where);
    if (!at) return;
    const int index = list.SelectedIndex();
    const std::string path = at->folder + row->Caption;
    if (!Confirmed(form, *row)) return;
    IFiles& files = form.platform.files;
    if (!files.DeleteFile(path) && files.GetFileAttributes(path) != kInvalidFileAttributes) return;
    list.Delete(index);
    form.UpdateCountCaption(tab);
}

// The value at the selected row's key: the one its caption names, which the
// user may have edited in place, or exactly the one it was read from.
void DeleteRegistryEntry(TMainForm& form, int tab, TListView& list, Removal removal) {
    const TEntryRow* row = list.Selected();
    if (!row) {
        form.platform.dialogs.Show({DialogKind::Error, "Error", "No item selected for deletion!!!"});
        return;
    }
    const auto* at = std::get_if<RegistryLocation>(&row->Where);
    if (!at) return;
    TRegistry& reg = *form.SharedRegistry;
    // A collector that failed may have left its key open; every path here is
    // taken from the root.
    reg.CloseKey();
    reg.SetRootKey(RootKeyOf(at->root));
    const std::string value = removal == Removal::CaptionedValue ? row->Caption : at->value;
    // The key is opened before asking: a key that cannot be opened asks nothing.
    if (!reg.OpenKey(KeyPathFromRoot(*at), false)) return;
    if (!Confirmed(form, *row)) {
        reg.CloseKey();
        return;
    }
    // Whether the value could be deleted shows in the refilled list.
    reg.DeleteValue(value);
    reg.CloseKey();
    form.Refill(tab);
}

}  // namespace

void DeleteItemsClick(TMainForm& form, int tab) {
    TListView& list = form.ListOf(tab);
    switch (const Removal removal = form.CategoryOf(tab).removal) {
        case Removal::CaptionedValue:
        case Removal::LocatedValue:
            DeleteRegistryEntry(form, tab, list, removal);
            break;
        case Removal::File:
            DeleteFileEntry(form, tab, list);
            break;
        case Removal::Service:
            DeleteItems9Click(form, tab);
            break;
    }
}

}  // namespace qm
