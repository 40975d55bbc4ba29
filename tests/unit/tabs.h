// The main window's tabs as the host tests address them: by category id.
#pragma once
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/categories/table.h"
#include "core/model/rows.h"

namespace qm {

// The tab position of the category `id` ("hkcu-run", "winlogon", ...).
constexpr int TabOf(std::string_view id) {
    for (int tab = 0; tab < kCategoryCount; ++tab)
        if (id == kCategories[tab].id) return tab;
    throw std::logic_error("no category has this id");
}

// The category `id`.
inline const Category& CategoryById(const std::string& id) { return kCategories[TabOf(id)]; }

// The text of cell `column` of the entry as the list of category `id` shows it.
inline std::string ShownCell(const std::string& id, const Entry& entry, size_t column) {
    return CellText(CategoryById(id), entry, column);
}

// Every cell of the entry's row after its name, as the list of category `id` shows them.
inline std::vector<std::string> CellsAfterName(const std::string& id, const Entry& entry) {
    const Category& category = CategoryById(id);
    std::vector<std::string> cells;
    for (size_t column = 1; column < category.columns.size(); ++column)
        cells.push_back(CellText(category, entry, column));
    return cells;
}

}  // namespace qm
