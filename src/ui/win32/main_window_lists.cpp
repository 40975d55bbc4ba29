// The main window's lists: owner-data report views that ask the form for
// each cell, draw the marked rows in their colour, and report selection,
// in-place edits, activation and the popup menu back to the form.
#include "ui/win32/main_window_class.h"

#include "core/categories/row_marks.h"
#include "platform/win32/win32_text.h"

namespace qm::win32 {

int MainWindow::TabFromList(HWND list) const {
    for (int i = 0; i < form_.TabCount(); ++i)
        if (lists_[static_cast<size_t>(i)] == list) return i;
    return -1;
}

void MainWindow::ReadSelection(int tab) {
    if (syncing_) return;
    HWND list = lists_[static_cast<size_t>(tab)];
    int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    int focused = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
    form_.ListOf(tab).SetSelection(selected, focused);
}

void MainWindow::ApplySelection(int tab) {
    HWND list = lists_[static_cast<size_t>(tab)];
    EntryList& model = form_.ListOf(tab);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (model.SelectedIndex() >= 0) ListView_SetItemState(list, model.SelectedIndex(), LVIS_SELECTED, LVIS_SELECTED);
    if (model.FocusedIndex() >= 0) ListView_SetItemState(list, model.FocusedIndex(), LVIS_FOCUSED, LVIS_FOCUSED);
}

LRESULT MainWindow::ListNotify(int tab, NMHDR* header) {
    EntryList& model = form_.ListOf(tab);
    switch (header->code) {
        // The lists ask in UTF-16, every character as stored; a NUL inside a
        // name is made visible.
        case LVN_GETDISPINFOW: {
            auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
            LVITEMW& item = info->item;
            if (item.iItem < 0 || item.iItem >= model.Count()) return 0;  // a list being refilled
            const Entry& row = model.Row(item.iItem);
            if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0 && item.iSubItem >= 0)
                lstrcpynW(item.pszText,
                          ShownWide(CellText(form_.CategoryOf(tab), row, static_cast<size_t>(item.iSubItem))).c_str(),
                          item.cchTextMax);
            if (item.mask & LVIF_IMAGE) item.iImage = row.image;
            return 0;
        }
        case LVN_BEGINLABELEDITW:
            return FALSE;
        case LVN_ENDLABELEDITW: {
            auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
            if (!info->item.pszText) return FALSE;
            model.EditCaption(info->item.iItem, FromShown(info->item.pszText));
            return TRUE;
        }
        case NM_CUSTOMDRAW: {
            // A row's colour is its mark's.
            auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
            if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
            if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) return CDRF_NOTIFYSUBITEMDRAW;
            if (draw->nmcd.dwDrawStage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
                const int index = static_cast<int>(draw->nmcd.dwItemSpec);
                std::optional<std::uint32_t> colour;
                if (index >= 0 && index < model.Count()) colour = MarkColour(model.Row(index).mark);
                draw->clrText = colour ? *colour : GetSysColor(COLOR_WINDOWTEXT);
                return CDRF_NEWFONT;
            }
            return CDRF_DODEFAULT;
        }
        case LVN_ITEMCHANGED:
        case LVN_ODSTATECHANGED:
            ReadSelection(tab);
            return 0;
        case LVN_ITEMACTIVATE:
            // A double-click on a row and Enter on the list both activate it.
            ReadSelection(tab);
            form_.ListDblClick(tab);
            Sync();
            return 0;
        case NM_RCLICK: {
            ReadSelection(tab);
            UpdateStartupItem(tab);
            POINT pt{};
            GetCursorPos(&pt);
            TrackPopupMenu(menus_[static_cast<size_t>(tab)], TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
            return 0;
        }
    }
    return 0;
}

}  // namespace qm::win32
