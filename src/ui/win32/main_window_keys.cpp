// The main window's keyboard: Tab through its controls, Enter on the
// control that has the focus, Ctrl+Z for the Changes window.
#include "ui/win32/main_window_class.h"

#include <algorithm>

namespace qm::win32 {

// The Tab key's order: the tabs, the list of the page shown, OK, About,
// "Changes...". The dialog manager would follow the stacking order, where
// the lists lie above the tabs (so that they are drawn over the page) and so
// come before them.
std::array<HWND, 5> MainWindow::TabStops() const {
    return {tab_, lists_[static_cast<size_t>(form_.ActivePage)], ok_, about_, changes_};
}

// The keys this window answers before the dialog manager sees them; true
// when `msg` was handled. Enter belongs to the control with the focus: a list
// activates its row (as a double-click does), a button is pressed. Esc is
// left to the dialog manager, whose IDCANCEL this window ignores.
bool MainWindow::OwnKey(MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    const std::array<HWND, 5> stops = TabStops();
    const auto at = std::find(stops.begin(), stops.end(), msg.hwnd);
    // Ctrl+Z opens the Changes window, where changes are put back: on the
    // window's own controls, not in an in-place edit, where it undoes the
    // typing.
    if (msg.wParam == 'Z' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0 && GetKeyState(VK_SHIFT) >= 0 &&
        (at != stops.end() || msg.hwnd == hwnd_)) {
        SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(changes_), BN_CLICKED),
                     reinterpret_cast<LPARAM>(changes_));
        return true;
    }
    if (msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) {
        if (at == stops.end() && msg.hwnd != hwnd_) return false;  // an in-place edit, for one
        const int n = static_cast<int>(stops.size());
        const bool back = GetKeyState(VK_SHIFT) < 0;
        const int from = at != stops.end() ? static_cast<int>(at - stops.begin()) : back ? 0 : n - 1;
        SetFocus(stops[static_cast<size_t>((from + (back ? n - 1 : 1)) % n)]);
        SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        return true;
    }
    if (msg.wParam != VK_RETURN) return false;
    if (msg.hwnd == ok_ || msg.hwnd == about_ || msg.hwnd == changes_) {
        SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(msg.hwnd), BN_CLICKED),
                     reinterpret_cast<LPARAM>(msg.hwnd));
        return true;
    }
    if (TabFromList(msg.hwnd) < 0) return false;
    DispatchMessageW(&msg);  // the list reports the activation of its row
    return true;
}

}  // namespace qm::win32
