// The popup menus of the main window's lists, one per category, with the
// items its row of the category table offers.
#include "ui/win32/main_window_class.h"

#include "platform/win32/system_library.h"
#include "platform/win32/win32_text.h"

namespace qm::win32 {

void MainWindow::CreateMenus() {
    for (int i = 0; i < form_.TabCount(); ++i) {
        const Category& c = form_.CategoryOf(i);
        HMENU menu = CreatePopupMenu();
        struct Item {
            const char* caption;
            ListCommand command;
            int image;
        };
        std::array<Item, 5> items{{{"&Delete Items...", ListCommand::Delete, 13},
                                   {"&Disable Items...", ListCommand::Disable, 18},
                                   {"Disa&ble", ListCommand::ToggleStartup, 18},
                                   {"&Jump To...", ListCommand::JumpTo, 9},
                                   {c.properties.menuCaption, ListCommand::Properties, 14}}};
        for (const Item& item : items) {
            if (item.command == ListCommand::Disable && !c.canDisable) continue;
            if (item.command == ListCommand::ToggleStartup && !HasStartupSwitch(c)) continue;
            if (item.command == ListCommand::JumpTo) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            MENUITEMINFOW mi{};
            mi.cbSize = sizeof(mi);
            mi.fMask = MIIM_ID | MIIM_STRING | MIIM_BITMAP | MIIM_DATA;
            mi.wID = kMenuIdBase + static_cast<UINT>(i) * 8 + static_cast<UINT>(item.command);
            std::wstring caption = ShownWide(item.caption);
            mi.dwTypeData = caption.data();
            mi.hbmpItem = HBMMENU_CALLBACK;
            mi.dwItemData = static_cast<ULONG_PTR>(item.image);
            InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &mi);
        }
        menus_[static_cast<size_t>(i)] = menu;
    }
}

void MainWindow::UpdateStartupItem(int tab) {
    if (!HasStartupSwitch(form_.CategoryOf(tab))) return;
    const std::optional<std::string> caption = form_.StartupToggleCaption(tab);
    std::wstring text = ShownWide(caption.value_or("Disa&ble"));
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIIM_STRING | MIIM_STATE;
    mi.dwTypeData = text.data();
    mi.fState = caption ? MFS_ENABLED : MFS_GRAYED;
    SetMenuItemInfoW(menus_[static_cast<size_t>(tab)],
                     kMenuIdBase + static_cast<UINT>(tab) * 8 + static_cast<UINT>(ListCommand::ToggleStartup), FALSE,
                     &mi);
}

// Menu items carry their ImageList1 picture in their item data and are
// drawn by the window as 16 x 16 images.
bool MainWindow::MeasureMenuImage(MEASUREITEMSTRUCT& item) const {
    if (item.CtlType != ODT_MENU) return false;
    item.itemWidth = 16;
    item.itemHeight = 16;
    return true;
}

bool MainWindow::DrawMenuImage(const DRAWITEMSTRUCT& item) const {
    if (item.CtlType != ODT_MENU) return false;
    LoadCommonControls()->ImageList_Draw(images_, static_cast<int>(item.itemData), item.hDC, item.rcItem.left,
                                         item.rcItem.top + ((item.rcItem.bottom - item.rcItem.top) - 16) / 2,
                                         ILD_TRANSPARENT);
    return true;
}

}  // namespace qm::win32
