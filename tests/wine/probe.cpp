// Looks at and drives the real program's windows from another process, the
// way a user or an accessibility tool would: window and tab captions, list
// rows, message boxes, tab clicks. Prints what it sees, one item a line.
//   qm_probe wait-main MS          wait until the main window is visible
//   qm_probe wait-idle CLASS MS    wait until a window of CLASS is shown and answers messages
//   qm_probe peak-memory CLASS     the peak working set of that window's process, in KiB
//   qm_probe dump                  caption, tab captions, rows of the shown list
//   qm_probe rows TAB              rows of the list on tab TAB (0-based)
//   qm_probe layout                the main window's client size and where each of its
//                                  controls but the lists lies, with its class and text
//   qm_probe select-tab TAB        select a tab as a click would
//   qm_probe dialog TITLE MS [BUTTON]  wait for a message box, print its text, press the button
//                                  captioned BUTTON ("&Yes") or else its first button
//   qm_probe dialog-open TITLE MS  wait for a message box and print its text, pressing nothing
//   qm_probe make-shortcut LNK TARGET  save a shell link at LNK pointing to TARGET
//   qm_probe special-folder CSIDL  print the path of a shell special folder
//   qm_probe no-dialog TITLE MS    fail if a message box with TITLE appears within MS
//   qm_probe row-colours TAB ROW   count the text colours drawn in one row of a list
//   qm_probe rclick TAB ROW        right-click a row, which opens the list's popup menu
//   qm_probe cancel-menu           close the popup menu that is open
//   qm_probe edit-caption TAB ROW TEXT  rename a row in place, as typing would
//   qm_probe close                 close the main window
//   qm_probe modules | plant-versions DIR | plant-version ...   see probe_versions.cpp
//   qm_probe process-facts CLASS [CHILD.EXE] VARIABLE           see probe_process.cpp
//   qm_probe set-value KEY NAME TEXT    write a REG_SZ value (the key made if missing)
//   qm_probe values KEY            print each value of KEY as value=NAME|TEXT
//   qm_probe delete-value KEY NAME | delete-key KEY   (a key without sub-keys)
//   qm_probe display-name SERVICE TEXT  give a service another display name
//   qm_probe start-type SERVICE [N]  print a service's start type (start=N), then set it to N
//   qm_probe args-from FILE        run the command whose arguments are the lines of FILE
//   qm_probe spawn-units EXE ARG...  run EXE with the ARGs, each \uXXXX in them one UTF-16
//                                  unit (a lone surrogate too), on the probe's standard
//                                  handles; exits with EXE's exit code
// Texts go in and out in UTF-8: what the probe prints is the program's text
// whole, in any script, and `args-from` takes arguments in any script
// whatever the locale Wine turns a command line into characters with.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <shlobj.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
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
    void Write(size_t offset, const void* data, size_t n) {
        WriteProcessMemory(process_, At(offset), data, n, nullptr);
    }
    void Read(size_t offset, void* data, size_t n) { ReadProcessMemory(process_, At(offset), data, n, nullptr); }

private:
    HANDLE process_ = nullptr;
    void* memory_ = nullptr;
    size_t size_;
};

constexpr size_t kTextOffset = 1024, kTextSize = 4096;

// A wide text in UTF-8, every character as it is (the program's symbol for
// a NUL inside a name, U+2400, included).
std::string ShownUtf8(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

std::wstring WideOf(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), n);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

std::string TabText(HWND tab, int index) {
    Remote remote(tab, kTextOffset + kTextSize * sizeof(wchar_t));
    if (!remote.Ok()) return "?";
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = reinterpret_cast<wchar_t*>(remote.At(kTextOffset));
    item.cchTextMax = kTextSize;
    remote.Write(0, &item, sizeof(item));
    SendMessageW(tab, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote.At(0)));
    std::vector<wchar_t> text(kTextSize, L'\0');
    remote.Read(kTextOffset, text.data(), (text.size() - 1) * sizeof(wchar_t));
    return ShownUtf8(text.data());
}

std::string CellText(HWND list, int row, int column) {
    Remote remote(list, kTextOffset + kTextSize * sizeof(wchar_t));
    if (!remote.Ok()) return "?";
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(remote.At(kTextOffset));
    item.cchTextMax = kTextSize;
    remote.Write(0, &item, sizeof(item));
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.At(0)));
    std::vector<wchar_t> text(kTextSize, L'\0');
    remote.Read(kTextOffset, text.data(), (text.size() - 1) * sizeof(wchar_t));
    return ShownUtf8(text.data());
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
        char cls[64] = {};
        wchar_t buffer[2048] = {};
        GetClassNameA(c, cls, sizeof(cls));
        GetWindowTextW(c, buffer, 2048);
        if (lstrcmpiA(cls, "Static") == 0 && buffer[0]) text = ShownUtf8(buffer);
    }
    return text;
}

// ---- The Item Properties dialog and the list actions that open it.
//   qm_probe select-row TAB ROW      select and focus a row of a list, as a click does
//   qm_probe dblclick TAB ROW        double-click a row with the mouse
//   qm_probe menu TAB COMMAND        choose a popup menu item (0 delete, 1 disable, 2 jump, 3 properties)
//   qm_probe item-form MS            wait up to MS for the dialog, then print its state
//   qm_probe item-set CONTROL TEXT   type TEXT into command, name or location
//   qm_probe item-press WHAT         OK, Cancel, find-target, properties-link, Esc, Enter or Close
//   qm_probe window-title TEXT MS    wait for a visible top-level window whose title contains
//                                    TEXT, print it and close it
struct ItemControl {
    const char* name;
    int id;
    bool onPage;
};
constexpr ItemControl kItemControls[] = {
    {"program-icon", 101, true},
    {"title", 102, true},
    {"command", 103, true},
    {"name", 104, true},
    {"location", 105, true},
    {"find-target", 106, true},
    {"company", 107, true},
    {"description", 108, true},
    {"version", 109, true},
    {"properties-link", 110, true},
    {"link-icon", 111, true},
    {"ok-button", IDOK, false},
    {"cancel-button", IDCANCEL, false},
    {"state", 112, true},
};

HWND FindItemForm() { return FindWindowA("TItemForm", "Item Properties"); }
HWND FindVisibleItemForm() {
    HWND w = FindItemForm();
    return (w && IsWindowVisible(w)) ? w : nullptr;
}

std::string ControlText(HWND w) {
    wchar_t text[2048] = {};
    SendMessageW(w, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text));  // marshalled across processes
    return ShownUtf8(text);
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
        if (c.id == 101 || c.id == 111) std::printf("%s icon=%d\n", c.name, SendMessageA(w, STM_GETICON, 0, 0) ? 1 : 0);
        else std::printf("%s=%s\n", c.name, ControlText(w).c_str());
    }
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &info);
    std::printf("focus=%s\n", ItemControlName(form, info.hwndFocus));
    std::printf("active=%s\n", info.hwndActive == form ? "item" : info.hwndActive == FindMain() ? "main" : "other");
    // Tab order: the controls the Tab key visits, from command on.
    std::string order;
    HWND start = GetDlgItem(form, 103), w = start;
    for (int i = 0; i < 10 && w; ++i) {
        order += std::string(order.empty() ? "" : ",") + ItemControlName(form, w);
        w = GetNextDlgTabItem(form, w, FALSE);
        if (w == start) break;
    }
    std::printf("tab order=%s\n", order.c_str());
    const LRESULT def = SendMessageA(form, DM_GETDEFID, 0, 0);
    std::printf("default=%s\n",
                HIWORD(def) == DC_HASDEFID ? ItemControlName(form, GetDlgItem(form, LOWORD(def))) : "none");
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
        if (what == "properties-link") {
            HWND link = GetDlgItem(form, 110);
            PostMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            PostMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        } else {
            const int id = what == "OK" ? IDOK : what == "Cancel" ? IDCANCEL : what == "find-target" ? 106 : 0;
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

// A pipe \\.\pipe\NAME whose server never answers, as a program of the
// user may offer one: a client that opens it and reads waits for ever.
// Prints "pipe=ready", then "pipe=connected" as soon as anyone opens it, or
// "pipe=untouched" once release NAME (or a minute) ends the wait.
int HoldPipe(const std::string& name) {
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, (name + "-stop").c_str());
    HANDLE pipe = CreateNamedPipeA(("\\\\.\\pipe\\" + name).c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                   PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
    if (!stop || pipe == INVALID_HANDLE_VALUE) {
        std::printf("pipe=failed\n");
        return 1;
    }
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const bool connected = !ConnectNamedPipe(pipe, &overlapped) && GetLastError() == ERROR_PIPE_CONNECTED;
    std::printf("pipe=ready\n");
    std::fflush(stdout);
    HANDLE events[2] = {overlapped.hEvent, stop};
    const DWORD which = connected ? WAIT_OBJECT_0 : WaitForMultipleObjects(2, events, FALSE, 60000);
    std::printf(which == WAIT_OBJECT_0 ? "pipe=connected\n" : "pipe=untouched\n");
    if (which == WAIT_OBJECT_0) {
        // Hold the client a while, as a hostile server would, then let go.
        WaitForSingleObject(stop, 60000);
    }
    CloseHandle(pipe);
    CloseHandle(overlapped.hEvent);
    CloseHandle(stop);
    return 0;
}

// An argument whose \uXXXX escapes are each one UTF-16 unit, as no command
// line Wine makes from Unix text can hold an unpaired surrogate.
std::wstring Units(const std::string& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\\u") == 0 && i + 6 <= text.size()) {
            out.push_back(static_cast<wchar_t>(std::strtoul(text.substr(i + 2, 4).c_str(), nullptr, 16)));
            i += 5;
        } else {
            out.push_back(static_cast<unsigned char>(text[i]));  // the tests' escaped arguments are ASCII
        }
    }
    return out;
}

// Runs `program` with `args` (no quotes inside them), its standard handles
// the probe's own; its exit code, or 255 when it could not be started.
int SpawnUnits(const char* program, int count, char** args) {
    std::wstring line = L"\"" + WideOf(program) + L"\"";
    for (int i = 0; i < count; ++i) line += L" \"" + Units(args[i]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started))
        return 255;
    WaitForSingleObject(started.hProcess, 60000);
    DWORD code = 255;
    GetExitCodeProcess(started.hProcess, &code);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return static_cast<int>(code);
}

// Holds a file open and shared with no one, as another program may hold the
// file a report is to replace: prints "file=held", then waits for release
// NAME (or a minute).
int HoldFile(const char* path, const std::string& name) {
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, (name + "-stop").c_str());
    HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!stop || file == INVALID_HANDLE_VALUE) {
        std::printf("file=failed\n");
        return 1;
    }
    std::printf("file=held\n");
    std::fflush(stdout);
    WaitForSingleObject(stop, 60000);
    CloseHandle(file);
    CloseHandle(stop);
    return 0;
}

// A window of the Registry Editor's class, with a key tree, made by this
// probe as any program of the user could: foreign-editor NAME prints
// "foreign=ready", then answers no message at all until release NAME
// (or a minute), then takes what was sent meanwhile and prints how many
// keystrokes came ("foreign keys=N").
int gForeignKeys = 0;
WNDPROC gTreeProc = nullptr;
LRESULT CALLBACK ForeignTreeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_CHAR) ++gForeignKeys;
    return CallWindowProcA(gTreeProc, window, message, wParam, lParam);
}

void PumpFor(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    do {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(20);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

int ForeignEditor(const std::string& name) {
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, (name + "-stop").c_str());
    HINSTANCE instance = GetModuleHandleA(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "RegEdit_RegEdit";
    RegisterClassA(&windowClass);
    HWND top = CreateWindowA("RegEdit_RegEdit", "Registry Editor", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                             nullptr, instance, nullptr);
    // A real key tree, whose keystrokes are counted on their way in.
    HWND tree = CreateWindowA(WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, top, nullptr, instance, nullptr);
    if (!stop || !top || !tree) {
        std::printf("foreign=failed\n");
        return 1;
    }
    gTreeProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ForeignTreeProc)));
    ShowWindow(top, SW_SHOWNOACTIVATE);
    PumpFor(300);
    std::printf("foreign=ready\n");
    std::fflush(stdout);
    WaitForSingleObject(stop, 60000);
    PumpFor(1000);
    std::printf("foreign keys=%d\n", gForeignKeys);
    DestroyWindow(top);
    CloseHandle(stop);
    return 0;
}

int MakeShortcut(const char* lnk, const char* target) {
    if (FAILED(CoInitialize(nullptr))) return 1;
    HRESULT hr = E_FAIL;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->SetPath(WideOf(target).c_str())) &&
            SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            hr = file->Save(WideOf(lnk).c_str(), TRUE);
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
//   qm_probe about-link              click the About dialog's web link
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
                           : (style & BS_TYPEMASK) == BS_OWNERDRAW     ? "link"
                           : (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON ? "default button"
                                                                       : "button";
        if (kind == "icon")
            std::printf("icon at %ld,%ld size %ldx%ld loaded=%d\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
                        SendMessageA(c, STM_GETICON, 0, 0) ? 1 : 0);
        else std::printf("%s at %ld,%ld=%s\n", kind.c_str(), r.left, r.top, ControlText(c).c_str());
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
    Remote remote(tree, kTextOffset + kTextSize * sizeof(wchar_t));
    if (!remote.Ok()) return "?";
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = reinterpret_cast<wchar_t*>(remote.At(kTextOffset));
    tv.cchTextMax = kTextSize;
    remote.Write(0, &tv, sizeof(tv));
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.At(0)));
    std::vector<wchar_t> text(kTextSize, L'\0');
    remote.Read(kTextOffset, text.data(), (text.size() - 1) * sizeof(wchar_t));
    return ShownUtf8(text.data());
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
    if (command == "about-link") {
        HWND about = FindAbout();
        HWND link = about ? GetDlgItem(about, 101) : nullptr;
        if (!link) return 1;
        PostMessageA(link, BM_CLICK, 0, 0);
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
        HWND button = FindWindowExA(main, nullptr, "Button", "About");
        if (!button) return 1;
        PostMessageA(button, BM_CLICK, 0, 0);
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

// ---- Popup menus, read inside the program by qm_probe_menu.dll (see probe_menu.cpp).
//   qm_probe menu-items MS           wait up to MS for the open popup menu, print its items in
//                                    order, and whether each item's image is drawn on screen
HWND FindPopupMenu() {
    HWND w = FindWindowA("#32768", nullptr);
    return (w && IsWindowVisible(w)) ? w : nullptr;
}

// Runs `start` (an address in the other process) there with `argument`; the thread's exit code.
DWORD RunRemote(HANDLE process, const void* start, const void* argument) {
    HANDLE thread =
        CreateRemoteThread(process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(const_cast<void*>(start)),
                           const_cast<void*>(argument), 0, nullptr);
    if (!thread) return 0;
    DWORD code = 0;
    if (WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0) GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    return code;
}

// Where the module loaded from `path` lies in `process`, 0 if it is not loaded there.
UINT_PTR RemoteModule(HANDLE process, const std::string& path) {
    HMODULE modules[1024];
    DWORD bytes = 0;
    if (!EnumProcessModules(process, modules, sizeof(modules), &bytes)) return 0;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 1024; ++i) {
        char name[MAX_PATH] = {};
        if (GetModuleFileNameExA(process, modules[i], name, MAX_PATH) && lstrcmpiA(name, path.c_str()) == 0)
            return reinterpret_cast<UINT_PTR>(modules[i]);
    }
    return 0;
}

// The items of `menu`, as qm_probe_menu.dll loaded into the menu's process describes them.
std::string DescribeRemoteMenu(HWND window, HMENU menu) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string dll = self;
    dll = dll.substr(0, dll.find_last_of('\\') + 1) + "qm_probe_menu.dll";
    HMODULE local = LoadLibraryA(dll.c_str());
    FARPROC describe = local ? GetProcAddress(local, "DescribeMenu") : nullptr;
    if (!describe) return "no " + dll + "\n";
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(
        PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
        FALSE, pid);
    constexpr DWORD kBlock = 16384, kPathAt = kBlock - MAX_PATH;
    Remote remote(window, kBlock);
    std::string text = "no access to the program\n";
    if (process && remote.Ok()) {
        remote.Write(kPathAt, dll.c_str(), dll.size() + 1);
        FARPROC loadLibrary = GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA");
        FARPROC freeLibrary = GetProcAddress(GetModuleHandleA("kernel32.dll"), "FreeLibrary");
        RunRemote(process, reinterpret_cast<void*>(loadLibrary), remote.At(kPathAt));
        // A thread's exit code holds 32 bits of LoadLibraryA's answer: a 64-bit
        // program's module is found among its modules instead.
        const UINT_PTR module = RemoteModule(process, dll);
        if (module) {
            // A window handle's 32 bits are the same in every process.
            const DWORD header[2] = {static_cast<DWORD>(reinterpret_cast<UINT_PTR>(menu)), kPathAt};
            remote.Write(0, header, sizeof(header));
            const UINT_PTR offset = reinterpret_cast<UINT_PTR>(describe) - reinterpret_cast<UINT_PTR>(local);
            RunRemote(process, reinterpret_cast<void*>(module + offset), remote.At(0));
            std::vector<char> out(kPathAt - 8 + 1, '\0');
            remote.Read(8, out.data(), out.size() - 1);
            text = out.data();
            RunRemote(process, reinterpret_cast<void*>(freeLibrary), reinterpret_cast<void*>(module));
        } else {
            text = "the program did not load " + dll + "\n";
        }
    }
    if (process) CloseHandle(process);
    FreeLibrary(local);
    return text;
}

// 32-bit pixels of a bitmap drawn by `draw` onto a DIB of `w` x `h` filled with `background`.
template <class Draw>
std::vector<DWORD> Pixels(int w, int h, COLORREF background, Draw draw) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    draw(dc);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + w * h);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    for (DWORD& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

// Whether image `index` of the program's image strip is drawn somewhere inside
// `area` of the screen: every pixel that the image does not leave transparent,
// at one place.
bool ImageDrawnIn(HIMAGELIST images, int index, const RECT& area) {
    auto drawImage = [&](HDC dc) { ImageList_Draw(images, index, dc, 0, 0, ILD_TRANSPARENT); };
    const std::vector<DWORD> onBlack = Pixels(16, 16, RGB(0, 0, 0), drawImage);
    const std::vector<DWORD> onWhite = Pixels(16, 16, RGB(255, 255, 255), drawImage);
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w < 16 || h < 16) return false;
    const std::vector<DWORD> screen = Pixels(w, h, RGB(0, 0, 0), [&](HDC dc) {
        HDC desktop = GetDC(nullptr);
        BitBlt(dc, 0, 0, w, h, desktop, area.left, area.top, SRCCOPY);
        ReleaseDC(nullptr, desktop);
    });
    std::vector<int> opaque;
    for (int i = 0; i < 256; ++i)
        if (onBlack[static_cast<size_t>(i)] == onWhite[static_cast<size_t>(i)]) opaque.push_back(i);
    if (opaque.size() < 16) return false;
    for (int y = 0; y + 16 <= h; ++y)
        for (int x = 0; x + 16 <= w; ++x) {
            bool all = true;
            for (int i : opaque)
                if (screen[static_cast<size_t>((y + i / 16) * w + x + i % 16)] != onBlack[static_cast<size_t>(i)]) {
                    all = false;
                    break;
                }
            if (all) return true;
        }
    return false;
}

int PrintMenuItems(DWORD ms) {
    HWND window = nullptr;
    if (!WaitFor(FindPopupMenu, ms, window)) {
        std::printf("no popup menu\n");
        return 1;
    }
    Sleep(200);  // drawn
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0));
    const std::string text = DescribeRemoteMenu(window, menu);
    // The program's own image strip, loaded as the program loads it.
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char exe[MAX_PATH] = {};
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (process) {
        GetModuleFileNameExA(process, nullptr, exe, MAX_PATH);
        CloseHandle(process);
    }
    HMODULE program = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HIMAGELIST images = program ? ImageList_LoadImageW(program, L"IMAGELIST1", 16, 0, RGB(255, 0, 255), IMAGE_BITMAP,
                                                       LR_CREATEDIBSECTION)
                                : nullptr;
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(from, end - from);
        from = end + 1;
        // "item N=CAPTION|image=K|STATE|rect=L,T,R,B": the rectangle becomes whether K is drawn in it.
        const size_t rect = line.rfind("|rect=");
        const size_t image = line.rfind("|image=");
        if (rect != std::string::npos && image != std::string::npos) {
            RECT r{};
            std::sscanf(line.c_str() + rect + 6, "%ld,%ld,%ld,%ld", &r.left, &r.top, &r.right, &r.bottom);
            const int index = std::atoi(line.c_str() + image + 7);
            line = line.substr(0, rect);
            if (index >= 0) line += std::string("|drawn=") + (images && ImageDrawnIn(images, index, r) ? "yes" : "no");
        }
        std::printf("%s\n", line.c_str());
    }
    if (images) ImageList_Destroy(images);
    if (program) FreeLibrary(program);
    return 0;
}

// ---- The keyboard, selection and focus, and the columns of the main window.
//   qm_probe keys KEY...             press keys as the keyboard does (SendInput, the main window
//                                    brought to the front): Enter, Esc, Tab, Shift+Tab, Space, or
//                                    a letter or digit, alone or with Ctrl ("Ctrl+Z")
//   qm_probe focus                   which control of the main window holds the keyboard focus:
//                                    tabs, list N, OK, About, Changes..., main, other or none
//   qm_probe click-row TAB ROW       click a row with the mouse: it is selected and focused, and
//                                    the list takes the keyboard focus; -1 clicks the empty space
//                                    below the last row
//   qm_probe set-rows TAB SEL FOC    select row SEL and focus row FOC (-1: none), each on its own
//   qm_probe list-state TAB          the selected and the focused row of a list
//   qm_probe columns TAB             the column headers and widths of a list
struct NamedKey {
    const char* name;
    WORD key;
    bool shift;
};
constexpr NamedKey kKeys[] = {{"Enter", VK_RETURN, false},
                              {"Esc", VK_ESCAPE, false},
                              {"Tab", VK_TAB, false},
                              {"Shift+Tab", VK_TAB, true},
                              {"Space", VK_SPACE, false}};

INPUT KeyInput(WORD key, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

// Waits until the program's thread has handled what was sent to it so far.
void Settle(HWND main) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
}

bool PressKeys(HWND main, int count, char** names) {
    SetForegroundWindow(main);
    for (int i = 0; i < count; ++i) {
        const NamedKey* found = nullptr;
        for (const NamedKey& k : kKeys)
            if (std::strcmp(k.name, names[i]) == 0) found = &k;
        // "Ctrl+Z": the letter or digit with Ctrl held down.
        const bool ctrl = std::strncmp(names[i], "Ctrl+", 5) == 0;
        const char* name = ctrl ? names[i] + 5 : names[i];
        NamedKey letter{name, 0, false};
        if (!found && std::strlen(name) == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
            letter.key = static_cast<WORD>(LOBYTE(VkKeyScanA(name[0])));
            found = &letter;
        }
        if (!found) return false;
        std::vector<INPUT> inputs;
        if (ctrl) inputs.push_back(KeyInput(VK_CONTROL, false));
        if (found->shift) inputs.push_back(KeyInput(VK_SHIFT, false));
        inputs.push_back(KeyInput(found->key, false));
        inputs.push_back(KeyInput(found->key, true));
        if (found->shift) inputs.push_back(KeyInput(VK_SHIFT, true));
        if (ctrl) inputs.push_back(KeyInput(VK_CONTROL, true));
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        Sleep(100);
        if (IsWindow(main)) Settle(main);
    }
    return true;
}

std::string FocusName(HWND main) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) || !info.hwndFocus) return "none";
    HWND focus = info.hwndFocus;
    if (focus == main) return "main";
    char cls[64] = {};
    GetClassNameA(focus, cls, sizeof(cls));
    if (GetParent(focus) != main) return "other";
    if (lstrcmpiA(cls, "SysTabControl32") == 0) return "tabs";
    if (lstrcmpiA(cls, "SysListView32") == 0) return "list " + std::to_string(GetDlgCtrlID(focus) - 100);
    if (lstrcmpiA(cls, "Button") == 0) return ControlText(focus);
    return "other";
}

int PrintColumns(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    const int count = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    std::printf("columns=%d\n", count);
    Remote remote(list, kTextOffset + kTextSize);
    if (!remote.Ok()) return 1;
    for (int i = 0; i < count; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = remote.At(kTextOffset);
        column.cchTextMax = kTextSize;
        remote.Write(0, &column, sizeof(column));
        std::vector<char> text(kTextSize, '\0');
        remote.Write(kTextOffset, text.data(), text.size());
        if (!SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote.At(0)))) {
            std::printf("column %d unreadable\n", i);
            continue;
        }
        remote.Read(0, &column, sizeof(column));
        remote.Read(kTextOffset, text.data(), text.size() - 1);
        std::printf("column %d=\"%s\" width=%d\n", i, text.data(), column.cx);
    }
    return 0;
}

// Sets or clears `mask` on one row (-1: every row) of another process's list.
void SetRowState(HWND list, int row, UINT mask, UINT state) {
    Remote remote(list, sizeof(LVITEMA));
    LVITEMA item{};
    item.stateMask = mask;
    item.state = state;
    remote.Write(0, &item, sizeof(item));
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.At(0)));
}

int KeyboardCommand(const std::string& command, int argc, char** argv) {
    HWND main = FindMain();
    if (!main) {
        std::printf("no main window\n");
        return 1;
    }
    if (command == "keys") return PressKeys(main, argc - 2, argv + 2) ? 0 : 2;
    if (command == "focus") {
        std::printf("focus=%s\n", FocusName(main).c_str());
        return 0;
    }
    HWND list = argc > 2 ? ChildOfClass(main, "SysListView32", 100 + std::atoi(argv[2])) : nullptr;
    if (!list) {
        std::printf("no list\n");
        return 1;
    }
    if (command == "columns") return PrintColumns(list);
    if (command == "list-state") {
        std::printf("selected=%d focused=%d\n",
                    static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED)),
                    static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_FOCUSED)));
        return 0;
    }
    if (command == "click-row" && argc > 3) {
        const int row = std::atoi(argv[3]);
        const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        LPARAM at = 0;
        if (row >= 0 && row < rows) {
            at = RowPoint(list, row);
        } else {  // the empty space below the last row
            const RECT last = RowRect(list, rows - 1, LVIR_LABEL);
            at = MAKELPARAM(last.left + 4, last.bottom + (last.bottom - last.top) * 2);
        }
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
        Settle(main);
        return 0;
    }
    if (command == "set-rows" && argc > 4) {
        const int selected = std::atoi(argv[3]), focused = std::atoi(argv[4]);
        SetRowState(list, -1, LVIS_SELECTED | LVIS_FOCUSED, 0);
        if (selected >= 0) SetRowState(list, selected, LVIS_SELECTED, LVIS_SELECTED);
        if (focused >= 0) SetRowState(list, focused, LVIS_FOCUSED, LVIS_FOCUSED);
        return 0;
    }
    return 2;
}

// ---- The Changes window (class TChangesForm) and the commands that open it.
//   qm_probe changes-press           press the main window's "Changes..." button
//   qm_probe changes MS              wait up to MS for the Changes window, print what it shows:
//                                    its title, owner, buttons and whether each is enabled, the
//                                    status line, the focus, the columns and every row as
//                                    row=WHEN|DONE|ENTRY|WHERE, and the selected row
//   qm_probe changes-select ROW      select and focus a row (-1: none), as a click does
//   qm_probe changes-button WHAT     press Restore, Forget or Close (posted: a question the
//                                    press opens is left for `dialog` to answer)
//   qm_probe changes-post WHAT       post the button's command to the window itself, as any
//                                    program of the user's can, whether the button is enabled or not
//   qm_probe changes-key WHAT        Enter, Esc (to the focused control) or Close (the close box)
//   qm_probe changes-move X Y        move the window (for a screenshot under Wine)
//   qm_probe changes-gone MS         wait up to MS until no Changes window is left
// The controls' identifiers are the program's (src/ui/win32/changes_window.h).
constexpr int kChangesListId = 100, kChangesRestoreId = 101, kChangesForgetId = 102, kChangesStatusId = 103;

HWND FindChanges() {
    HWND w = FindWindowA("TChangesForm", nullptr);
    return (w && IsWindowVisible(w)) ? w : nullptr;
}
HWND NoChanges() { return FindChanges() ? nullptr : GetDesktopWindow(); }

int ChangesButtonId(const std::string& what) {
    return what == "Restore" ? kChangesRestoreId : what == "Forget" ? kChangesForgetId : what == "Close" ? IDCANCEL : 0;
}

int PrintChanges(HWND changes) {
    std::printf("title=%s\n", ControlText(changes).c_str());
    HWND main = FindWindowA("TMainForm", nullptr);
    std::printf("owner=%s\n", main && GetWindow(changes, GW_OWNER) == main ? "main" : "other");
    std::printf("main enabled=%d\n", main && IsWindowEnabled(main) ? 1 : 0);
    RECT client{};
    GetClientRect(changes, &client);
    std::printf("client=%ldx%ld\n", client.right, client.bottom);
    for (int id : {kChangesRestoreId, kChangesForgetId, static_cast<int>(IDCANCEL)}) {
        HWND button = GetDlgItem(changes, id);
        const LONG style = button ? GetWindowLongA(button, GWL_STYLE) : 0;
        std::printf("button %s enabled=%d%s\n", ControlText(button).c_str(), button && IsWindowEnabled(button) ? 1 : 0,
                    (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON ? " default" : "");
    }
    std::printf("status=%s\n", ControlText(GetDlgItem(changes, kChangesStatusId)).c_str());
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(changes, nullptr), &info);
    HWND list = GetDlgItem(changes, kChangesListId);
    std::printf("focus=%s\n", info.hwndFocus == list ? "list" : ControlText(info.hwndFocus).c_str());
    char cls[64] = {};
    GetClassNameA(list, cls, sizeof(cls));
    const LONG style = GetWindowLongA(list, GWL_STYLE);
    const DWORD extended = static_cast<DWORD>(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    std::printf("list=%s report=%d single=%d full-row=%d\n", cls, (style & LVS_TYPEMASK) == LVS_REPORT ? 1 : 0,
                (style & LVS_SINGLESEL) ? 1 : 0, (extended & LVS_EX_FULLROWSELECT) ? 1 : 0);
    PrintColumns(list);
    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    std::printf("rows=%d\n", rows);
    for (int r = 0; r < rows; ++r) {
        std::string line = "row=";
        for (int c = 0; c < 4; ++c) line += (c ? "|" : "") + CellText(list, r, c);
        std::printf("%s\n", line.c_str());
    }
    std::printf("selected=%d\n", static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED)));
    return 0;
}

int ChangesCommand(const std::string& command, int argc, char** argv) {
    const DWORD ms = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 10000;
    if (command == "changes-press") {
        HWND main = FindMain();
        HWND button = main ? FindWindowExA(main, nullptr, "Button", "Changes...") : nullptr;
        if (!button) {
            std::printf("no Changes button\n");
            return 1;
        }
        PostMessageA(button, BM_CLICK, 0, 0);
        return 0;
    }
    if (command == "changes") {
        HWND changes = nullptr;
        if (!WaitFor(FindChanges, ms, changes)) {
            std::printf("no changes window\n");
            return 1;
        }
        Settle(changes);
        return PrintChanges(changes);
    }
    if (command == "changes-gone") {
        HWND none = nullptr;
        const bool gone = WaitFor(NoChanges, ms, none);
        HWND main = FindWindowA("TMainForm", nullptr);
        std::printf("%s\nmain enabled=%d\n", gone ? "changes closed" : "changes still open",
                    main && IsWindowEnabled(main) ? 1 : 0);
        return gone ? 0 : 1;
    }
    HWND changes = FindChanges();
    if (!changes) {
        std::printf("no changes window\n");
        return 1;
    }
    if (command == "changes-select" && argc > 2) {
        HWND list = GetDlgItem(changes, kChangesListId);
        const int row = std::atoi(argv[2]);
        SetRowState(list, -1, LVIS_SELECTED | LVIS_FOCUSED, 0);
        if (row >= 0) SetRowState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        return 0;
    }
    if ((command == "changes-button" || command == "changes-post") && argc > 2) {
        const int id = ChangesButtonId(argv[2]);
        HWND button = id ? GetDlgItem(changes, id) : nullptr;
        if (!button) return 2;
        if (command == "changes-button") PostMessageA(button, BM_CLICK, 0, 0);
        else PostMessageA(changes, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        return 0;
    }
    if (command == "changes-key" && argc > 2) return PressWindowKey(changes, argv[2]) ? 0 : 2;
    if (command == "changes-move" && argc > 3) {
        SetWindowPos(changes, nullptr, std::atoi(argv[2]), std::atoi(argv[3]), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    return 2;
}

// ---- The machine, written and read by the wide calls, names in any script.
HKEY RootOf(const std::string& key, std::string& rest) {
    const size_t slash = key.find('\\');
    const std::string root = key.substr(0, slash);
    rest = slash == std::string::npos ? std::string() : key.substr(slash + 1);
    if (root == "HKEY_CURRENT_USER" || root == "HKCU") return HKEY_CURRENT_USER;
    if (root == "HKEY_LOCAL_MACHINE" || root == "HKLM") return HKEY_LOCAL_MACHINE;
    return nullptr;
}

int MachineCommand(const std::string& command, int argc, char** argv) {
    if (command == "display-name" && argc > 3) {
        SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
        SC_HANDLE service = manager ? OpenServiceW(manager, WideOf(argv[2]).c_str(), SERVICE_CHANGE_CONFIG) : nullptr;
        const BOOL changed =
            service && ChangeServiceConfigW(service, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, nullptr,
                                            nullptr, nullptr, nullptr, nullptr, nullptr, WideOf(argv[3]).c_str());
        if (service) CloseServiceHandle(service);
        if (manager) CloseServiceHandle(manager);
        return changed ? 0 : 1;
    }
    if (command == "start-type" && argc > 2) {
        // Through the service manager, which keeps the configuration of a
        // running manager in memory: the registry alone would not change it.
        SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
        SC_HANDLE service = manager ? OpenServiceW(manager, WideOf(argv[2]).c_str(),
                                                   SERVICE_QUERY_CONFIG | (argc > 3 ? SERVICE_CHANGE_CONFIG : 0))
                                    : nullptr;
        std::vector<BYTE> buffer(8192);
        DWORD needed = 0;
        auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
        bool ok = service && QueryServiceConfigW(service, config, static_cast<DWORD>(buffer.size()), &needed);
        if (ok) std::printf("start=%lu\n", static_cast<unsigned long>(config->dwStartType));
        if (ok && argc > 3)
            ok = ChangeServiceConfigW(service, SERVICE_NO_CHANGE, std::strtoul(argv[3], nullptr, 10), SERVICE_NO_CHANGE,
                                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) != FALSE;
        if (service) CloseServiceHandle(service);
        if (manager) CloseServiceHandle(manager);
        return ok ? 0 : 1;
    }
    std::string path;
    HKEY root = argc > 2 ? RootOf(argv[2], path) : nullptr;
    if (!root) return 2;
    HKEY key = nullptr;
    if (command == "set-value" && argc > 4) {
        if (RegCreateKeyExW(root, WideOf(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
            return 1;
        const std::wstring text = WideOf(argv[4]);
        const LONG rc =
            RegSetValueExW(key, WideOf(argv[3]).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        return rc == ERROR_SUCCESS ? 0 : 1;
    }
    if (command == "delete-value" && argc > 3) {
        if (RegOpenKeyExW(root, WideOf(path).c_str(), 0, KEY_SET_VALUE, &key)) return 1;
        const LONG rc = RegDeleteValueW(key, WideOf(argv[3]).c_str());
        RegCloseKey(key);
        return rc == ERROR_SUCCESS ? 0 : 1;
    }
    if (command == "delete-key") {
        return RegDeleteKeyW(root, WideOf(path).c_str()) == ERROR_SUCCESS ? 0 : 1;
    }
    if (command == "values") {
        if (RegOpenKeyExW(root, WideOf(path).c_str(), 0, KEY_READ, &key)) return 1;
        for (DWORD i = 0;; ++i) {
            wchar_t name[16384];
            DWORD chars = 16384, type = 0, bytes = 0;
            if (RegEnumValueW(key, i, name, &chars, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) break;
            std::vector<wchar_t> data(bytes / sizeof(wchar_t) + 1, L'\0');
            RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &bytes);
            std::printf("value=%s|%s\n", ShownUtf8(name).c_str(), type == REG_SZ ? ShownUtf8(data.data()).c_str() : "");
        }
        RegCloseKey(key);
        return 0;
    }
    return 2;
}

}  // namespace

// probe_versions.cpp: modules, plant-versions.
int VersionProbeCommand(const std::string& command, int argc, char** argv);
// probe_process.cpp: process-facts.
int ProcessProbeCommand(const std::string& command, int argc, char** argv);

int Main(int argc, char** argv);

// The arguments in UTF-8: from the wide command line, or from the lines of
// a file for `args-from`.
int main() {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i) args.push_back(ShownUtf8(wide[i]));
    LocalFree(wide);
    if (args.size() > 2 && args[1] == "args-from") {
        std::ifstream file(args[2], std::ios::binary);
        args.resize(1);
        for (std::string line; std::getline(file, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            args.push_back(line);
        }
    }
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    return Main(static_cast<int>(args.size()), argv.data());
}

int Main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string command = argv[1];
    if (command == "modules" || command.rfind("plant-version", 0) == 0) return VersionProbeCommand(command, argc, argv);
    if (command == "process-facts") return ProcessProbeCommand(command, argc, argv);
    if (command == "set-value" || command == "values" || command == "display-name" || command == "start-type" ||
        command.rfind("delete-", 0) == 0)
        return MachineCommand(command, argc, argv);
    if (command.rfind("changes", 0) == 0) return ChangesCommand(command, argc, argv);
    if (command.rfind("about", 0) == 0 || command == "jump" || command.rfind("regedit-", 0) == 0)
        return AboutJumpCommand(command, argc, argv);
    if (command.rfind("item-", 0) == 0 || command == "select-row" || command == "dblclick" || command == "menu" ||
        command == "window-title")
        return ItemFormCommand(command, argc, argv);
    if (command == "keys" || command == "focus" || command == "click-row" || command == "set-rows" ||
        command == "list-state" || command == "columns")
        return KeyboardCommand(command, argc, argv);
    if (command == "menu-items") return PrintMenuItems(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 5000);
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
    if (command == "hold-pipe" && argc > 2) return HoldPipe(argv[2]);
    if (command == "hold-file" && argc > 3) return HoldFile(argv[2], argv[3]);
    if (command == "spawn-units" && argc > 2) return SpawnUnits(argv[2], argc - 3, argv + 3);
    if (command == "foreign-editor" && argc > 2) return ForeignEditor(argv[2]);
    if (command == "release" && argc > 2) {
        HANDLE stop = OpenEventA(EVENT_MODIFY_STATE, FALSE, (std::string(argv[2]) + "-stop").c_str());
        if (stop) SetEvent(stop), CloseHandle(stop);
        return stop ? 0 : 1;
    }
    if (command == "special-folder" && argc > 2) {
        wchar_t path[MAX_PATH] = {};
        if (!SHGetSpecialFolderPathW(nullptr, path, std::atoi(argv[2]), FALSE)) return 1;
        std::printf("%s\n", ShownUtf8(path).c_str());
        return 0;
    }
    if (command == "close-class" && argc > 2) {
        HWND w = FindWindowA(argv[2], nullptr);
        if (w) PostMessageA(w, WM_CLOSE, 0, 0);
        return w ? 0 : 1;
    }
    if (command == "dialog" || command == "no-dialog" || command == "dialog-open") {
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
        if (command == "dialog-open") return 0;  // left open, for whatever comes meanwhile
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
        wchar_t caption[512] = {};
        GetWindowTextW(main, caption, 512);
        std::printf("caption=%s\n", ShownUtf8(caption).c_str());
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
    if (command == "layout") {
        RECT client{};
        GetClientRect(main, &client);
        std::printf("client=%ldx%ld\n", client.right, client.bottom);
        for (HWND c = GetWindow(main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            char cls[64] = {};
            GetClassNameA(c, cls, sizeof(cls));
            if (lstrcmpiA(cls, "SysListView32") == 0 || !IsWindowVisible(c)) continue;
            RECT r{};
            GetWindowRect(c, &r);
            MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
            std::printf("%s \"%s\" at %ld,%ld size %ldx%ld\n", cls, ControlText(c).c_str(), r.left, r.top,
                        r.right - r.left, r.bottom - r.top);
        }
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
            HWND edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_EDITLABELW, static_cast<WPARAM>(row), 0));
            if (!edit) return 1;
            SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WideOf(argv[4]).c_str()));
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
        for (int i = 0; i < 40 && FindPopupMenu(); ++i) Sleep(50);
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
