// "&Delete Items..." of every list: DeleteItems1Click ... DeleteItems15Click,
// one routine over what each category's row says its entries are.
#include "core/actions/actions.h"
#include "core/forms/main_form.h"

namespace qm {

namespace {

// Opens the key that holds the row's value. A component's key is opened
// below the components key, never by its full path: with a name of 255
// characters that path is longer than Wine's RegOpenKeyExA takes.
// `access` is what the entry's own key is opened for; the components key
// above it is only passed through. The key is opened in the view the row
// was read in.
bool OpenEntryKey(TRegistry& reg, const RegistryLocation& at, std::uint32_t access) {
    reg.SetView(at.view);
    const bool opened = reg.OpenKey("\\" + at.key, false, at.subKey.empty() ? access : kKeyQueryValue) &&
                        (at.subKey.empty() || reg.OpenKey(at.subKey, false, access));
    reg.SetView(RegView::Default);
    if (opened) return true;
    reg.CloseKey();  // the components key itself holds no entry
    return false;
}

bool Confirmed(TMainForm& form, const TEntryRow& row) {
    const DialogRequest question{DialogKind::Confirmation, "Confirm",
                                 "Are you sure want to delete autorun \"" + row.Caption + "\" ?"};
    return form.platform.dialogs.Show(question) == DialogResult::Yes;
}

// The file is named and deleted from the same, selected, row: its folder
// and the name its caption shows. The row goes only when the file is known
// to be gone: deleted now, or not found. Any other failure keeps it, a name
// the ANSI calls cannot spell included (they fail with "invalid name" while
// the file stays on disk).
void DeleteFileEntry(TMainForm& form, int tab, TListView& list) {
    const TEntryRow* row = list.Selected();
    if (!row) return;
    const auto* at = std::get_if<FileLocation>(&row->Where);
    if (!at) return;
    const int index = list.SelectedIndex();
    const std::string path = at->folder + row->Caption;
    if (!Confirmed(form, *row)) return;
    const long result = form.platform.files.DeleteFile(path);
    if (result != kErrorSuccess && result != kErrorFileNotFound && result != kErrorPathNotFound) return;
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
    if (!at || at->refused) return;  // a key that refused reading names no value
    TRegistry& reg = *form.SharedRegistry;
    // A collector that failed may have left its key open; every path here is
    // taken from the root.
    reg.CloseKey();
    reg.SetRootKey(RootKeyOf(at->root));
    const std::string value = removal == Removal::CaptionedValue ? row->Caption : at->value;
    // The key is opened for reading before asking: a key that cannot be
    // opened asks nothing. The right to change it is asked for only once the
    // user said yes.
    if (!OpenEntryKey(reg, *at, kKeyQueryValue)) return;
    reg.CloseKey();
    if (!Confirmed(form, *row)) return;
    // Whether the value could be deleted shows in the refilled list.
    reg.SetRootKey(RootKeyOf(at->root));
    if (OpenEntryKey(reg, *at, kKeySetValue)) reg.DeleteValue(value);
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
