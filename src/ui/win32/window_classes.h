// The window classes of the program's own top-level windows. The windows
// register them, and the dialogs find their owner window by them.
#pragma once
#include "platform/win32/windows_clean.h"

#include <iterator>

namespace qm::win32 {

inline constexpr const wchar_t* kMainWindowClass = L"TMainForm";
inline constexpr const wchar_t* kItemWindowClass = L"TItemForm";

struct WindowClassSearch {
    const wchar_t* className;
    HWND found;
};

inline BOOL CALLBACK MatchWindowClass(HWND window, LPARAM lp) {
    auto* search = reinterpret_cast<WindowClassSearch*>(lp);
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, static_cast<int>(std::size(cls)));
    if (lstrcmpW(cls, search->className) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

// This thread's top-level window of `className`; null when it has none.
inline HWND FindThreadWindow(const wchar_t* className) {
    WindowClassSearch search{className, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchWindowClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace qm::win32
