// The About dialog in Win32: a modal dialog over the main window that shows
// what AboutDialog holds and reports the OK and link presses back to it.
#include "platform/win32/windows_clean.h"

#include <algorithm>
#include <vector>

#include "forms/about_form.h"
#include "platform/win32/win32_text.h"
#include "ui/win32/main_window.h"
#include "ui/win32/win32_toolkit.h"
#include "ui/win32/window_support.h"

namespace qm::win32 {

namespace {

constexpr int kLinkId = 101;
constexpr COLORREF kNavy = RGB(0, 0, 128);

// The main window of this thread, which owns the dialog.
HWND OwnerWindow() {
    HWND found = FindThreadWindow(kMainWindowClass);
    return found ? found : GetActiveWindow();
}

class AboutWindow {
public:
    explicit AboutWindow(AboutDialog& dialog) : dialog_(dialog) {}

    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    void Create();
    HWND Child(const wchar_t* cls, const std::string& text, DWORD style, int x, int y, int w, int h, int id,
               HFONT font);
    int TextWidth(HFONT font, const std::string& text) const;
    void DrawLink(const DRAWITEMSTRUCT& item);
    void Close();

    AboutDialog& dialog_;
    HWND hwnd_ = nullptr, link_ = nullptr;
    FontOwner font_, linkFont_;
    WindowIconOwner icon_;
};

HWND AboutWindow::Child(const wchar_t* cls, const std::string& text, DWORD style, int x, int y, int w, int h, int id,
                        HFONT font) {
    HWND child = CreateWindowExW(0, cls, ShownWide(text).c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (child && font) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

int AboutWindow::TextWidth(HFONT font, const std::string& text) const {
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    const std::wstring wide = ShownWide(text);
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    return size.cx;
}

void AboutWindow::Create() {
    SetWindowTextW(hwnd_, ShownWide(dialog_.Caption).c_str());
    // Client area of the design size, centred on the owner (or the screen).
    RECT frame{0, 0, AboutDialog::ClientWidth, AboutDialog::ClientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    RECT around{};
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    if (!owner || !GetWindowRect(owner, &around)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
    SetWindowPos(hwnd_, nullptr, around.left + ((around.right - around.left) - w) / 2,
                 around.top + ((around.bottom - around.top) - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);

    font_.Reset(MakeFont(L"Tahoma", false));
    linkFont_.Reset(MakeFont(L"MS Sans Serif", true));
    const int size = AboutDialog::IconSize;
    icon_.Reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), ShownWide(AboutDialog::IconResource).c_str(),
                                              IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    HWND image = Child(L"STATIC", "", SS_ICON | SS_REALSIZEIMAGE, 16, 17, size, size, -1, nullptr);
    if (icon_.Get()) SendMessageW(image, STM_SETICON, reinterpret_cast<WPARAM>(icon_.Get()), 0);

    // Name and version sit beside the OK button; the copyright line and the
    // link below it may use the full width.
    const int besideOk = 276 - 6 - 80, fullWidth = AboutDialog::ClientWidth - 8 - 80;
    Child(L"STATIC", dialog_.nameText, SS_LEFT | SS_NOPREFIX, 80, 9, besideOk, 16, -1, font_.Get());
    Child(L"STATIC", dialog_.versionText, SS_LEFT | SS_NOPREFIX, 80, 29, besideOk, 16, -1, font_.Get());
    Child(L"STATIC", dialog_.copyrightText, SS_LEFT | SS_NOPREFIX, 80, 48, fullWidth, 16, -1, font_.Get());
    const int linkWidth = std::min(fullWidth, std::max(161, TextWidth(linkFont_.Get(), dialog_.linkText) + 4));
    link_ =
        Child(L"BUTTON", dialog_.linkText, BS_OWNERDRAW | WS_TABSTOP, 80, 66, linkWidth, 22, kLinkId, linkFont_.Get());
    // OK is the default button (Enter) and the dialog manager turns Esc into IDCANCEL.
    HWND ok = Child(L"BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 276, 10, 75, 25, IDOK, font_.Get());
    SetFocus(ok);
    // Above every other window while open.
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, AboutDialog::TopmostFlags);
}

void AboutWindow::DrawLink(const DRAWITEMSTRUCT& item) {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ old = SelectObject(item.hDC, linkFont_.Get());
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, kNavy);
    RECT r = item.rcItem;
    DrawTextW(item.hDC, ShownWide(dialog_.linkText).c_str(), -1, &r,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(item.hDC, old);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

void AboutWindow::Close() {
    dialog_.OkClick();
    if (dialog_.Closed) EndDialog(hwnd_, IDOK);
}

INT_PTR AboutWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (item->CtlID != static_cast<UINT>(kLinkId)) return FALSE;
            DrawLink(*item);
            return TRUE;
        }
        case WM_INITDIALOG:
            Create();
            return FALSE;  // the focus is on OK already
        case WM_COMMAND:
            if (HIWORD(wp) != BN_CLICKED) return FALSE;
            if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) Close();
            else if (LOWORD(wp) == kLinkId) dialog_.OpenWebAddress();
            else return FALSE;
            return TRUE;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wp) != link_) return FALSE;
            SetCursor(LoadCursor(nullptr, IDC_HAND));
            SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

void Win32Toolkit::ShowAboutModal(AboutDialog& dialog) {
    AboutWindow window(dialog);
    // An empty dialog template: the window builds its controls in pixels
    // when it is initialised. Menu, class and title are empty strings.
    std::vector<WORD> form(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
    auto* frame = reinterpret_cast<DLGTEMPLATE*>(form.data());
    frame->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    frame->dwExtendedStyle = WS_EX_DLGMODALFRAME;
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), frame, OwnerWindow(), ObjectDialogProc<AboutWindow>,
                            reinterpret_cast<LPARAM>(&window));
}

}  // namespace qm::win32
