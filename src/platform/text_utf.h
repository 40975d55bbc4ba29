// The program holds every text as UTF-8 in a std::string; Windows names
// things in UTF-16. These two routines are the only way between the two.
//
// A name read from the machine may hold an unpaired surrogate (the registry
// and the file system take any 16-bit unit), and it must name the same
// thing when it goes back. So the UTF-8 is WTF-8: a lone surrogate is kept
// as its own three-byte sequence (ED A0..BF xx), and the round trip
// UTF-16 -> UTF-8 -> UTF-16 is exact for every sequence of units. The way
// back is strict: a text that is no such sequence (a stray byte, an
// overlong or cut-short sequence, a surrogate pair written as two
// three-byte sequences, a value past U+10FFFF) is refused, never turned
// into some other name.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace qm {

inline void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Every unit of `text`, NULs included; a surrogate pair as the character it
// stands for, a lone surrogate as itself.
inline std::string Utf8FromUtf16(const char16_t* text, size_t units) {
    std::string out;
    out.reserve(units);
    for (size_t i = 0; i < units; ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        AppendUtf8(out, c);
    }
    return out;
}
inline std::string Utf8FromUtf16(const std::u16string& text) { return Utf8FromUtf16(text.data(), text.size()); }

// The character that starts at `at`: its code point and its length in
// bytes; length 0 when no valid sequence starts there.
struct Utf8Char {
    std::uint32_t code = 0;
    size_t length = 0;
};

inline Utf8Char Utf8CharAt(const std::string& text, size_t at) {
    const auto byte = [&](size_t i) -> std::uint32_t { return static_cast<unsigned char>(text[i]); };
    if (at >= text.size()) return {};
    const std::uint32_t lead = byte(at);
    if (lead < 0x80) return {lead, 1};
    size_t n;
    std::uint32_t code, least;
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2, code = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3, code = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4, code = lead & 0x07, least = 0x10000;
    } else {
        return {};
    }
    if (at + n > text.size()) return {};
    for (size_t i = at + 1; i < at + n; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return {};
        code = (code << 6) | (byte(i) & 0x3F);
    }
    if (code < least || code > 0x10FFFF) return {};
    return {code, n};
}

// The units of `text` into `out`; false (and `out` unfinished) when the
// text is no valid WTF-8. A character that cannot be spelled is U+FFFD in
// `out` when `lenient`, for a text that is only shown.
inline bool Utf16FromUtf8(const std::string& text, std::u16string& out, bool lenient = false) {
    out.clear();
    out.reserve(text.size());
    bool valid = true;
    bool afterHigh = false;  // the last character was a lone high surrogate
    for (size_t i = 0; i < text.size();) {
        const Utf8Char c = Utf8CharAt(text, i);
        // A low surrogate right after a high one would read back as the
        // pair's character: a different text.
        if (c.length == 0 || (afterHigh && c.code >= 0xDC00 && c.code <= 0xDFFF)) {
            valid = false;
            if (!lenient) return false;
            out.push_back(u'\uFFFD');
            i += c.length ? c.length : 1;
            afterHigh = false;
            continue;
        }
        if (c.code >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((c.code - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c.code - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c.code));
        }
        afterHigh = c.code >= 0xD800 && c.code <= 0xDBFF;
        i += c.length;
    }
    return valid;
}

}  // namespace qm
