// The Item Properties dialog as a Win32 window: created hidden at start-up
// for the one ItemForm of the run, shown by Win32Toolkit::ShowItemForm.
#pragma once
#include "platform/win32/windows_clean.h"

#include "ui/win32/window_classes.h"

#include <memory>

namespace qm {
class ItemForm;
}

namespace qm::win32 {

// Control identifiers, which tools outside the program use to find the
// controls. As first designed they were Button1, Button2, PageControl1,
// Image1, Label1, Edit1, Edit2, Edit3, BitBtn1, Label6, Label8, Label10,
// SpeedButton1 and Image2, in this order.
enum ItemControlId : int {
    kItemOk = IDOK,
    kItemCancel = IDCANCEL,
    kItemPages = 100,
    kItemIcon,
    kItemTitle,
    kItemCommand,
    kItemName,
    kItemLocation,
    kItemFindTarget,
    kItemCompany,
    kItemDescription,
    kItemVersion,
    kItemPropertiesLink,
    kItemLinkPicture,
    kItemState,  // whether Windows starts the entry, under its name
};

class ItemWindowImpl;

// Owns the window for the form's lifetime; while it exists, ShowItemForm
// for that form shows it.
class ItemWindow {
public:
    ItemWindow(ItemForm& form, HINSTANCE instance);
    ~ItemWindow();
    ItemWindow(const ItemWindow&) = delete;
    ItemWindow& operator=(const ItemWindow&) = delete;
    HWND Handle() const;

private:
    std::unique_ptr<ItemWindowImpl> impl_;
};

}  // namespace qm::win32
