// "&Delete Items..." of every list but the services list: DeleteItems1Click
// ... DeleteItems15Click, one routine over the table of what each list deletes.
#include "actions/deletion.h"

#include <array>

#include "actions/actions.h"
#include "model.h"
#include "startups.h"

namespace qm {

namespace {

enum class DeletionKind {
    ByRow,     // root key from SubItems[1], key from SubItems[3], the value named by the caption
    FixedKey,  // a fixed root and key; the value named by the caption unless the table names one
    File,      // the file SubItems[2] + Caption
};

struct TDeletion {
    const char* Handler;  // the menu item's event, for readers of the table
    TListView TMainForm::*List;
    DeletionKind Kind;
    Handle RootKey;          // FixedKey only
    const char* Key;         // FixedKey only
    bool KeyEndsWithSubKey;  // the key is followed by the row's SubItems[2]
    const char* ValueName;   // null: the row's caption names the value
};

constexpr const char* kWinlogonKey = "\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kWindowsKey = "\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr const char* kExplorerRunKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run";
constexpr const char* kComponentsKey = "SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\";

// The list is refilled by its category's collectors, in their order, and its
// tab gets the category's count caption; so neither is repeated here.
constexpr std::array<TDeletion, 14> kDeletions{{
    {"DeleteItems1Click", &TMainForm::hku, DeletionKind::ByRow, 0, nullptr, false, nullptr},
    {"DeleteItems2Click", &TMainForm::LV, DeletionKind::ByRow, 0, nullptr, false, nullptr},
    {"DeleteItems3Click", &TMainForm::comon, DeletionKind::File, 0, nullptr, false, nullptr},
    {"DeleteItems4Click", &TMainForm::User, DeletionKind::File, 0, nullptr, false, nullptr},
    {"DeleteItems5Click", &TMainForm::runonce, DeletionKind::ByRow, 0, nullptr, false, nullptr},
    {"DeleteItems6Click", &TMainForm::hklmrunonce, DeletionKind::ByRow, 0, nullptr, false, nullptr},
    {"DeleteItems7Click", &TMainForm::shellobject, DeletionKind::ByRow, 0, nullptr, false, nullptr},
    {"DeleteItems8Click", &TMainForm::runoncex, DeletionKind::ByRow, 0, nullptr, false, nullptr},
    {"DeleteItems10Click", &TMainForm::actx, DeletionKind::FixedKey, kHkeyLocalMachine, kComponentsKey, true,
     "StubPath"},
    {"DeleteItems11Click", &TMainForm::logs, DeletionKind::FixedKey, kHkeyLocalMachine, kWinlogonKey, false, nullptr},
    {"DeleteItems12Click", &TMainForm::lorun, DeletionKind::FixedKey, kHkeyCurrentUser, kWindowsKey, false, nullptr},
    {"DeleteItems13Click", &TMainForm::explomac, DeletionKind::FixedKey, kHkeyLocalMachine, kExplorerRunKey, false,
     nullptr},
    {"DeleteItems14Click", &TMainForm::explou, DeletionKind::FixedKey, kHkeyCurrentUser, kExplorerRunKey, false,
     nullptr},
    {"DeleteItems15Click", &TMainForm::desktop, DeletionKind::FixedKey, kHkeyCurrentUser, "\\Control Panel\\Desktop",
     false, "SCRNSAVE.EXE"},
}};

const TDeletion* DeletionOf(TMainForm& form, int tab) {
    const TListView& list = form.ListOf(tab);
    for (const TDeletion& d : kDeletions)
        if (&(form.*d.List) == &list) return &d;
    return nullptr;
}

std::string FromRoot(const std::string& key) { return !key.empty() && key[0] == '\\' ? key : "\\" + key; }

// Opens the key that holds the row's value. A component's key is opened
// below the components key, never by its full path: with a name of 255
// characters that path is longer than Wine's RegOpenKeyExA takes.
bool OpenEntryKey(TRegistry& reg, const TDeletion& d, const TEntryRow& row) {
    if (d.Kind == DeletionKind::ByRow) return reg.OpenKey(FromRoot(row.SubItems[3]), false);
    if (!reg.OpenKey(FromRoot(d.Key), false)) return false;
    if (!d.KeyEndsWithSubKey || reg.OpenKey(row.SubItems[2], false)) return true;
    reg.CloseKey();  // the components key itself holds no entry
    return false;
}

bool Confirmed(TMainForm& form, const TEntryRow& row) {
    const DialogRequest question{DialogKind::Confirmation, "Confirm",
                                 "Are you sure want to delete autorun \"" + row.Caption + "\" ?"};
    return form.platform.dialogs.Show(question) == DialogResult::Yes;
}

// The file is named and deleted from the same, selected, row; the row goes
// only when the file is known to be gone: deleted now, or not found. Any
// other failure keeps it, a name the ANSI calls cannot spell included (they
// fail with "invalid name" while the file stays on disk).
void DeleteFileEntry(TMainForm& form, int tab, TListView& list) {
    const TEntryRow* row = list.Selected();
    if (!row) return;
    const int index = list.SelectedIndex();
    const std::string path = row->SubItems[2] + row->Caption;
    if (!Confirmed(form, *row)) return;
    const long result = form.platform.files.DeleteFile(path);
    if (result != kErrorSuccess && result != kErrorFileNotFound && result != kErrorPathNotFound) return;
    list.Delete(index);
    form.UpdateCountCaption(tab);
}

void DeleteRegistryEntry(TMainForm& form, int tab, TListView& list, const TDeletion& d) {
    const TEntryRow* row = list.Selected();
    if (!row) {
        form.platform.dialogs.Show({DialogKind::Error, "Error", "No item selected for deletion!!!"});
        return;
    }
    TRegistry& reg = *form.SharedRegistry;
    // A collector that failed may have left its key open; every path here is
    // taken from the root.
    reg.CloseKey();
    const bool byRow = d.Kind == DeletionKind::ByRow;
    reg.SetRootKey(byRow ? RootKeyFromName(row->SubItems[1]) : d.RootKey);
    const std::string value = d.ValueName ? std::string(d.ValueName) : row->Caption;
    // The key is opened before asking: a key that cannot be opened asks nothing.
    if (!OpenEntryKey(reg, d, *row)) return;
    if (!Confirmed(form, *row)) {
        reg.CloseKey();
        return;
    }
    // Whether the value could be deleted shows in the refilled list.
    reg.DeleteValue(value);
    reg.CloseKey();
    list.Clear();
    for (Collector collect : kCategories[static_cast<size_t>(tab)].Collectors)
        if (collect) collect(form);
    form.UpdateCountCaption(tab);
}

}  // namespace

std::uint32_t RootKeyFromName(const std::string& name) {
    for (size_t i = 0; i < RootKeyNames.size(); ++i)
        if (LowerAscii(name) == LowerAscii(RootKeyNames[i])) return 0x80000000u + static_cast<std::uint32_t>(i);
    return 0;
}

void DeleteItemsClick(TMainForm& form, int tab) {
    const TDeletion* d = DeletionOf(form, tab);
    if (!d) return;
    TListView& list = form.ListOf(tab);
    if (d->Kind == DeletionKind::File) DeleteFileEntry(form, tab, list);
    else DeleteRegistryEntry(form, tab, list, *d);
}

}  // namespace qm
