// What a row's popup menu does: delete, disable, jump to. Each takes the tab
// position of the list it was chosen on and does what that tab's row of the
// category table says.
#pragma once

namespace qm {

class TMainForm;

// DeleteItems1Click ... DeleteItems15Click: a registry value, a startup file or a service.
void DeleteItemsClick(TMainForm& form, int tab);
// The services list: delete (with Timer1 reporting it) and disable.
void DeleteItems9Click(TMainForm& form, int tab);
void DisableItems1Click(TMainForm& form, int tab);
void Timer1Timer(TMainForm& form);
// JumpTo1Click ... JumpTo15Click: the Registry Editor at the entry's key, or its folder.
void JumpToClick(TMainForm& form, int tab);

}  // namespace qm
