// The Item Properties dialog as a Win32 window: created hidden at start-up
// for the one TItemForm of the run, shown by Win32Toolkit::ShowItemForm.
#pragma once
#include "platform/win32/windows_clean.h"

#include "ui/win32/window_classes.h"

#include <memory>

namespace qm {
class TItemForm;
}

namespace qm::win32 {

// Control identifiers, which tools outside the program use to find the controls.
enum ItemControlId : int {
    kItemOk = IDOK,          // Button1
    kItemCancel = IDCANCEL,  // Button2
    kItemPages = 100,
    kItemImage1,
    kItemLabel1,
    kItemEdit1,
    kItemEdit2,
    kItemEdit3,
    kItemBitBtn1,
    kItemLabel6,
    kItemLabel8,
    kItemLabel10,
    kItemSpeedButton1,
    kItemImage2,
};

class ItemWindowImpl;

// Owns the window for the form's lifetime; while it exists, ShowItemForm
// for that form shows it.
class ItemWindow {
public:
    ItemWindow(TItemForm& form, HINSTANCE instance);
    ~ItemWindow();
    ItemWindow(const ItemWindow&) = delete;
    ItemWindow& operator=(const ItemWindow&) = delete;
    HWND Handle() const;

private:
    std::unique_ptr<ItemWindowImpl> impl_;
};

}  // namespace qm::win32
