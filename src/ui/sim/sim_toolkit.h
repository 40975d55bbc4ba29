// The simulated toolkit: the program's own dialogs are "shown" by calling
// back into the test, which plays the user while the dialog is open.
#pragma once
#include <functional>

#include "forms/toolkit.h"

namespace qm::sim {

class SimToolkit : public IToolkit {
public:
    void ShowAboutModal(AboutDialog& dialog) override {
        ++aboutShown;
        if (onAbout) onAbout(dialog);
    }
    void ShowItemForm(ItemForm& form) override {
        ++itemFormShown;
        if (onItemForm) onItemForm(form);
    }
    // The scripted user acts in the window (selects rows, presses its
    // buttons) until it closes it or the script ends.
    void ShowChangesModal(ChangesForm& form) override {
        ++changesShown;
        if (onChanges) onChanges(form);
    }
    int aboutShown = 0;
    int itemFormShown = 0;
    int changesShown = 0;
    std::function<void(AboutDialog&)> onAbout;
    std::function<void(ItemForm&)> onItemForm;
    std::function<void(ChangesForm&)> onChanges;
};

}  // namespace qm::sim
