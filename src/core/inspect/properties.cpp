// A double-click on a row, or its "&Properties" item: the Item Properties
// dialog filled from the selected row as its category shows it.
#include "core/inspect/properties.h"

#include "core/forms/item_form.h"
#include "core/forms/main_form.h"
#include "core/inspect/file_version.h"
#include "core/model/icons.h"
#include "core/model/text.h"

namespace qm {

std::string CommandOf(const Category&, const Entry& row) { return row.command; }

std::string LocationTextOf(const Category& category, const Entry& row) {
    switch (category.properties.location) {
        case ShownLocation::KeyName:
            if (const RegistryLocation* at = RegistryOf(row.where)) return KeyNameOf(category.source, *at);
            return {};
        case ShownLocation::Folder:
            if (const auto* at = std::get_if<FileLocation>(&row.where)) return at->folder;
            if (const auto* task = std::get_if<TaskLocation>(&row.where)) return task->folder;
            return {};
        case ShownLocation::Description:
            return row.service.displayName;
    }
    return {};
}

void ListPropertiesClick(TMainForm& main, int tab) {
    if (tab < 0 || tab >= main.TabCount()) return;
    const Category& category = main.CategoryOf(tab);
    const Entry* selected = main.ListOf(tab).Selected();
    if (!selected || !main.ItemForm) return;
    // Every field comes from the selected row (the focused row may be
    // another), and the dialog keeps copies of what it shows.
    const Entry row = *selected;
    TItemForm& form = *main.ItemForm;
    Platform& platform = main.platform;
    const std::string command = CommandOf(category, row);
    const std::string target = TargetFileOf(platform.system, category, command);
    form.Image1.SetIcon(GetFileIcon(platform, target, false));
    form.Label1 = row.name;
    form.Edit1 = command;
    form.Edit1IsFile = category.commandIsFile;
    form.Edit3 = LocationTextOf(category, row);
    form.Edit2 = row.name;
    TFileVersionInfo info;
    // A file the row names itself is inspected whatever its kind: a driver is no program.
    ReadFileVersionInfo(platform, target, info, !category.commandIsFile);
    form.Label6 = info.CompanyName;
    form.Label8 = info.FileDescription;
    form.Label10 = info.FileVersion;
    form.Show();
}

}  // namespace qm
