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

}  // namespace qm::win32
