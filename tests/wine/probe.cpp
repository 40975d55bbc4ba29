// Looks at and drives the real program's windows from another process, the
// way a user or an accessibility tool would: window and tab captions, list
// rows, message boxes, tab clicks. Prints what it sees, one item a line.
//   qm_probe wait-main MS          wait until the main window is visible
//   qm_probe dump                  caption, tab captions, rows of the shown list
//   qm_probe rows TAB              rows of the list on tab TAB (0-based)
//   qm_probe select-tab TAB        select a tab as a click would
//   qm_probe dialog TITLE MS       wait for a message box, print its text, press its first button
//   qm_probe no-dialog TITLE MS    fail if a message box with TITLE appears within MS
//   qm_probe row-colours TAB ROW   count the text colours drawn in one row of a list
//   qm_probe close                 close the main window
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string command = argv[1];
    HWND main = nullptr;
    if (command == "wait-main") {
        if (!WaitFor(FindMain, argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 10000, main)) {
            std::printf("no main window\n");
            return 1;
        }
        std::printf("main window\n");
        return 0;
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
        HWND button = FindWindowExA(dialog, nullptr, "Button", nullptr);
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
    if (command == "row-colours" && argc > 3) {
        HWND list = ChildOfClass(main, "SysListView32", 100 + std::atoi(argv[2]));
        if (!list) return 1;
        Remote remote(list, sizeof(RECT));
        RECT r{};
        r.left = LVIR_BOUNDS;
        remote.Write(0, &r, sizeof(r));
        SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(std::atoi(argv[3])), reinterpret_cast<LPARAM>(remote.At(0)));
        remote.Read(0, &r, sizeof(r));
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
