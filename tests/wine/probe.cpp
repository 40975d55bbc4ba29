// Looks at and drives the real program's windows from another process, the
// way a user or an accessibility tool would: window and tab captions, list
// rows, message boxes, tab clicks. Prints what it sees, one item a line.
//   qm_probe wait-main MS          wait until the main window is visible
//   qm_probe wait-idle CLASS MS    wait until a window of CLASS is shown and answers messages
//   qm_probe peak-memory CLASS     the peak working set of that window's process, in KiB
//   qm_probe dump                  caption, tab captions, rows of the shown list
//   qm_probe rows TAB              rows of the list on tab TAB (0-based)
//   qm_probe select-tab TAB        select a tab as a click would
//   qm_probe dialog TITLE MS [BUTTON]  wait for a message box, print its text, press the button
//                                  captioned BUTTON ("&Yes") or else its first button
//   qm_probe make-shortcut LNK TARGET  save a shell link at LNK pointing to TARGET
//   qm_probe special-folder CSIDL  print the path of a shell special folder
//   qm_probe no-dialog TITLE MS    fail if a message box with TITLE appears within MS
//   qm_probe row-colours TAB ROW   count the text colours drawn in one row of a list
//   qm_probe rclick TAB ROW        right-click a row, which opens the list's popup menu
//   qm_probe cancel-menu           close the popup menu that is open
//   qm_probe edit-caption TAB ROW TEXT  rename a row in place, as typing would
//   qm_probe close                 close the main window
//   qm_probe modules | plant-versions DIR   see probe_versions.cpp
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

HWND FindMain() {
    HWND w = FindWindowA("TMainForm", nullptr);
    return (w && IsWindowVisible(w)) ? w : nullptr;
}

// A block of memory inside the program's process, for messages that carry pointers.
class Remote {
public:
    Remote(HWND window, size_t size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_) memory_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~Remote() {
        if (memory_) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    Remote(const Remote&) = delete;
    Remote& operator=(const Remote&) = delete;
    bool Ok() const { return memory_ != nullptr; }
    char* At(size_t offset) const { return static_cast<char*>(memory_) + offset; }
    void Write(size_t offset, const void* data, size_t n) { WriteProcessMemory(process_, At(offset), data, n, nullptr); }
    void Read(size_t offset, void* data, size_t n) { ReadProcessMemory(process_, At(offset), data, n, nullptr); }

private:
    HANDLE process_ = nullptr;
    void* memory_ = nullptr;
    size_t size_;
};

constexpr size_t kTextOffset = 1024, kTextSize = 4096;

std::string TabText(HWND tab, int index) {
    Remote remote(tab, kTextOffset + kTextSize);
    if (!remote.Ok()) return "?";
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = remote.At(kTextOffset);
    item.cchTextMax = kTextSize;
    remote.Write(0, &item, sizeof(item));
    SendMessageA(tab, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote.At(0)));
    std::vector<char> text(kTextSize, '\0');
    remote.Read(kTextOffset, text.data(), text.size() - 1);
    return text.data();
}

std::string CellText(HWND list, int row, int column) {
    Remote remote(list, kTextOffset + kTextSize);
    if (!remote.Ok()) return "?";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = remote.At(kTextOffset);
    item.cchTextMax = kTextSize;
    remote.Write(0, &item, sizeof(item));
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.At(0)));
    std::vector<char> text(kTextSize, '\0');
    remote.Read(kTextOffset, text.data(), text.size() - 1);
    return text.data();
}

HWND ChildOfClass(HWND parent, const char* cls, int id = -1) {
    for (HWND c = FindWindowExA(parent, nullptr, cls, nullptr); c; c = FindWindowExA(parent, c, cls, nullptr))
        if (id < 0 || GetDlgCtrlID(c) == id) return c;
    return nullptr;
}

void PrintRows(HWND main, int tab) {
    HWND list = ChildOfClass(main, "SysListView32", 100 + tab);
    if (!list) {
        std::printf("no list %d\n", tab);
        return;
    }
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    int columns = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    std::printf("list %d rows=%d\n", tab, rows);
    for (int r = 0; r < rows; ++r) {
        std::string line = "row=";
        for (int c = 0; c < columns; ++c) line += (c ? "|" : "") + CellText(list, r, c);
        std::printf("%s\n", line.c_str());
    }
}

bool WaitFor(HWND (*find)(), DWORD ms, HWND& out) {
    for (DWORD waited = 0; waited <= ms; waited += 50) {
        if ((out = find())) return true;
        Sleep(50);
    }
    return false;
}

std::string gTitle;
HWND FindDialog() {
    HWND w = FindWindowA("#32770", gTitle.c_str());
    return (w && IsWindowVisible(w)) ? w : nullptr;
}

std::string DialogText(HWND dialog) {
    std::string text;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[64] = {}, buffer[2048] = {};
        GetClassNameA(c, cls, sizeof(cls));
        GetWindowTextA(c, buffer, sizeof(buffer));
        if (lstrcmpiA(cls, "Static") == 0 && buffer[0]) text = buffer;
    }
    return text;
}

// ---- The Item Properties dialog and the list actions that open it.
//   qm_probe select-row TAB ROW      select and focus a row of a list, as a click does
//   qm_probe dblclick TAB ROW        double-click a row with the mouse
//   qm_probe menu TAB COMMAND        choose a popup menu item (0 delete, 1 disable, 2 jump, 3 properties)
//   qm_probe item-form MS            wait up to MS for the dialog, then print its state
//   qm_probe item-set CONTROL TEXT   type TEXT into Edit1, Edit2 or Edit3
//   qm_probe item-press WHAT         OK, Cancel, BitBtn1, SpeedButton1, Esc, Enter or Close
//   qm_probe window-title TEXT MS    wait for a visible top-level window whose title contains
//                                    TEXT, print it and close it
struct ItemControl {
    const char* name;
    int id;
    bool onPage;
};
constexpr ItemControl kItemControls[] = {
    {"Image1", 101, true},  {"Label1", 102, true},  {"Edit1", 103, true},        {"Edit2", 104, true},
    {"Edit3", 105, true},   {"BitBtn1", 106, true}, {"Label6", 107, true},       {"Label8", 108, true},
    {"Label10", 109, true}, {"SpeedButton1", 110, true}, {"Image2", 111, true},  {"Button1", IDOK, false},
    {"Button2", IDCANCEL, false},
};

HWND FindItemForm() { return FindWindowA("TItemForm", "Item Properties"); }
HWND FindVisibleItemForm() {
    HWND w = FindItemForm();
    return (w && IsWindowVisible(w)) ? w : nullptr;
}

std::string ControlText(HWND w) {
    char text[2048] = {};
    SendMessageA(w, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));  // marshalled across processes
    return text;
}

const char* ItemControlName(HWND form, HWND w) {
    for (const ItemControl& c : kItemControls)
        if (w && GetDlgItem(form, c.id) == w) return c.name;
    return "other";
}

int PrintItemForm(DWORD ms) {
    HWND form = nullptr;
    WaitFor(FindVisibleItemForm, ms, form);
    if (!form) form = FindItemForm();
    if (!form) {
        std::printf("no item form\n");
        return 1;
    }
    std::printf("item visible=%d\n", IsWindowVisible(form) ? 1 : 0);
    std::printf("caption=%s\n", ControlText(form).c_str());
    RECT client{};
    GetClientRect(form, &client);
    std::printf("client=%ldx%ld\n", client.right, client.bottom);
    HWND owner = GetWindow(form, GW_OWNER);
    std::printf("owner=%s\n", owner && owner == FindWindowA("TMainForm", nullptr) ? "main" : "none");
    // The page's client area: the page control's display rectangle.
    HWND pages = GetDlgItem(form, 100);
    RECT pageRect{};
    GetWindowRect(pages, &pageRect);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&pageRect), 2);
    std::printf("pages=%ld,%ld,%ld,%ld\n", pageRect.left, pageRect.top, pageRect.right - pageRect.left,
                pageRect.bottom - pageRect.top);
    POINT origin{pageRect.left, pageRect.top};
    {
        Remote remote(pages, sizeof(RECT));
        RECT display{0, 0, pageRect.right - pageRect.left, pageRect.bottom - pageRect.top};
        remote.Write(0, &display, sizeof(display));
        SendMessageA(pages, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(remote.At(0)));
        remote.Read(0, &display, sizeof(display));
        origin.x += display.left;
        origin.y += display.top;
    }
    std::printf("page=%s\n", TabText(pages, 0).c_str());
    for (const ItemControl& c : kItemControls) {
        HWND w = GetDlgItem(form, c.id);
        if (!w) {
            std::printf("missing %s\n", c.name);
            continue;
        }
        RECT r{};
        GetWindowRect(w, &r);
        MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
        const long x = r.left - (c.onPage ? origin.x : 0), y = r.top - (c.onPage ? origin.y : 0);
        std::printf("at %s=%ld,%ld,%ld,%ld\n", c.name, x, y, r.right - r.left, r.bottom - r.top);
        if (c.id == 101 || c.id == 111)
            std::printf("%s icon=%d\n", c.name, SendMessageA(w, STM_GETICON, 0, 0) ? 1 : 0);
        else
            std::printf("%s=%s\n", c.name, ControlText(w).c_str());
    }
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &info);
    std::printf("focus=%s\n", ItemControlName(form, info.hwndFocus));
    std::printf("active=%s\n", info.hwndActive == form ? "item" : info.hwndActive == FindMain() ? "main" : "other");
    // Tab order: the controls the Tab key visits, from Edit1 on.
    std::string order;
    HWND start = GetDlgItem(form, 103), w = start;
    for (int i = 0; i < 10 && w; ++i) {
        order += std::string(order.empty() ? "" : ",") + ItemControlName(form, w);
        w = GetNextDlgTabItem(form, w, FALSE);
        if (w == start) break;
    }
    std::printf("tab order=%s\n", order.c_str());
    const LRESULT def = SendMessageA(form, DM_GETDEFID, 0, 0);
    std::printf("default=%s\n", HIWORD(def) == DC_HASDEFID ? ItemControlName(form, GetDlgItem(form, LOWORD(def))) : "none");
    return 0;
}

void PostKey(HWND w, WPARAM key) {
    PostMessageA(w, WM_KEYDOWN, key, 1);
    PostMessageA(w, WM_KEYUP, key, 0xC0000001);
}

// "Enter" or "Esc" to the control of `window` that holds the focus, or
// "Close" from the window's system menu; false for anything else.
bool PressWindowKey(HWND window, const std::string& what) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    HWND focus = info.hwndFocus ? info.hwndFocus : window;
    if (what == "Enter") PostKey(focus, VK_RETURN);
    else if (what == "Esc") PostKey(focus, VK_ESCAPE);
    else if (what == "Close") PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    else return false;
    return true;
}

// The rectangle of one row of another process's list (LVIR_BOUNDS, LVIR_LABEL ...).
RECT RowRect(HWND list, int row, int part) {
    Remote remote(list, sizeof(RECT));
    RECT r{part, 0, 0, 0};
    remote.Write(0, &r, sizeof(r));
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.At(0)));
    remote.Read(0, &r, sizeof(r));
    return r;
}

// A point on a row's label, as a mouse message carries it.
LPARAM RowPoint(HWND list, int row) {
    const RECT r = RowRect(list, row, LVIR_LABEL);
    return MAKELPARAM(r.left + 4, (r.top + r.bottom) / 2);
}

std::string gTitlePart;
BOOL CALLBACK MatchTitle(HWND w, LPARAM lp) {
    char title[512] = {};
    GetWindowTextA(w, title, sizeof(title));
    if (!IsWindowVisible(w) || !std::strstr(title, gTitlePart.c_str())) return TRUE;
    *reinterpret_cast<HWND*>(lp) = w;
    return FALSE;
}
HWND FindTitled() {
    HWND found = nullptr;
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&found));
    return found;
}

int ItemFormCommand(const std::string& command, int argc, char** argv) {
    if (command == "item-form") return PrintItemForm(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 0);
    if (command == "window-title" && argc > 2) {
        gTitlePart = argv[2];
        HWND w = nullptr;
        if (!WaitFor(FindTitled, argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 5000, w)) {
            std::printf("no window titled %s\n", argv[2]);
            return 1;
        }
        char title[512] = {}, cls[128] = {};
        GetWindowTextA(w, title, sizeof(title));
        GetClassNameA(w, cls, sizeof(cls));
        std::printf("window=%s\nclass=%s\n", title, cls);
        PostMessageA(w, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == "item-set" && argc > 3) {
        HWND form = FindItemForm();
        for (const ItemControl& c : kItemControls)
            if (form && std::string(c.name) == argv[2]) {
                SendMessageA(GetDlgItem(form, c.id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]));
                return 0;
            }
        return 1;
    }
    if (command == "item-press" && argc > 2) {
        HWND form = FindItemForm();
        if (!form) return 1;
        const std::string what = argv[2];
        if (PressWindowKey(form, what)) return 0;
        if (what == "SpeedButton1") {
            HWND link = GetDlgItem(form, 110);
            PostMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            PostMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        } else {
            const int id = what == "OK" ? IDOK : what == "Cancel" ? IDCANCEL : what == "BitBtn1" ? 106 : 0;
            if (!id) return 2;
            PostMessageA(GetDlgItem(form, id), BM_CLICK, 0, 0);
        }
        return 0;
    }
    HWND main = FindMain();
    if (!main) {
        std::printf("no main window\n");
        return 1;
    }
    if (command == "menu" && argc > 3) {
        const int id = 1000 + std::atoi(argv[2]) * 8 + std::atoi(argv[3]);
        PostMessageA(main, WM_COMMAND, static_cast<WPARAM>(id), 0);
        return 0;
    }
    const int tab = argc > 2 ? std::atoi(argv[2]) : 0, row = argc > 3 ? std::atoi(argv[3]) : 0;
    HWND list = ChildOfClass(main, "SysListView32", 100 + tab);
    if (!list) return 1;
    if (command == "select-row") {
        Remote remote(list, sizeof(LVITEMA));
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        remote.Write(0, &item, sizeof(item));
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.At(0)));
        return 0;
    }
    if (command == "dblclick") {
        const LPARAM at = RowPoint(list, row);
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
        PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
        return 0;
    }
    return 2;
}

int MakeShortcut(const char* lnk, const char* target) {
    if (FAILED(CoInitialize(nullptr))) return 1;
    HRESULT hr = E_FAIL;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->SetPath(target)) &&
            SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t wide[MAX_PATH] = {};
            MultiByteToWideChar(CP_ACP, 0, lnk, -1, wide, MAX_PATH);
            hr = file->Save(wide, TRUE);
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return SUCCEEDED(hr) ? 0 : 1;
}

// ---- The About dialog and the Registry Editor that Jump To drives.
//   qm_probe about-press             press the main window's About button
//   qm_probe about MS                wait up to MS for the About dialog, print what it shows
//   qm_probe about-key WHAT          Enter, Esc (to the focused control) or Close (the close box)
//   qm_probe about-move X Y          move the About dialog (for a screenshot under Wine)
//   qm_probe about-gone MS           wait up to MS until no About dialog is left
//   qm_probe jump TAB                choose "&Jump To..." on a list and wait until it has run
//   qm_probe regedit-selection       the path of the node selected in the Registry Editor's key tree
//   qm_probe regedit-close MS        close every Registry Editor and wait for them to go
HWND FindAbout() {
    HWND w = FindWindowA("#32770", "About Quellmark");
    return (w && IsWindowVisible(w)) ? w : nullptr;
}
HWND NoAbout() { return FindAbout() ? nullptr : GetDesktopWindow(); }

int PrintAbout(HWND about) {
    char title[256] = {};
    GetWindowTextA(about, title, sizeof(title));
    std::printf("about=%p\ntitle=%s\n", static_cast<void*>(about), title);
    RECT client{};
    GetClientRect(about, &client);
    std::printf("client=%ldx%ld\n", client.right, client.bottom);
    std::printf("topmost=%d\n", (GetWindowLongA(about, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0);
    HWND main = FindWindowA("TMainForm", nullptr);
    std::printf("owner=%s\n", main && GetWindow(about, GW_OWNER) == main ? "main" : "other");
    std::printf("main enabled=%d\n", main && IsWindowEnabled(main) ? 1 : 0);
    for (HWND c = GetWindow(about, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[64] = {};
        GetClassNameA(c, cls, sizeof(cls));
        RECT r{};
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, about, reinterpret_cast<POINT*>(&r), 2);
        const LONG style = GetWindowLongA(c, GWL_STYLE);
        std::string kind = lstrcmpiA(cls, "Static") == 0 ? ((style & SS_TYPEMASK) == SS_ICON ? "icon" : "label")
                           : (style & BS_TYPEMASK) == BS_OWNERDRAW ? "link"
                           : (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON ? "default button" : "button";
        if (kind == "icon")
            std::printf("icon at %ld,%ld size %ldx%ld loaded=%d\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
                        SendMessageA(c, STM_GETICON, 0, 0) ? 1 : 0);
        else
            std::printf("%s at %ld,%ld=%s\n", kind.c_str(), r.left, r.top, ControlText(c).c_str());
    }
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(about, nullptr), &info);
    std::printf("focus=%s\n", ControlText(info.hwndFocus).c_str());
    return 0;
}

// The first window of `cls` among all descendants of `top`.
HWND FindDescendant(HWND top, const char* cls) {
    if (HWND direct = FindWindowExA(top, nullptr, cls, nullptr)) return direct;
    for (HWND c = FindWindowExA(top, nullptr, nullptr, nullptr); c; c = FindWindowExA(top, c, nullptr, nullptr))
        if (HWND found = FindDescendant(c, cls)) return found;
    return nullptr;
}

std::string TreeItemText(HWND tree, HTREEITEM item) {
    Remote remote(tree, kTextOffset + kTextSize);
    if (!remote.Ok()) return "?";
    TVITEMA tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = remote.At(kTextOffset);
    tv.cchTextMax = kTextSize;
    remote.Write(0, &tv, sizeof(tv));
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.At(0)));
    std::vector<char> text(kTextSize, '\0');
    remote.Read(kTextOffset, text.data(), text.size() - 1);
    return text.data();
}

BOOL CALLBACK CountEditors(HWND w, LPARAM count) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof(cls));
    if (lstrcmpA(cls, "RegEdit_RegEdit") == 0) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int AboutJumpCommand(const std::string& command, int argc, char** argv) {
    const DWORD ms = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 10000;
    if (command == "about") {
        HWND about = nullptr;
        if (!WaitFor(FindAbout, ms, about)) {
            std::printf("no about dialog\n");
            return 1;
        }
        return PrintAbout(about);
    }
    if (command == "about-gone") {
        HWND none = nullptr;
        const bool gone = WaitFor(NoAbout, ms, none);
        HWND main = FindWindowA("TMainForm", nullptr);
        std::printf("%s\nmain enabled=%d\n", gone ? "about closed" : "about still open",
                    main && IsWindowEnabled(main) ? 1 : 0);
        return gone ? 0 : 1;
    }
    if (command == "about-move" && argc > 3) {
        // Wine without a window manager leaves a popup that lies wholly inside
        // its owner undrawn; a screenshot needs it moved partly outside.
        HWND about = FindAbout();
        if (!about) return 1;
        SetWindowPos(about, nullptr, std::atoi(argv[2]), std::atoi(argv[3]), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    if (command == "about-key" && argc > 2) {
        HWND about = FindAbout();
        if (!about) return 1;
        return PressWindowKey(about, argv[2]) ? 0 : 2;
    }
    if (command == "regedit-selection") {
        int editors = 0;
        EnumWindows(CountEditors, reinterpret_cast<LPARAM>(&editors));
        std::printf("editors=%d\n", editors);
        HWND editor = FindWindowA("RegEdit_RegEdit", nullptr);
        HWND tree = editor ? FindDescendant(editor, "SysTreeView32") : nullptr;
        if (!tree) {
            std::printf("no key tree\n");
            return 1;
        }
        std::printf("tree is %s\n", GetParent(tree) == editor ? "a child" : "deeper");
        std::string path;
        for (HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)); item;
             item = reinterpret_cast<HTREEITEM>(
                 SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item))))
            path = TreeItemText(tree, item) + (path.empty() ? "" : "\\" + path);
        std::printf("selected=%s\n", path.c_str());
        return 0;
    }
    if (command == "regedit-close") {
        for (HWND w; (w = FindWindowA("RegEdit_RegEdit", nullptr));) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
            PostMessageA(w, WM_CLOSE, 0, 0);
            if (process && WaitForSingleObject(process, ms) != WAIT_OBJECT_0) TerminateProcess(process, 1);
            if (process) CloseHandle(process);
            if (!process) break;
        }
        std::printf("editors closed\n");
        return 0;
    }
    HWND main = FindMain();
    if (!main) {
        std::printf("no main window\n");
        return 1;
    }
    if (command == "about-press") {
        HWND button = GetDlgItem(main, 2);
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        return 0;
    }
    if (command == "jump" && argc > 2) {
        // Sent, not posted: the call returns when the handler has run, keystrokes and pauses included.
        const WPARAM id = static_cast<WPARAM>(1000 + std::atoi(argv[2]) * 8 + 2);
        DWORD_PTR result = 0;
        const bool ran = SendMessageTimeoutA(main, WM_COMMAND, id, 0, SMTO_NORMAL, 60000, &result) != 0;
        std::printf("%s\n", ran ? "jump done" : "jump timed out");
        return ran ? 0 : 1;
    }
    return 2;
}

}  // namespace

// probe_versions.cpp: modules, plant-versions.
int VersionProbeCommand(const std::string& command, int argc, char** argv);

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string command = argv[1];
    if (command == "modules" || command == "plant-versions") return VersionProbeCommand(command, argc, argv);
    if (command.rfind("about", 0) == 0 || command == "jump" || command.rfind("regedit-", 0) == 0)
        return AboutJumpCommand(command, argc, argv);
    if (command.rfind("item-", 0) == 0 || command == "select-row" || command == "dblclick" || command == "menu" ||
        command == "window-title")
        return ItemFormCommand(command, argc, argv);
    HWND main = nullptr;
    if (command == "wait-main") {
        if (!WaitFor(FindMain, argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 10000, main)) {
            std::printf("no main window\n");
            return 1;
        }
        std::printf("main window\n");
        return 0;
    }
    if ((command == "wait-idle" || command == "peak-memory") && argc > 2) {
        const DWORD ms = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 60000;
        HWND w = nullptr;
        for (DWORD waited = 0; !(w = FindWindowA(argv[2], nullptr)) || !IsWindowVisible(w); waited += 5) {
            if (waited > ms) return 1;
            Sleep(5);
        }
        if (command == "wait-idle") {
            DWORD_PTR result = 0;
            // Answered only once the program's start-up work is done and its loop runs.
            return SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, ms, &result) ? 0 : 1;
        }
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof(counters);
        if (!process || !GetProcessMemoryInfo(process, &counters, sizeof(counters))) return 1;
        CloseHandle(process);
        std::printf("%lu\n", static_cast<unsigned long>(counters.PeakWorkingSetSize / 1024));
        return 0;
    }
    if (command == "make-shortcut" && argc > 3) return MakeShortcut(argv[2], argv[3]);
    if (command == "special-folder" && argc > 2) {
        char path[MAX_PATH] = {};
        if (!SHGetSpecialFolderPathA(nullptr, path, std::atoi(argv[2]), FALSE)) return 1;
        std::printf("%s\n", path);
        return 0;
    }
    if (command == "close-class" && argc > 2) {
        HWND w = FindWindowA(argv[2], nullptr);
        if (w) PostMessageA(w, WM_CLOSE, 0, 0);
        return w ? 0 : 1;
    }
    if (command == "dialog" || command == "no-dialog") {
        gTitle = argc > 2 ? argv[2] : "";
        DWORD ms = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 10000;
        HWND dialog = nullptr;
        bool found = WaitFor(FindDialog, ms, dialog);
        if (command == "no-dialog") {
            if (found) std::printf("unexpected dialog: %s\n", DialogText(dialog).c_str());
            return found ? 1 : 0;
        }
        if (!found) {
            std::printf("no dialog %s\n", gTitle.c_str());
            return 1;
        }
        std::printf("dialog=%s\n", DialogText(dialog).c_str());
        // The button to press: the one captioned argv[4] ("&Yes", "&No"), else the first.
        HWND button = FindWindowExA(dialog, nullptr, "Button", argc > 4 ? argv[4] : nullptr);
        if (button) PostMessageA(button, BM_CLICK, 0, 0);
        return 0;
    }
    if (!(main = FindMain())) {
        std::printf("no main window\n");
        return 1;
    }
    HWND tab = ChildOfClass(main, "SysTabControl32");
    if (command == "dump") {
        char caption[512] = {};
        GetWindowTextA(main, caption, sizeof(caption));
        std::printf("caption=%s\n", caption);
        int count = static_cast<int>(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) std::printf("tab%d=%s\n", i, TabText(tab, i).c_str());
        int active = static_cast<int>(SendMessageA(tab, TCM_GETCURSEL, 0, 0));
        std::printf("active=%d\n", active);
        PrintRows(main, active);
        return 0;
    }
    if (command == "rows" && argc > 2) {
        PrintRows(main, std::atoi(argv[2]));
        return 0;
    }
    if (command == "select-tab" && argc > 2) {
        // Moving the focus to a tab selects it and notifies the window, as a click does.
        SendMessageA(tab, TCM_SETCURFOCUS, static_cast<WPARAM>(std::atoi(argv[2])), 0);
        return 0;
    }
    if ((command == "rclick" || command == "edit-caption") && argc > 3) {
        HWND list = ChildOfClass(main, "SysListView32", 100 + std::atoi(argv[2]));
        if (!list) return 1;
        const int row = std::atoi(argv[3]);
        if (command == "edit-caption") {
            if (argc < 5) return 2;
            SetForegroundWindow(main);
            HWND edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, static_cast<WPARAM>(row), 0));
            if (!edit) return 1;
            SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));
            // Enter ends the edit and hands the text to the list's owner.
            SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
            return 0;
        }
        const LPARAM at = RowPoint(list, row);
        PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, at);
        PostMessageA(list, WM_RBUTTONUP, 0, at);
        return 0;
    }
    if (command == "cancel-menu") {
        SendMessageA(main, WM_CANCELMODE, 0, 0);  // ends an open popup menu
        return 0;
    }
    if (command == "row-colours" && argc > 3) {
        HWND list = ChildOfClass(main, "SysListView32", 100 + std::atoi(argv[2]));
        if (!list) return 1;
        RECT r = RowRect(list, std::atoi(argv[3]), LVIR_BOUNDS);
        // Read what the screen shows: the list's own device context belongs to the program.
        POINT origin{0, 0};
        ClientToScreen(list, &origin);
        OffsetRect(&r, origin.x, origin.y);
        HDC dc = GetDC(nullptr);
        int silver = 0, red = 0, black = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                COLORREF c = GetPixel(dc, x, y);
                if (c == RGB(192, 192, 192)) ++silver;
                else if (c == RGB(255, 0, 0)) ++red;
                else if (c == RGB(0, 0, 0)) ++black;
            }
        ReleaseDC(nullptr, dc);
        std::printf("silver=%d red=%d black=%d\n", silver, red, black);
        return 0;
    }
    if (command == "close") {
        PostMessageA(main, WM_CLOSE, 0, 0);
        return 0;
    }
    return 2;
}
