// The Changes window: a dialog of its own class (TChangesForm) whose
// controls are made in pixels when it is initialised, like About. It draws
// what ChangesForm holds; a row selected in the list becomes the form's
// selection, and the buttons act on the form's selected record only.
#include "ui/win32/changes_window.h"

#include <algorithm>
#include <string>
#include <vector>

#include "forms/changes_form.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_text.h"
#include "ui/win32/main_window.h"
#include "ui/win32/win32_toolkit.h"
#include "ui/win32/window_support.h"

namespace qm::win32 {

namespace {

constexpr int kMargin = 8, kGap = 6;
constexpr int kButtonWidth = 75, kButtonHeight = 25, kStatusHeight = 16;

// The main window of this thread, which owns the dialog.
HWND OwnerWindow() {
    HWND found = FindThreadWindow(kMainWindowClass);
    return found ? found : GetActiveWindow();
}

// The dialog manager drives windows of this class: their procedure is its
// own, with room for its data.
void RegisterChangesClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExW(instance, kChangesWindowClass, &wc)) return;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefDlgProcW;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kChangesWindowClass;
    RegisterClassExW(&wc);
}

class ChangesWindow {
public:
    explicit ChangesWindow(ChangesForm& form) : form_(form) {}

    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    void Create();
    HWND Child(DWORD exStyle, const wchar_t* cls, const std::string& text, DWORD style, int x, int y, int w, int h,
               int id);
    LRESULT ListNotify(NMHDR* header);
    void Command(int id, HWND control);
    void Sync();
    void ReadSelection();

    ChangesForm& form_;
    HWND hwnd_ = nullptr, list_ = nullptr, restore_ = nullptr, forget_ = nullptr, close_ = nullptr, status_ = nullptr;
    FontOwner font_;
    std::uint64_t shownVersion_ = ~std::uint64_t{0};
    bool syncing_ = false;
};

HWND ChangesWindow::Child(DWORD exStyle, const wchar_t* cls, const std::string& text, DWORD style, int x, int y, int w,
                          int h, int id) {
    HWND child =
        CreateWindowExW(exStyle, cls, ShownWide(text).c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (child) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    return child;
}

void ChangesWindow::Create() {
    SetWindowTextW(hwnd_, ShownWide(ChangesForm::Caption).c_str());
    // Client area of the design size, centred on the owner (or the screen).
    RECT frame{0, 0, ChangesForm::ClientWidth, ChangesForm::ClientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    RECT around{};
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    if (!owner || !GetWindowRect(owner, &around)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
    SetWindowPos(hwnd_, nullptr, around.left + ((around.right - around.left) - w) / 2,
                 around.top + ((around.bottom - around.top) - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);

    font_.Reset(MakeFont(L"Tahoma", false));
    const int width = ChangesForm::ClientWidth, height = ChangesForm::ClientHeight;
    const int buttonsY = height - kMargin - kButtonHeight;
    const int statusY = buttonsY - kGap - kStatusHeight;
    // In creation order, which is the Tab order: the list, Restore, Forget, Close.
    list_ = Child(WS_EX_CLIENTEDGE, WC_LISTVIEWW, "",
                  WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA, kMargin, kMargin,
                  width - 2 * kMargin, statusY - kGap - kMargin, kChangesList);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
    int column = 0;
    for (const ChangesForm::Column& c : ChangesForm::Columns) {
        LVCOLUMNW lvc{};
        lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        std::wstring caption = ShownWide(c.caption);
        lvc.pszText = caption.data();
        lvc.cx = c.width;
        lvc.iSubItem = column;
        SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&lvc));
        ++column;
    }
    SendMessageW(list_, LVM_SETUNICODEFORMAT, TRUE, 0);
    const int closeX = width - kMargin - kButtonWidth, forgetX = closeX - kGap - kButtonWidth,
              restoreX = forgetX - kGap - kButtonWidth;
    restore_ = Child(0, L"BUTTON", ChangesForm::RestoreCaption, BS_PUSHBUTTON | WS_TABSTOP, restoreX, buttonsY,
                     kButtonWidth, kButtonHeight, kChangesRestore);
    forget_ = Child(0, L"BUTTON", ChangesForm::ForgetCaption, BS_PUSHBUTTON | WS_TABSTOP, forgetX, buttonsY,
                    kButtonWidth, kButtonHeight, kChangesForget);
    close_ = Child(0, L"BUTTON", ChangesForm::CloseCaption, BS_DEFPUSHBUTTON | WS_TABSTOP, closeX, buttonsY,
                   kButtonWidth, kButtonHeight, kChangesClose);
    status_ = Child(0, L"STATIC", "", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, kMargin, statusY, width - 2 * kMargin,
                    kStatusHeight, kChangesStatus);
    Sync();
    SetFocus(list_);
}

// Brings the controls up to what the form holds now.
void ChangesWindow::Sync() {
    if (form_.Version() == shownVersion_) return;
    syncing_ = true;
    ListView_SetItemCountEx(list_, form_.RowCount(), LVSICF_NOSCROLL);
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
    if (form_.SelectedIndex() >= 0) {
        ListView_SetItemState(list_, form_.SelectedIndex(), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list_, form_.SelectedIndex(), FALSE);
    }
    InvalidateRect(list_, nullptr, TRUE);
    const bool can = form_.CanAct();
    EnableWindow(restore_, can);
    EnableWindow(forget_, can);
    // A button that went unavailable gives the focus to the list.
    HWND focus = GetFocus();
    if (!can && (focus == restore_ || focus == forget_))
        SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list_), TRUE);
    SetWindowTextW(status_, ShownWide(form_.StatusText()).c_str());
    shownVersion_ = form_.Version();
    syncing_ = false;
}

void ChangesWindow::ReadSelection() {
    if (syncing_) return;
    form_.Select(ListView_GetNextItem(list_, -1, LVNI_SELECTED));
    Sync();
}

LRESULT ChangesWindow::ListNotify(NMHDR* header) {
    switch (header->code) {
        case LVN_GETDISPINFOW: {
            LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
            if (item.iItem < 0 || item.iItem >= form_.RowCount()) return 0;
            if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return 0;
            const ChangeCells& cells = form_.Cells()[static_cast<size_t>(item.iItem)];
            const std::string* texts[] = {&cells.when, &cells.done, &cells.entry, &cells.where};
            const std::string& text = item.iSubItem >= 0 && item.iSubItem < 4 ? *texts[item.iSubItem] : std::string();
            lstrcpynW(item.pszText, ShownWide(text).c_str(), item.cchTextMax);
            return 0;
        }
        case LVN_ITEMCHANGED:
        case LVN_ODSTATECHANGED:
            ReadSelection();
            return 0;
    }
    return 0;
}

void ChangesWindow::Command(int id, HWND control) {
    // The buttons act on the record the form has selected, never on one a
    // message names: the form copies it before the core asks.
    if (id == kChangesRestore && control == restore_) form_.RestoreClick();
    else if (id == kChangesForget && control == forget_) form_.ForgetClick();
    else if (id == kChangesClose) form_.CloseClick();
    else return;
    Sync();
    // A restored entry is listed again on its tab: the main window shows it now.
    RedrawMainWindow(GetWindow(hwnd_, GW_OWNER));
    if (form_.Closed) EndDialog(hwnd_, IDCANCEL);
}

INT_PTR ChangesWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG:
            Create();
            return FALSE;  // the focus is on the list already
        case WM_COMMAND:
            if (HIWORD(wp) != BN_CLICKED) return FALSE;
            Command(LOWORD(wp), reinterpret_cast<HWND>(lp));
            return TRUE;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lp);
            if (header->hwndFrom != list_) return FALSE;
            SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, ListNotify(header));
            return TRUE;
        }
    }
    return FALSE;
}

// A dialog template of no controls: WORDs of the header, then the menu
// (none), the class and the title, each a NUL-terminated UTF-16 text.
std::vector<WORD> ChangesTemplate() {
    std::vector<WORD> form(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* frame = reinterpret_cast<DLGTEMPLATE*>(form.data());
    frame->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    frame->dwExtendedStyle = WS_EX_DLGMODALFRAME;
    form.push_back(0);  // no menu
    for (const wchar_t* c = kChangesWindowClass; *c; ++c) form.push_back(static_cast<WORD>(*c));
    form.push_back(0);
    form.push_back(0);  // the title comes with the controls
    return form;
}

}  // namespace

void Win32Toolkit::ShowChangesModal(ChangesForm& form) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterChangesClass(instance);
    ChangesWindow window(form);
    std::vector<WORD> frame = ChangesTemplate();
    DialogBoxIndirectParamW(instance, reinterpret_cast<DLGTEMPLATE*>(frame.data()), OwnerWindow(),
                            ObjectDialogProc<ChangesWindow>, reinterpret_cast<LPARAM>(&window));
}

}  // namespace qm::win32
