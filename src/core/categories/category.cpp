#include "core/categories/category.h"

#include "core/model/rows.h"
#include "core/model/text.h"

namespace qm {

std::string KeyNameOf(const Source& source, const RegistryLocation& location) {
    if (const auto* list = std::get_if<ValueList>(&source); list && list->keyName) return list->keyName;
    std::string name = std::string(RootKeyName(location.root)) + "\\" + RealKeyPath(location);
    if (!location.subKey.empty()) name += "\\" + location.subKey;
    return name;
}

std::string CellText(const Category& category, const Entry& entry, size_t column) {
    return column < category.columns.size() ? category.columns[column].cell(category, entry) : std::string();
}

std::string TargetFileOf(ISystemInfo& system, const Category& category, const std::string& command) {
    if (category.commandIsFile) return command;
    return ExtractTargetPath(system, category.properties.commasBeforeCut ? ReplaceAll(command, ",", "") : command,
                             ".exe");
}

std::vector<RegView> ViewsOf(Platform& platform, RegRoot root, bool redirected) {
    if (root != RegRoot::LocalMachine || !platform.system.Is64BitWindows()) return {RegView::Default};
    if (redirected) return {RegView::Registry64, RegView::Registry32};
    return {RegView::Registry64};
}

}  // namespace qm
