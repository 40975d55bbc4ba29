// Text between the program's UTF-8 and the UTF-16 of the W calls: the one
// pair of routines of src/platform/text_utf.h, for wchar_t. Every adapter
// and window goes through these; no text passes an ANSI code page.
#pragma once
#include "platform/win32/windows_clean.h"

#include <cwchar>
#include <string>

#include "platform/constants.h"
#include "platform/format_chars.h"
#include "platform/text_utf.h"

namespace qm::win32 {

// The UTF-16 of `text` (NULs inside kept); false when the text is no valid
// WTF-8, and then the caller names nothing rather than some other name.
inline bool ToWide(const std::string& text, std::wstring& out) {
    std::u16string units;
    const bool valid = Utf16FromUtf8(text, units);
    out.assign(units.begin(), units.end());
    return valid;
}

inline std::string FromWide(const wchar_t* text, size_t units) {
    const std::u16string copy(text, text + units);
    return Utf8FromUtf16(copy);
}
inline std::string FromWide(const wchar_t* text) { return text ? FromWide(text, wcslen(text)) : std::string(); }
inline std::string FromWide(const std::wstring& text) { return FromWide(text.data(), text.size()); }

// The UTF-8 of a text that leaves the program as it came (the report's
// arguments, which its messages repeat, and the system's messages): each
// unpaired surrogate is U+FFFD, as the system's own conversion to UTF-8
// writes it, so that what is written is UTF-8 to every reader. A name that
// goes back to the machine keeps its surrogates (FromWide).
inline std::string ValidUtf8FromWide(const wchar_t* text, size_t units) {
    std::u16string copy(text, text + units);
    const auto surrogate = [](char16_t unit, char16_t first) { return unit >= first && unit <= first + 0x3FF; };
    for (size_t i = 0; i < copy.size(); ++i) {
        if (surrogate(copy[i], 0xD800) && i + 1 < copy.size() && surrogate(copy[i + 1], 0xDC00)) ++i;  // a pair
        else if (surrogate(copy[i], 0xD800) || surrogate(copy[i], 0xDC00)) copy[i] = u'\uFFFD';
    }
    return Utf8FromUtf16(copy);
}
inline std::string ValidUtf8FromWide(const wchar_t* text) {
    return text ? ValidUtf8FromWide(text, wcslen(text)) : std::string();
}

// The UTF-16 of a text written out (to a console), NULs kept. Only
// written, so a broken sequence (none is ever written) is U+FFFD.
inline std::wstring WrittenWide(const std::string& text) {
    std::u16string units;
    Utf16FromUtf8(text, units, true);
    return std::wstring(units.begin(), units.end());
}

// The symbol a NUL inside a name is shown as (U+2400, SYMBOL FOR NULL): a
// value name may hold NULs, and the user must see the whole name.
inline constexpr wchar_t kShownNul = 0x2400;

// A text as the screen shows it: all of it, each NUL inside and each format
// character (platform/format_chars.h) made visible. Only shown, so a broken
// sequence (none comes from the machine) is U+FFFD.
inline std::wstring ShownWide(const std::string& text) {
    std::wstring wide = WrittenWide(ShowFormatCharacters(text));
    for (wchar_t& c : wide)
        if (c == L'\0') c = kShownNul;
    return wide;
}

// Back from what the screen showed (an edited caption): each shown NUL is a
// NUL again, each shown format character that character.
inline std::string FromShown(const wchar_t* text) {
    std::wstring wide(text ? text : L"");
    for (wchar_t& c : wide)
        if (c == kShownNul) c = L'\0';
    return HideFormatCharacters(FromWide(wide));
}

}  // namespace qm::win32
