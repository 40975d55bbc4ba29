// The one thing the forms ask of the windows that show them: to show their
// dialogs. The forms hold what is shown; a toolkit (the Win32 windows,
// or the scripted one of the host tests) draws it and reports the user's
// answers back. Declared here, beside the forms that call it, so that the
// logic never includes the user interface.
#pragma once

namespace qm {

class AboutDialog;
class ChangesForm;
class ItemForm;

class IToolkit {
public:
    virtual ~IToolkit() = default;
    // Shows the About dialog modally over the main window; returns when it has closed.
    virtual void ShowAboutModal(AboutDialog& dialog) = 0;
    // Shows the modeless Item Properties dialog (or brings it forward) with
    // what the form holds now; its image control has the form's icon when
    // this returns.
    virtual void ShowItemForm(ItemForm& form) = 0;
    // Shows the Changes window modally over the main window with the rows
    // the form holds; returns when it has closed.
    virtual void ShowChangesModal(ChangesForm& form) = 0;
};

}  // namespace qm
