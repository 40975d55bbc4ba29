// The window classes of the program's own top-level windows. The windows
// register them; the shell adapter and the dialogs find their owner windows
// by them.
#pragma once
#include "platform/win32/windows_clean.h"

namespace qm::win32 {

inline constexpr const char* kMainWindowClass = "TMainForm";
inline constexpr const char* kItemWindowClass = "TItemForm";

struct WindowClassSearch {
    const char* className;
    HWND found;
};

inline BOOL CALLBACK MatchWindowClass(HWND window, LPARAM lp) {
    auto* search = reinterpret_cast<WindowClassSearch*>(lp);
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof(cls));
    if (lstrcmpA(cls, search->className) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

// This thread's top-level window of `className`; null when it has none.
inline HWND FindThreadWindow(const char* className) {
    WindowClassSearch search{className, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchWindowClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace qm::win32
