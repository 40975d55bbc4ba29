// Loaded into quellmark.exe by qm_probe to read a popup menu that is open
// there: Wine keeps menus inside the process that made them and answers the
// menu calls of another process with ERROR_INVALID_MENU_HANDLE.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// Appends one formatted line to the text at `out`, which holds `size` bytes.
template <class... Args>
void Line(char* out, size_t size, const char* format, Args... args) {
    const size_t used = std::strlen(out);
    if (used + 1 >= size) return;
    std::snprintf(out + used, size - used, format, args...);
}

}  // namespace

// `block` holds the menu's handle (its 32 bits, as a DWORD), the size of the
// whole block (a DWORD), then room for
// the text written back: one line per item in order, with its caption, image
// (the item data of an owner-drawn bitmap, -1 without one), whether it is
// enabled, and the screen rectangle it is drawn in.
extern "C" __declspec(dllexport) DWORD WINAPI DescribeMenu(void* block) {
    HMENU menu = reinterpret_cast<HMENU>(static_cast<LONG_PTR>(static_cast<LONG>(static_cast<DWORD*>(block)[0])));
    const DWORD size = static_cast<DWORD*>(block)[1];
    char* out = static_cast<char*>(block) + 8;
    out[0] = '\0';
    const int count = GetMenuItemCount(menu);
    Line(out, size - 8, "items=%d\n", count);
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        MENUITEMINFOA mi{};
        mi.cbSize = sizeof(mi);
        mi.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_BITMAP | MIIM_DATA | MIIM_STATE;
        mi.dwTypeData = text;
        mi.cch = sizeof(text);
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mi)) {
            Line(out, size - 8, "item %d unreadable\n", i);
            continue;
        }
        if (mi.fType & MFT_SEPARATOR) {
            Line(out, size - 8, "item %d separator\n", i);
            continue;
        }
        RECT r{};
        GetMenuItemRect(nullptr, menu, static_cast<UINT>(i), &r);
        Line(out, size - 8, "item %d=%s|image=%ld|%s|rect=%ld,%ld,%ld,%ld\n", i, text,
             mi.hbmpItem == HBMMENU_CALLBACK ? static_cast<long>(mi.dwItemData) : -1L,
             (mi.fState & MFS_DISABLED) ? "disabled" : "enabled", r.left, r.top, r.right, r.bottom);
    }
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
