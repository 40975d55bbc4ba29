#include "ui/win32/main_window.h"

#include "platform/win32/system_library.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"
#include "ui/win32/main_window_class.h"

namespace qm::win32 {

namespace {

constexpr int kClientWidth = 554, kClientHeight = 454;
constexpr int kTabHeight = 414;
constexpr int kButtonWidth = 75, kButtonHeight = 25;
// Not 1 and 2: the dialog manager, which the message loop runs for the
// keyboard, sends those as IDOK for Enter and IDCANCEL for Esc.
constexpr int kOkId = 20, kAboutId = 21, kChangesId = 22, kTabId = 3, kListIdBase = 100;
constexpr UINT_PTR kDeletionReportTimer = 1;
constexpr COLORREF kMaskColour = RGB(255, 0, 255);

}  // namespace

bool MainWindow::Create() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ObjectWindowProc<MainWindow>;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconW(instance_, L"MAINICON");
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, L"MAINICON", IMAGE_ICON, 16, 16, 0));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainWindowClass;
    RegisterClassExW(&wc);

    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_APPWINDOW;  // the window carries the program's taskbar button
    RECT r{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const int w = r.right - r.left, h = r.bottom - r.top;
    RECT desk{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &desk, 0);
    const int x = desk.left + ((desk.right - desk.left) - w) / 2, y = desk.top + ((desk.bottom - desk.top) - h) / 2;
    hwnd_ = CreateWindowExW(exStyle, kMainWindowClass, ShownWide(form_.Caption).c_str(), style, x, y, w, h, nullptr,
                            nullptr, instance_, this);
    SetShellOwnerWindow(ShellOwner::MainWindow, hwnd_);
    return hwnd_ != nullptr;
}

void MainWindow::CreateChildren() {
    font_.Reset(MakeFont(L"Tahoma", false));
    auto setFont = [this](HWND h) { SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE); };

    images_ = LoadCommonControls()->ImageList_LoadImageW(instance_, L"IMAGELIST1", 16, 0, kMaskColour, IMAGE_BITMAP,
                                                         LR_CREATEDIBSECTION);

    tab_ = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | TCS_MULTILINE,
                           0, 0, kClientWidth, kTabHeight, hwnd_, reinterpret_cast<HMENU>(kTabId), instance_, nullptr);
    setFont(tab_);
    TabCtrl_SetImageList(tab_, images_);
    for (int i = 0; i < form_.TabCount(); ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        const std::string& caption = form_.TabCaptions[static_cast<size_t>(i)];
        std::wstring text = ShownWide(caption);
        item.pszText = text.data();
        item.iImage = form_.CategoryOf(i).tabImage;
        SendMessageW(tab_, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        shownCaption_[static_cast<size_t>(i)] = caption;
    }

    for (int i = 0; i < form_.TabCount(); ++i) {
        const Category& c = form_.CategoryOf(i);
        HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                    WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SINGLESEL |
                                        LVS_OWNERDATA | LVS_EDITLABELS | LVS_SHAREIMAGELISTS,
                                    0, 0, 10, 10, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListIdBase + i)),
                                    instance_, nullptr);
        setFont(list);
        ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
        for (int col = 0; col < static_cast<int>(c.columns.size()); ++col) {
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
            std::wstring caption = ShownWide(c.columns[static_cast<size_t>(col)].caption);
            column.pszText = caption.data();
            column.cx = c.columns[static_cast<size_t>(col)].width;
            column.iSubItem = col;
            SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(col), reinterpret_cast<LPARAM>(&column));
        }
        // Cells are handed over in UTF-16: LVN_GETDISPINFOW.
        SendMessageW(list, LVM_SETUNICODEFORMAT, TRUE, 0);
        lists_[static_cast<size_t>(i)] = list;
        SetWindowPos(list, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }

    ok_ = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, kButtonWidth,
                          kButtonHeight, hwnd_, reinterpret_cast<HMENU>(kOkId), instance_, nullptr);
    about_ = CreateWindowExW(0, L"BUTTON", L"About", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0,
                             kButtonWidth, kButtonHeight, hwnd_, reinterpret_cast<HMENU>(kAboutId), instance_, nullptr);
    changes_ =
        CreateWindowExW(0, L"BUTTON", L"Changes...", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0,
                        kButtonWidth, kButtonHeight, hwnd_, reinterpret_cast<HMENU>(kChangesId), instance_, nullptr);
    bevel_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ, 0, 0, kClientWidth, 2, hwnd_,
                             nullptr, instance_, nullptr);
    setFont(ok_);
    setFont(about_);
    setFont(changes_);
    CreateMenus();
    TabCtrl_SetCurSel(tab_, form_.ActivePage);
    Layout(kClientWidth, kClientHeight);
    ShowActiveList();
    lastFocus_ = tab_;  // the first control in the Tab order
}

void MainWindow::Layout(int width, int height) {
    // The tabs follow every edge; the buttons and the bevel keep to the bottom right, "Changes..." left of About
    // with the same gap as between About and OK.
    MoveWindow(tab_, 0, 0, width, height - (kClientHeight - kTabHeight), TRUE);
    MoveWindow(ok_, width - (kClientWidth - 471), height - (kClientHeight - 416), kButtonWidth, kButtonHeight, TRUE);
    MoveWindow(about_, width - (kClientWidth - 382), height - (kClientHeight - 416), kButtonWidth, kButtonHeight, TRUE);
    MoveWindow(changes_, width - (kClientWidth - 293), height - (kClientHeight - 416), kButtonWidth, kButtonHeight,
               TRUE);
    MoveWindow(bevel_, 0, height - 8, width, 2, TRUE);
    RECT page{};
    GetClientRect(tab_, &page);
    TabCtrl_AdjustRect(tab_, FALSE, &page);
    for (HWND list : lists_)
        MoveWindow(list, page.left, page.top, page.right - page.left, page.bottom - page.top, TRUE);
}

void MainWindow::ShowActiveList() {
    for (int i = 0; i < form_.TabCount(); ++i)
        ShowWindow(lists_[static_cast<size_t>(i)], i == form_.ActivePage ? SW_SHOW : SW_HIDE);
}

// Brings the windows up to what the form holds now.
void MainWindow::Sync() {
    syncing_ = true;
    if (form_.Caption != shownTitle_) {
        SetWindowTextW(hwnd_, ShownWide(form_.Caption).c_str());
        shownTitle_ = form_.Caption;
    }
    bool captionsChanged = false;
    for (int i = 0; i < form_.TabCount(); ++i) {
        const size_t k = static_cast<size_t>(i);
        EntryList& model = form_.ListOf(i);
        HWND list = lists_[k];
        if (model.SmallImages() != shownSmall_[k]) {
            ListView_SetImageList(list, reinterpret_cast<HIMAGELIST>(model.SmallImages().Value()), LVSIL_SMALL);
            shownSmall_[k] = model.SmallImages();
        }
        if (model.LargeImages() != shownLarge_[k]) {
            ListView_SetImageList(list, reinterpret_cast<HIMAGELIST>(model.LargeImages().Value()), LVSIL_NORMAL);
            shownLarge_[k] = model.LargeImages();
        }
        if (model.Version() != shownVersion_[k]) {
            ListView_SetItemCountEx(list, model.Count(), LVSICF_NOSCROLL);
            ApplySelection(i);
            InvalidateRect(list, nullptr, TRUE);
            shownVersion_[k] = model.Version();
        }
        if (form_.TabCaptions[k] != shownCaption_[k]) {
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            const std::string& caption = form_.TabCaptions[k];
            std::wstring text = ShownWide(caption);
            item.pszText = text.data();
            SendMessageW(tab_, TCM_SETITEMW, k, reinterpret_cast<LPARAM>(&item));
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
    if (form_.deletionReportDue != timerRunning_) {
        if (form_.deletionReportDue) SetTimer(hwnd_, kDeletionReportTimer, MainForm::kDeletionReportDelayMs, nullptr);
        else KillTimer(hwnd_, kDeletionReportTimer);
        timerRunning_ = form_.deletionReportDue;
    }
    syncing_ = false;
    if (form_.Closed) DestroyWindow(hwnd_);
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
                form_.ShowAbout();
            } else if (clicked && id == kChangesId && reinterpret_cast<HWND>(lp) == changes_) {
                form_.ShowChanges();
            } else if (lp == 0 && id >= kMenuIdBase && id < kMenuIdBase + static_cast<UINT>(form_.TabCount()) * 8) {
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
            if (wp == kDeletionReportTimer) {
                form_.ReportServiceDeletions();
                Sync();
            }
            return 0;
        case WM_MEASUREITEM:
            if (MeasureMenuImage(*reinterpret_cast<MEASUREITEMSTRUCT*>(lp))) return TRUE;
            break;
        case WM_DRAWITEM:
            if (DrawMenuImage(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp))) return TRUE;
            break;
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
            SetShellOwnerWindow(ShellOwner::MainWindow, nullptr);
            if (timerRunning_) KillTimer(hwnd_, kDeletionReportTimer);
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

int MainWindow::Run() {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    // Showing the window shows its active page, whose handler refreshes it.
    form_.FirstShow();
    Sync();
    UpdateWindow(hwnd_);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsWindow(hwnd_) && (OwnKey(msg) || IsDialogMessageW(hwnd_, &msg))) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void RedrawMainWindow(HWND window) {
    if (!window || GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return;
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    if (lstrcmpW(cls, kMainWindowClass) != 0) return;
    if (auto* main = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA))) main->Refresh();
}

int RunMainWindow(MainForm& form, HINSTANCE instance) {
    MainWindow window(form, instance);
    if (!window.Create()) return 1;
    return window.Run();
}

}  // namespace qm::win32
