#include "ui/win32/item_window.h"

#include <array>
#include <string>

#include "forms/item_form.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"
#include "ui/win32/main_window.h"
#include "ui/win32/win32_toolkit.h"
#include "ui/win32/window_support.h"

namespace qm::win32 {

namespace {

constexpr int kClientSize = 385;
constexpr RECT kPagesRect{8, 8, 8 + 369, 8 + 338};
constexpr UINT kReassertFront = WM_APP + 1;
constexpr COLORREF kNavy = RGB(0, 0, 128);

// Where a control sits: on the page (relative to the page's client area)
// or on the form itself.
enum class On { Page, Form };

struct ControlDef {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
    On on;
    int x, y, w, h;
};

constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kEdit = ES_AUTOHSCROLL | WS_TABSTOP;

// In creation order, which is also the tab order: the three edit boxes,
// "&Find Target...", then OK and Cancel. The link is created before the picture it
// overlaps, so it stays on top of it.
constexpr std::array<ControlDef, 22> kControls{{
    {kItemIcon, L"STATIC", L"", SS_ICON | SS_CENTERIMAGE | SS_REALSIZECONTROL, 0, On::Page, 8, 8, 32, 32},
    {kItemTitle, L"STATIC", L"<name>", kLabel, 0, On::Page, 52, 16, 300, 13},
    {kItemState, L"STATIC", L"", kLabel, 0, On::Page, 52, 32, 300, 13},
    {0, L"STATIC", L"", SS_ETCHEDHORZ, 0, On::Page, 8, 52, 345, 2},
    {0, L"STATIC", L"Start In:", kLabel, 0, On::Page, 8, 72, 80, 13},
    {kItemCommand, L"EDIT", L"", kEdit, WS_EX_CLIENTEDGE, On::Page, 92, 68, 261, 21},
    {0, L"STATIC", L"Target:", kLabel, 0, On::Page, 8, 100, 80, 13},
    {kItemName, L"EDIT", L"", kEdit, WS_EX_CLIENTEDGE, On::Page, 92, 96, 261, 21},
    {0, L"STATIC", L"Parameters:", kLabel, 0, On::Page, 8, 128, 80, 13},
    {kItemLocation, L"EDIT", L"", kEdit, WS_EX_CLIENTEDGE, On::Page, 92, 124, 261, 21},
    {kItemFindTarget, L"BUTTON", L"&Find Target...", BS_PUSHBUTTON | WS_TABSTOP, 0, On::Page, 264, 151, 87, 25},
    {0, L"STATIC", L"", SS_ETCHEDHORZ, 0, On::Page, 8, 192, 345, 2},
    {0, L"STATIC", L"Company:", kLabel, 0, On::Page, 8, 212, 80, 13},
    {kItemCompany, L"STATIC", L"<root>", kLabel, 0, On::Page, 92, 212, 261, 13},
    {0, L"STATIC", L"Description:", kLabel, 0, On::Page, 10, 240, 80, 13},
    {kItemDescription, L"STATIC", L"<key>", kLabel, 0, On::Page, 92, 240, 261, 13},
    {0, L"STATIC", L"Version:", kLabel, 0, On::Page, 10, 268, 80, 13},
    {kItemVersion, L"STATIC", L"<type>", kLabel, 0, On::Page, 92, 268, 180, 13},
    {kItemPropertiesLink, L"STATIC", L"Properties", SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0, On::Page, 307, 294, 51, 13},
    {kItemLinkPicture, L"STATIC", L"", SS_ICON | SS_REALSIZECONTROL | WS_CLIPSIBLINGS, 0, On::Page, 282, 281, 34, 33},
    {kItemOk, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, On::Form, 221, 352, 75, 25},
    {kItemCancel, L"BUTTON", L"&Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0, On::Form, 302, 352, 75, 25},
}};

ItemWindowImpl* gWindow = nullptr;  // the one window of the run, for ShowItemForm

// The main window of this thread, which owns the dialog.
HWND FindMainWindow() { return FindThreadWindow(kMainWindowClass); }

// The texts go in and out in UTF-16, so that a name with a NUL inside is
// shown whole, the NUL made visible.
std::string WindowText(HWND w) {
    const int n = GetWindowTextLengthW(w);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(w, text.data(), n + 1);
    return FromShown(text.c_str());
}

}  // namespace

class ItemWindowImpl {
public:
    // For ObjectWindowProc.
    void Attach(HWND window) { hwnd = window; }
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);

    ItemWindowImpl(ItemForm& form, HINSTANCE instance);
    ~ItemWindowImpl();
    ItemWindowImpl(const ItemWindowImpl&) = delete;
    ItemWindowImpl& operator=(const ItemWindowImpl&) = delete;

    ItemForm& form;
    HWND hwnd = nullptr;
    void Show();

private:
    static LRESULT CALLBACK KeyboardHook(int code, WPARAM wp, LPARAM lp);
    void CreateChildren();
    void Sync();
    void SetText(int id, const std::string& text);
    void ApplyVisibility();
    void CentreOnMainWindow(HWND main);
    void Command(int id, int code, HWND control);
    HWND Control(int id) const { return GetDlgItem(hwnd, id); }
    HWND ControlOf(ItemForm::Control c) const;

    HINSTANCE instance_;
    FontOwner font_, linkFont_;
    WindowIconOwner picture_;
    HHOOK hook_ = nullptr;
    HWND lastFocus_ = nullptr;
    bool syncing_ = false;
};

ItemWindowImpl::ItemWindowImpl(ItemForm& f, HINSTANCE instance) : form(f), instance_(instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ObjectWindowProc<ItemWindowImpl>;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kItemWindowClass;
    RegisterClassExW(&wc);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT r{0, 0, kClientSize, kClientSize};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    hwnd = CreateWindowExW(exStyle, kItemWindowClass, ShownWide(ItemForm::Caption).c_str(), style, CW_USEDEFAULT,
                           CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance_, this);
    SetShellOwnerWindow(ShellOwner::ItemProperties, hwnd);
    // Tab, Enter and Esc reach the dialog's keyboard handling whatever loop
    // the messages come through.
    hook_ = SetWindowsHookExW(WH_GETMESSAGE, KeyboardHook, nullptr, GetCurrentThreadId());
    gWindow = this;
}

ItemWindowImpl::~ItemWindowImpl() {
    gWindow = nullptr;
    SetShellOwnerWindow(ShellOwner::ItemProperties, nullptr);
    if (hook_) UnhookWindowsHookEx(hook_);
    if (hwnd) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
    }
}

void ItemWindowImpl::CreateChildren() {
    font_.Reset(MakeFont(L"Tahoma", false));
    linkFont_.Reset(MakeFont(L"MS Sans Serif", true));

    // The page control with its one page; the page's controls sit in its
    // display area.
    HWND pages = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, kPagesRect.left,
                                 kPagesRect.top, kPagesRect.right - kPagesRect.left, kPagesRect.bottom - kPagesRect.top,
                                 hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kItemPages)), instance_, nullptr);
    SendMessageW(pages, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    TCITEMW page{};
    page.mask = TCIF_TEXT;
    std::wstring caption = ShownWide(ItemForm::PageCaption);
    page.pszText = caption.data();
    SendMessageW(pages, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&page));
    RECT display{0, 0, kPagesRect.right - kPagesRect.left, kPagesRect.bottom - kPagesRect.top};
    TabCtrl_AdjustRect(pages, FALSE, &display);
    const int pageX = kPagesRect.left + display.left, pageY = kPagesRect.top + display.top;

    for (const ControlDef& c : kControls) {
        const int x = c.on == On::Page ? pageX + c.x : c.x, y = c.on == On::Page ? pageY + c.y : c.y;
        HWND control = CreateWindowExW(c.exStyle, c.className, c.text, WS_CHILD | WS_VISIBLE | c.style, x, y, c.w, c.h,
                                       hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance_, nullptr);
        const bool link = c.id == kItemPropertiesLink;
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>((link ? linkFont_ : font_).Get()), FALSE);
    }
    // The page paints its own plain face, as the labels on it do, over the
    // page control's body; both lie under everything on the page.
    HWND face =
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, pageX, pageY,
                        display.right - display.left, display.bottom - display.top, hwnd, nullptr, instance_, nullptr);
    SetWindowPos(face, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(pages, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    picture_.Reset(static_cast<HICON>(LoadImageW(nullptr, MAKEINTRESOURCEW(32516), IMAGE_ICON, 32, 32, 0)));
    SendMessageW(Control(kItemLinkPicture), STM_SETICON, reinterpret_cast<WPARAM>(picture_.Get()), 0);
}

HWND ItemWindowImpl::ControlOf(ItemForm::Control c) const {
    switch (c) {
        case ItemForm::Control::Command:
            return Control(kItemCommand);
        case ItemForm::Control::Name:
            return Control(kItemName);
        case ItemForm::Control::Location:
            return Control(kItemLocation);
        case ItemForm::Control::FindTarget:
            return Control(kItemFindTarget);
        case ItemForm::Control::Ok:
            return Control(kItemOk);
        case ItemForm::Control::Cancel:
            return Control(kItemCancel);
    }
    return Control(kItemCommand);
}

void ItemWindowImpl::SetText(int id, const std::string& text) {
    HWND control = Control(id);
    if (WindowText(control) != text) SetWindowTextW(control, ShownWide(text).c_str());
}

// Brings the controls up to what the form holds now.
void ItemWindowImpl::Sync() {
    syncing_ = true;
    SetText(kItemTitle, form.title);
    SetText(kItemCommand, form.command);
    SetText(kItemName, form.name);
    SetText(kItemLocation, form.location);
    SetText(kItemCompany, form.company);
    SetText(kItemDescription, form.description);
    SetText(kItemVersion, form.version);
    SetText(kItemState, form.state);
    // The form owns the icon; the control only shows it.
    SendMessageW(Control(kItemIcon), STM_SETICON, static_cast<WPARAM>(form.icon.Icon().Value()), 0);
    InvalidateRect(Control(kItemIcon), nullptr, TRUE);
    syncing_ = false;
}

void ItemWindowImpl::CentreOnMainWindow(HWND main) {
    RECT frame{}, over{};
    GetWindowRect(hwnd, &frame);
    if (!main || !GetWindowRect(main, &over)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &over, 0);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    SetWindowPos(hwnd, nullptr, over.left + ((over.right - over.left) - w) / 2,
                 over.top + ((over.bottom - over.top) - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ItemWindowImpl::Show() {
    Sync();
    if (!IsWindowVisible(hwnd)) {
        HWND main = FindMainWindow();
        // Owned by the main window, so it stays above it and goes with it.
        SetWindowLongPtrW(hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(main));
        CentreOnMainWindow(main);
        ShowWindow(hwnd, SW_SHOW);
        lastFocus_ = ControlOf(form.ActiveControl);
    }
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd);
    if (lastFocus_) SetFocus(lastFocus_);
    // A double-click on a list hands the focus back to the list once its
    // notification returns; come to the front again after that.
    PostMessageW(hwnd, kReassertFront, 0, 0);
}

void ItemWindowImpl::ApplyVisibility() {
    if (!form.Visible && IsWindowVisible(hwnd)) ShowWindow(hwnd, SW_HIDE);
}

void ItemWindowImpl::Command(int id, int code, HWND control) {
    switch (id) {
        case kItemOk:
            if (code == BN_CLICKED) form.OkClick();
            break;
        case kItemCancel:
            if (code == BN_CLICKED) form.CancelClick();
            break;
        case kItemFindTarget:
            if (code == BN_CLICKED) form.FindTarget();
            break;
        case kItemPropertiesLink:
            if (code == STN_CLICKED) form.ShowShellProperties();
            break;
        case kItemCommand:
        case kItemName:
        case kItemLocation:
            // What the user types is the form's text from now on.
            if (code == EN_CHANGE && !syncing_) {
                std::string& text = id == kItemCommand ? form.command : id == kItemName ? form.name : form.location;
                text = WindowText(control);
            }
            break;
    }
    ApplyVisibility();
}

LRESULT ItemWindowImpl::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            CreateChildren();
            return 0;
        case WM_COMMAND:
            Command(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(kItemOk, DC_HASDEFID);
        case WM_CLOSE:  // the frame's close box hides, never destroys
            form.CloseFrame();
            ApplyVisibility();
            return 0;
        case WM_ACTIVATE:
            // Keep the focused control across a switch to another window.
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd, focus)) lastFocus_ = focus;
            } else if (lastFocus_) {
                SetFocus(lastFocus_);
            }
            return 0;
        case kReassertFront:
            if (IsWindowVisible(hwnd)) {
                SetForegroundWindow(hwnd);
                if (lastFocus_) SetFocus(lastFocus_);
            }
            return 0;
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wp);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            if (reinterpret_cast<HWND>(lp) == Control(kItemPropertiesLink)) SetTextColor(dc, kNavy);
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wp) == Control(kItemPropertiesLink)) {
                SetCursor(LoadCursor(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK ItemWindowImpl::KeyboardHook(int code, WPARAM wp, LPARAM lp) {
    auto* msg = reinterpret_cast<MSG*>(lp);
    if (code >= 0 && wp == PM_REMOVE && gWindow && gWindow->hwnd && msg->message >= WM_KEYFIRST &&
        msg->message <= WM_KEYLAST && (msg->hwnd == gWindow->hwnd || IsChild(gWindow->hwnd, msg->hwnd)) &&
        IsDialogMessageW(gWindow->hwnd, msg)) {
        // Handled: the loop that fetched it gets nothing to dispatch.
        msg->message = WM_NULL;
        msg->wParam = msg->lParam = 0;
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

ItemWindow::ItemWindow(ItemForm& form, HINSTANCE instance) : impl_(std::make_unique<ItemWindowImpl>(form, instance)) {}
ItemWindow::~ItemWindow() = default;
HWND ItemWindow::Handle() const { return impl_->hwnd; }

void Win32Toolkit::ShowItemForm(ItemForm& form) {
    if (gWindow && &gWindow->form == &form) gWindow->Show();
}

}  // namespace qm::win32
