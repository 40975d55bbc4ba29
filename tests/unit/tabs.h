// The main window's tabs by position, as the host tests name them.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

#include "unit/tabs.h"
#include "core/categories/table.h"
#include "core/model/rows.h"

namespace qm::testing {

enum Tab {
    HKCURun,
    HKLMRun,
    CommonStartup,
    UserStartup,
    HKCURunOnce,
    HKLMRunOnce,
    ShellObject,
    RunOnceEx,
    Services,
    ActiveX,
    WinLogon,
    LoadRun,
    HKLMExplorer,
    HKCUExplorer,
    Desktop,
    ScheduledTasks,
    SystemHooks,
    ServicesAndDrivers
};

}  // namespace qm::testing

namespace qm {

// The category of the list named `list` ("hku", "logs", ...).
inline const Category& CategoryNamed(const std::string& list) {
    for (const Category& category : kCategories)
        if (list == category.list) return category;
    throw std::logic_error("no list " + list);
}

// The text of cell `column` of the entry as the list `list` shows it.
inline std::string ShownCell(const std::string& list, const Entry& entry, size_t column) {
    return CellText(CategoryNamed(list), entry, column);
}

// Every cell of the entry's row after its name, as the list shows them.
inline std::vector<std::string> CellsAfterName(const std::string& list, const Entry& entry) {
    const Category& category = CategoryNamed(list);
    std::vector<std::string> cells;
    for (size_t column = 1; column < category.columns.size(); ++column)
        cells.push_back(CellText(category, entry, column));
    return cells;
}

}  // namespace qm
