// Format characters (Unicode's general category Cf) as the screen and the
// comparison's text show them. A name is whatever a program of the user's
// wrote, and these characters draw nothing themselves but change what is
// drawn: U+202E turns the rest of a line around ("exe.txt" read as
// "txt.exe"), U+200B and U+FEFF are not seen at all, so two names that
// differ look alike. Each is shown as its code point in ASCII, "<U+202E>",
// which every font draws the same and a careful reader can look up; the
// name itself, and whatever acts on it, keeps the character.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/text_utf.h"

namespace qm {

// Unicode 15's category Cf, in ranges.
inline bool IsFormatCharacter(std::uint32_t c) {
    static constexpr std::uint32_t kRanges[][2] = {
        {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},
        {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},   {0x200B, 0x200F},   {0x202A, 0x202E},
        {0x2060, 0x2064},   {0x2066, 0x206F},   {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD},
        {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
        {0xE0020, 0xE007F},
    };
    if (c < 0xAD) return false;
    for (const auto& range : kRanges)
        if (c >= range[0] && c <= range[1]) return true;
    return false;
}

// "<U+202E>": the code point in upper-case hex, at least four digits.
inline std::string ShownFormatCharacter(std::uint32_t c) {
    char text[16];
    std::snprintf(text, sizeof(text), "<U+%04X>", static_cast<unsigned>(c));
    return text;
}

// `text` with each format character shown as ShownFormatCharacter has it;
// everything else, a byte that starts no sequence included, as it is.
inline std::string ShowFormatCharacters(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    const std::string whole(text);
    for (size_t i = 0; i < whole.size();) {
        const Utf8Char c = Utf8CharAt(whole, i);
        if (c.length > 1 && IsFormatCharacter(c.code)) {
            out += ShownFormatCharacter(c.code);
            i += c.length;
        } else {
            const size_t length = c.length ? c.length : 1;
            out.append(whole, i, length);
            i += length;
        }
    }
    return out;
}

// The way back, for a text the user edited on the screen: each
// "<U+XXXX>" exactly as ShownFormatCharacter writes a format character is
// that character again; any other text stays as it is.
inline std::string HideFormatCharacters(std::string_view shown) {
    std::string out;
    out.reserve(shown.size());
    for (size_t i = 0; i < shown.size();) {
        const size_t end = shown.substr(i, 11).find('>');
        if (shown.substr(i, 3) == "<U+" && end != std::string_view::npos && end > 3) {
            std::uint32_t c = 0;
            bool hex = true;
            for (const char digit : shown.substr(i + 3, end - 3)) {
                const bool decimal = digit >= '0' && digit <= '9', letter = digit >= 'A' && digit <= 'F';
                hex = hex && (decimal || letter);
                c = c * 16 + static_cast<std::uint32_t>(decimal ? digit - '0' : digit - 'A' + 10);
            }
            if (hex && IsFormatCharacter(c) && ShownFormatCharacter(c) == shown.substr(i, end + 1)) {
                AppendUtf8(out, c);
                i += end + 1;
                continue;
            }
        }
        out += shown[i++];
    }
    return out;
}

}  // namespace qm
