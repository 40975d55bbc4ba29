// A double-click on a row, or its "&Properties" item: the Item Properties
// dialog for the selected row.
#pragma once
#include <string>

#include "core/categories/category.h"
#include "core/model/rows.h"

namespace qm {

class TMainForm;

// The command of a row as its category shows it; empty when a collector
// failed before the row had it.
std::string CommandOf(const Category& category, const Entry& row);
// Where the row's entry lives as "Parameters:" shows it: the full key name,
// the folder, or for a service its description.
std::string LocationTextOf(const Category& category, const Entry& row);

void ListPropertiesClick(TMainForm& form, int tab);

}  // namespace qm
