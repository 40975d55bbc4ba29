// A double-click on a row, or its "&Properties" item: the Item Properties
// dialog for the selected row.
#pragma once

namespace qm {

class TMainForm;

void ListPropertiesClick(TMainForm& form, int tab);

}  // namespace qm
