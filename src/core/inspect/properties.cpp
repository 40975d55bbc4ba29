// A double-click on a row, or its "&Properties" item: the Item Properties
// dialog filled from the selected row as its category shows it.
#include "core/inspect/properties.h"

#include "core/forms/item_form.h"
#include "core/forms/main_form.h"
#include "core/inspect/file_version.h"
#include "core/model/icons.h"
#include "core/model/text.h"

namespace qm {

namespace {

// A row whose collector failed half-way lacks its later sub-items; the
// dialog shows such a field empty rather than failing.
std::string SubItemOrEmpty(const TEntryRow& row, int index) {
    return index >= 0 && index < row.SubItems.Count() ? row.SubItems[index] : std::string();
}

}  // namespace

std::string CommandOf(const Category& category, const TEntryRow& row) {
    return SubItemOrEmpty(row, category.commandColumn);
}

std::string LocationTextOf(const Category& category, const TEntryRow& row) {
    switch (category.properties.location) {
        case ShownLocation::KeyName:
            if (const RegistryLocation* at = RegistryOf(row.Where)) return KeyNameOf(category.source, *at);
            return {};
        case ShownLocation::Folder:
            if (const auto* at = std::get_if<FileLocation>(&row.Where)) return at->folder;
            if (const auto* task = std::get_if<TaskLocation>(&row.Where)) return task->folder;
            return {};
        case ShownLocation::Description:
            return SubItemOrEmpty(row, 0);
    }
    return {};
}

void ListPropertiesClick(TMainForm& main, int tab) {
    if (tab < 0 || tab >= main.TabCount()) return;
    const Category& category = main.CategoryOf(tab);
    const TEntryRow* selected = main.ListOf(tab).Selected();
    if (!selected || !main.ItemForm) return;
    // Every field comes from the selected row (the focused row may be
    // another), and the dialog keeps copies of what it shows.
    const TEntryRow row = *selected;
    TItemForm& form = *main.ItemForm;
    Platform& platform = main.platform;
    const std::string command = CommandOf(category, row);
    const std::string target = TargetFileOf(platform.system, category, command);
    form.Image1.SetIcon(GetFileIcon(platform, target, false));
    form.Label1 = row.Caption;
    form.Edit1 = command;
    form.Edit1IsFile = category.commandIsFile;
    form.Edit3 = LocationTextOf(category, row);
    form.Edit2 = row.Caption;
    TFileVersionInfo info;
    // A file the row names itself is inspected whatever its kind: a driver is no program.
    ReadFileVersionInfo(platform, target, info, !category.commandIsFile);
    form.Label6 = info.CompanyName;
    form.Label8 = info.FileDescription;
    form.Label10 = info.FileVersion;
    form.Show();
}

}  // namespace qm
