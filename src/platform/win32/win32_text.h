// Text between the program's ANSI strings and the wide strings of the W
// calls the adapters use where the A calls lose text.
#pragma once
#include "platform/win32/windows_clean.h"

#include <cstring>
#include <cwchar>
#include <string>

namespace qm::win32 {

inline std::wstring WideFromAnsi(const std::string& text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

// A file name in the ANSI code page without best-fit letters: a character
// the code page lacks becomes '?', which names no file, instead of a look-alike
// letter that may name another file ("x\u03b1.lnk" would read "xa.lnk").
inline std::string AnsiFromWide(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string ansi(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, ansi.data(), n, nullptr, nullptr);
    ansi.resize(strnlen(ansi.data(), ansi.size()));
    return ansi;
}

// The symbol a NUL inside a name is shown as (U+2400, SYMBOL FOR NULL): a
// value name may hold NULs, and the user must see the whole name.
inline constexpr wchar_t kShownNul = 0x2400;

// A counted ANSI text as the screen shows it: all of it, each NUL inside
// made visible.
inline std::wstring ShownWide(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    for (wchar_t& c : wide)
        if (c == L'\0') c = kShownNul;
    return wide;
}

// Back from what the screen showed (an edited caption): each shown NUL is a
// NUL again, the rest as AnsiFromWide.
inline std::string AnsiFromShown(const wchar_t* text) {
    std::string ansi;
    const wchar_t* part = text;
    for (const wchar_t* p = text;; ++p) {
        if (*p == kShownNul || *p == L'\0') {
            ansi += AnsiFromWide(std::wstring(part, p).c_str());
            if (*p == L'\0') break;
            ansi.push_back('\0');
            part = p + 1;
        }
    }
    return ansi;
}

}  // namespace qm::win32
