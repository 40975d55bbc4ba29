// The About dialog.
#pragma once

namespace qm {

class TMainForm;

// Creates a new About dialog, shows it modally over the main window and
// destroys it when it has closed.
void ShowAboutDialog(TMainForm& owner);

}  // namespace qm
