// The forms' dialogs as Win32 windows (about_window.cpp, item_window.cpp,
// changes_window.cpp).
#pragma once
#include "forms/toolkit.h"

namespace qm::win32 {

class Win32Toolkit : public IToolkit {
public:
    void ShowAboutModal(AboutDialog& dialog) override;
    void ShowItemForm(ItemForm& form) override;
    void ShowChangesModal(ChangesForm& form) override;
};

}  // namespace qm::win32
