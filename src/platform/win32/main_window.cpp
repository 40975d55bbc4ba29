#include "platform/win32/main_window.h"


#include <algorithm>
#include <array>
#include <string>

#include "platform/win32/handles.h"
#include "platform/win32/system_library.h"
#include "startups.h"

namespace qm::win32 {

namespace {

constexpr int kClientWidth = 554, kClientHeight = 454;
constexpr int kTabHeight = 414;
constexpr int kButtonWidth = 75, kButtonHeight = 25;
// Not 1 and 2: the dialog manager, which the message loop runs for the
// keyboard, sends those as IDOK for Enter and IDCANCEL for Esc.
constexpr int kOkId = 20, kAboutId = 21, kTabId = 3, kListIdBase = 100;
constexpr UINT_PTR kTimer1Id = 1;
// Menu command identifiers: base + tab * 8 + command.
constexpr UINT kMenuIdBase = 1000;
constexpr COLORREF kMaskColour = RGB(255, 0, 255);

struct MenuItemDef {
    ListCommand command;
    int image;
};


class MainWindow {
public:
    // For ObjectWindowProc.
    void Attach(HWND window) { hwnd_ = window; }
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);

    MainWindow(TMainForm& form, HINSTANCE instance) : form_(form), instance_(instance) {}
    ~MainWindow() {
        for (HMENU m : menus_)
            if (m) DestroyMenu(m);
        if (images_) LoadCommonControls()->ImageList_Destroy(images_);
    }
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    bool Create();
    int Run();

private:
    LRESULT Notify(NMHDR* header);
    LRESULT ListNotify(int tab, NMHDR* header);
    void CreateChildren();
    void CreateMenus();
    void Layout(int width, int height);
    void ShowActiveList();
    void Sync();
    bool OwnKey(MSG& msg);
    std::array<HWND, 4> TabStops() const;
    void ReadSelection(int tab);
    void ApplySelection(int tab);
    int TabFromList(HWND list) const;

    TMainForm& form_;
    HINSTANCE instance_;
    HWND hwnd_ = nullptr, tab_ = nullptr, ok_ = nullptr, about_ = nullptr, bevel_ = nullptr;
    std::array<HWND, kCategoryCount> lists_{};
    std::array<HMENU, kCategoryCount> menus_{};
    std::array<std::uint64_t, kCategoryCount> shownVersion_{};
    std::array<std::string, kCategoryCount> shownCaption_{};
    std::array<Handle, kCategoryCount> shownSmall_{}, shownLarge_{};
    std::string shownTitle_;
    HIMAGELIST images_ = nullptr;
    FontOwner font_;
    bool timerRunning_ = false;
    bool syncing_ = false;
    HWND lastFocus_ = nullptr;  // the control that gets the focus back when the window is activated
    std::string textBuffer_;  // keeps the text handed to the list alive
};

bool MainWindow::Create() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ObjectWindowProc<MainWindow>;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconA(instance_, "MAINICON");
    wc.hIconSm = static_cast<HICON>(LoadImageA(instance_, "MAINICON", IMAGE_ICON, 16, 16, 0));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainWindowClass;
    RegisterClassExA(&wc);

    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_APPWINDOW;  // the window carries the program's taskbar button
    RECT r{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const int w = r.right - r.left, h = r.bottom - r.top;
    RECT desk{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &desk, 0);
    const int x = desk.left + ((desk.right - desk.left) - w) / 2, y = desk.top + ((desk.bottom - desk.top) - h) / 2;
    hwnd_ = CreateWindowExA(exStyle, kMainWindowClass, form_.Caption.c_str(), style, x, y, w, h, nullptr, nullptr,
                            instance_, this);
    return hwnd_ != nullptr;
}

void MainWindow::CreateChildren() {
    LOGFONTA lf{};
    lf.lfHeight = -11;  // Tahoma 8 points
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, "Tahoma", LF_FACESIZE);
    font_.Reset(CreateFontIndirectA(&lf));
    auto setFont = [this](HWND h) { SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE); };

    images_ = LoadCommonControls()->ImageList_LoadImageA(instance_, "IMAGELIST1", 16, 0, kMaskColour, IMAGE_BITMAP,
                                                         LR_CREATEDIBSECTION);

    tab_ = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | TCS_MULTILINE,
                           0, 0, kClientWidth, kTabHeight, hwnd_, reinterpret_cast<HMENU>(kTabId), instance_, nullptr);
    setFont(tab_);
    TabCtrl_SetImageList(tab_, images_);
    for (int i = 0; i < kCategoryCount; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        std::string caption = form_.TabCaptions[static_cast<size_t>(i)];
        item.pszText = caption.data();
        item.iImage = kCategories[static_cast<size_t>(i)].TabImage;
        SendMessageA(tab_, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        shownCaption_[static_cast<size_t>(i)] = caption;
    }

    for (int i = 0; i < kCategoryCount; ++i) {
        const TAutostartCategory& c = kCategories[static_cast<size_t>(i)];
        HWND list = CreateWindowExA(
            WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
            WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDATA | LVS_EDITLABELS |
                LVS_SHAREIMAGELISTS,
            0, 0, 10, 10, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListIdBase + i)), instance_, nullptr);
        setFont(list);
        ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
        for (int col = 0; col < c.ColumnCount; ++col) {
            LVCOLUMNA column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
            std::string caption = c.Columns[static_cast<size_t>(col)].Caption;
            column.pszText = caption.data();
            column.cx = c.Columns[static_cast<size_t>(col)].Width;
            column.iSubItem = col;
            SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(col), reinterpret_cast<LPARAM>(&column));
        }
        lists_[static_cast<size_t>(i)] = list;
        SetWindowPos(list, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }

    ok_ = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, kButtonWidth,
                          kButtonHeight, hwnd_, reinterpret_cast<HMENU>(kOkId), instance_, nullptr);
    about_ = CreateWindowExA(0, "BUTTON", "About", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0,
                             kButtonWidth, kButtonHeight, hwnd_, reinterpret_cast<HMENU>(kAboutId), instance_, nullptr);
    bevel_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ, 0, 0, kClientWidth, 2, hwnd_,
                             nullptr, instance_, nullptr);
    setFont(ok_);
    setFont(about_);
    CreateMenus();
    TabCtrl_SetCurSel(tab_, form_.ActivePage);
    Layout(kClientWidth, kClientHeight);
    ShowActiveList();
    lastFocus_ = tab_;  // the first control in the Tab order
}

void MainWindow::CreateMenus() {
    for (int i = 0; i < kCategoryCount; ++i) {
        const TAutostartCategory& c = kCategories[static_cast<size_t>(i)];
        HMENU menu = CreatePopupMenu();
        struct Item {
            const char* caption;
            ListCommand command;
            int image;
        };
        std::array<Item, 4> items{{{"&Delete Items...", ListCommand::Delete, 13},
                                   {"&Disable Items...", ListCommand::Disable, 18},
                                   {"&Jump To...", ListCommand::JumpTo, 9},
                                   {c.PropertiesCaption, ListCommand::Properties, 14}}};
        for (const Item& item : items) {
            if (item.command == ListCommand::Disable && !c.HasDisable) continue;
            if (item.command == ListCommand::JumpTo) AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            MENUITEMINFOA mi{};
            mi.cbSize = sizeof(mi);
            mi.fMask = MIIM_ID | MIIM_STRING | MIIM_BITMAP | MIIM_DATA;
            mi.wID = kMenuIdBase + static_cast<UINT>(i) * 8 + static_cast<UINT>(item.command);
            mi.dwTypeData = const_cast<char*>(item.caption);
            mi.hbmpItem = HBMMENU_CALLBACK;
            mi.dwItemData = static_cast<ULONG_PTR>(item.image);
            InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &mi);
        }
        menus_[static_cast<size_t>(i)] = menu;
    }
}

void MainWindow::Layout(int width, int height) {
    // The tabs follow every edge; the buttons and the bevel keep to the bottom right.
    MoveWindow(tab_, 0, 0, width, height - (kClientHeight - kTabHeight), TRUE);
    MoveWindow(ok_, width - (kClientWidth - 471), height - (kClientHeight - 416), kButtonWidth, kButtonHeight, TRUE);
    MoveWindow(about_, width - (kClientWidth - 382), height - (kClientHeight - 416), kButtonWidth, kButtonHeight, TRUE);
    MoveWindow(bevel_, 0, height - 8, width, 2, TRUE);
    RECT page{};
    GetClientRect(tab_, &page);
    TabCtrl_AdjustRect(tab_, FALSE, &page);
    for (HWND list : lists_)
        MoveWindow(list, page.left, page.top, page.right - page.left, page.bottom - page.top, TRUE);
}

void MainWindow::ShowActiveList() {
    for (int i = 0; i < kCategoryCount; ++i)
        ShowWindow(lists_[static_cast<size_t>(i)], i == form_.ActivePage ? SW_SHOW : SW_HIDE);
}

int MainWindow::TabFromList(HWND list) const {
    for (int i = 0; i < kCategoryCount; ++i)
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
    TListView& model = form_.ListOf(tab);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (model.SelectedIndex() >= 0) ListView_SetItemState(list, model.SelectedIndex(), LVIS_SELECTED, LVIS_SELECTED);
    if (model.FocusedIndex() >= 0) ListView_SetItemState(list, model.FocusedIndex(), LVIS_FOCUSED, LVIS_FOCUSED);
}

// Brings the windows up to what the form holds now.
void MainWindow::Sync() {
    syncing_ = true;
    if (form_.Caption != shownTitle_) {
        SetWindowTextA(hwnd_, form_.Caption.c_str());
        shownTitle_ = form_.Caption;
    }
    bool captionsChanged = false;
    for (int i = 0; i < kCategoryCount; ++i) {
        const size_t k = static_cast<size_t>(i);
        TListView& model = form_.ListOf(i);
        HWND list = lists_[k];
        if (model.SmallImages() != shownSmall_[k]) {
            ListView_SetImageList(list, reinterpret_cast<HIMAGELIST>(model.SmallImages()), LVSIL_SMALL);
            shownSmall_[k] = model.SmallImages();
        }
        if (model.LargeImages() != shownLarge_[k]) {
            ListView_SetImageList(list, reinterpret_cast<HIMAGELIST>(model.LargeImages()), LVSIL_NORMAL);
            shownLarge_[k] = model.LargeImages();
        }
        if (model.Version() != shownVersion_[k]) {
            ListView_SetItemCountEx(list, model.Count(), LVSICF_NOSCROLL);
            ApplySelection(i);
            InvalidateRect(list, nullptr, TRUE);
            shownVersion_[k] = model.Version();
        }
        if (form_.TabCaptions[k] != shownCaption_[k]) {
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            std::string caption = form_.TabCaptions[k];
            item.pszText = caption.data();
            SendMessageA(tab_, TCM_SETITEMA, k, reinterpret_cast<LPARAM>(&item));
            shownCaption_[k] = caption;
            captionsChanged = true;
        }
    }
    if (captionsChanged) {
        // Longer captions may take another row of tabs: the pages move.
        RECT r{};
        GetClientRect(hwnd_, &r);
        Layout(r.right, r.bottom);
    }
    if (form_.Timer1Enabled != timerRunning_) {
        if (form_.Timer1Enabled) SetTimer(hwnd_, kTimer1Id, TMainForm::Timer1Interval, nullptr);
        else KillTimer(hwnd_, kTimer1Id);
        timerRunning_ = form_.Timer1Enabled;
    }
    syncing_ = false;
    if (form_.Closed) DestroyWindow(hwnd_);
}

LRESULT MainWindow::ListNotify(int tab, NMHDR* header) {
    TListView& model = form_.ListOf(tab);
    switch (header->code) {
        case LVN_GETDISPINFOA: {
            auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
            LVITEMA& item = info->item;
            if (item.iItem < 0 || item.iItem >= model.Count()) return 0;  // a list being refilled
            const TEntryRow& row = model.Row(item.iItem);
            if (item.mask & LVIF_TEXT) {
                const int sub = item.iSubItem;
                textBuffer_ = sub == 0 ? row.Caption : (sub - 1 < row.SubItems.Count() ? row.SubItems.All()[static_cast<size_t>(sub - 1)] : std::string());
                lstrcpynA(item.pszText, textBuffer_.c_str(), item.cchTextMax);
            }
            if (item.mask & LVIF_IMAGE) item.iImage = row.ImageIndex;
            return 0;
        }
        case NM_CUSTOMDRAW: {
            auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
            const CustomDrawSubItem handler = kCategories[static_cast<size_t>(tab)].OnCustomDrawSubItem;
            if (!handler) return CDRF_DODEFAULT;
            if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
            if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) return CDRF_NOTIFYSUBITEMDRAW;
            if (draw->nmcd.dwDrawStage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
                const int index = static_cast<int>(draw->nmcd.dwItemSpec);
                std::uint32_t colour = GetSysColor(COLOR_WINDOWTEXT);
                if (index >= 0 && index < model.Count()) handler(model.Row(index), colour);
                draw->clrText = colour;
                return CDRF_NEWFONT;
            }
            return CDRF_DODEFAULT;
        }
        case LVN_ITEMCHANGED:
        case LVN_ODSTATECHANGED:
            ReadSelection(tab);
            return 0;
        case LVN_BEGINLABELEDITA:
            return FALSE;
        case LVN_ENDLABELEDITA: {
            auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
            if (!info->item.pszText) return FALSE;
            model.EditCaption(info->item.iItem, info->item.pszText);
            return TRUE;
        }
        case LVN_ITEMACTIVATE:
            // A double-click on a row and Enter on the list both activate it.
            ReadSelection(tab);
            form_.ListDblClick(tab);
            Sync();
            return 0;
        case NM_RCLICK: {
            ReadSelection(tab);
            POINT pt{};
            GetCursorPos(&pt);
            TrackPopupMenu(menus_[static_cast<size_t>(tab)], TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
            return 0;
        }
    }
    return 0;
}

LRESULT MainWindow::Notify(NMHDR* header) {
    if (header->hwndFrom == tab_) {
        if (header->code == TCN_SELCHANGE) {
            form_.SelectTab(TabCtrl_GetCurSel(tab_));
            ShowActiveList();
            Sync();
        }
        return 0;
    }
    int tab = TabFromList(header->hwndFrom);
    return tab >= 0 ? ListNotify(tab, header) : 0;
}

LRESULT MainWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            CreateChildren();
            return 0;
        case WM_SIZE:
            if (tab_) Layout(LOWORD(lp), HIWORD(lp));
            return 0;
        case WM_NOTIFY:
            return Notify(reinterpret_cast<NMHDR*>(lp));
        case WM_COMMAND: {
            const UINT id = LOWORD(wp);
            const bool clicked = HIWORD(wp) == BN_CLICKED;
            if (clicked && id == kOkId && reinterpret_cast<HWND>(lp) == ok_) {
                form_.OKButtonClick();
            } else if (clicked && id == kAboutId && reinterpret_cast<HWND>(lp) == about_) {
                form_.Button1Click();
            } else if (lp == 0 && id >= kMenuIdBase && id < kMenuIdBase + kCategoryCount * 8) {
                const int tab = static_cast<int>((id - kMenuIdBase) / 8);
                const auto command = static_cast<ListCommand>((id - kMenuIdBase) % 8);
                if (command == ListCommand::Properties) form_.ListDblClick(tab);
                else form_.ListCommandClick(tab, command);
            } else {
                break;
            }
            Sync();
            return 0;
        }
        case WM_TIMER:
            if (wp == kTimer1Id) {
                form_.Timer1Timer();
                Sync();
            }
            return 0;
        case WM_MEASUREITEM: {
            auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
            if (mi->CtlType != ODT_MENU) break;
            mi->itemWidth = 16;
            mi->itemHeight = 16;
            return TRUE;
        }
        case WM_DRAWITEM: {
            auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
            if (di->CtlType != ODT_MENU) break;
            LoadCommonControls()->ImageList_Draw(images_, static_cast<int>(di->itemData), di->hDC, di->rcItem.left,
                                                 di->rcItem.top + ((di->rcItem.bottom - di->rcItem.top) - 16) / 2,
                                                 ILD_TRANSPARENT);
            return TRUE;
        }
        case WM_ACTIVATE:
            // As in a dialog, the focus leaves with the window and comes back to the same control.
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
            } else if (lastFocus_ && IsWindowVisible(lastFocus_) && !HIWORD(wp)) {
                SetFocus(lastFocus_);
                return 0;
            }
            break;
        case WM_CLOSE:
            DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            if (timerRunning_) KillTimer(hwnd_, kTimer1Id);
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(hwnd_, msg, wp, lp);
}

// The Tab key's order: the tabs, the list of the page shown, OK, About. The
// dialog manager would follow the stacking order, where the lists lie above
// the tabs (so that they are drawn over the page) and so come before them.
std::array<HWND, 4> MainWindow::TabStops() const {
    return {tab_, lists_[static_cast<size_t>(form_.ActivePage)], ok_, about_};
}

// The keys this window answers before the dialog manager sees them; true
// when `msg` was handled. Enter belongs to the control with the focus: a list
// activates its row (as a double-click does), a button is pressed. Esc is
// left to the dialog manager, whose IDCANCEL this window ignores.
bool MainWindow::OwnKey(MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    if (msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) {
        const std::array<HWND, 4> stops = TabStops();
        const auto at = std::find(stops.begin(), stops.end(), msg.hwnd);
        if (at == stops.end() && msg.hwnd != hwnd_) return false;  // an in-place edit, for one
        const int n = static_cast<int>(stops.size());
        const bool back = GetKeyState(VK_SHIFT) < 0;
        const int from = at != stops.end() ? static_cast<int>(at - stops.begin()) : back ? 0 : n - 1;
        SetFocus(stops[static_cast<size_t>((from + (back ? n - 1 : 1)) % n)]);
        SendMessageA(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        return true;
    }
    if (msg.wParam != VK_RETURN) return false;
    if (msg.hwnd == ok_ || msg.hwnd == about_) {
        SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(msg.hwnd), BN_CLICKED),
                     reinterpret_cast<LPARAM>(msg.hwnd));
        return true;
    }
    if (TabFromList(msg.hwnd) < 0) return false;
    DispatchMessageA(&msg);  // the list reports the activation of its row
    return true;
}

int MainWindow::Run() {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    // Showing the window shows its active page, whose handler refreshes it.
    form_.FirstShow();
    Sync();
    UpdateWindow(hwnd_);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsWindow(hwnd_) && (OwnKey(msg) || IsDialogMessageA(hwnd_, &msg))) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

int RunMainWindow(TMainForm& form, HINSTANCE instance) {
    MainWindow window(form, instance);
    if (!window.Create()) return 1;
    return window.Run();
}

}  // namespace qm::win32
