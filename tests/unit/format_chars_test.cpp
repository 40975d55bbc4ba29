// Format characters as the window and the comparison's text show them: each
// character of Unicode's category Cf by its code point, "<U+202E>", and
// every other character as it is; an edited text comes back as the name.
#include <gtest/gtest.h>

#include "platform/format_chars.h"

namespace qm {
namespace {

TEST(FormatCharacters, EachIsShownByItsCodePointAndEverythingElseAsItIs) {
    const std::pair<std::string, std::string> cases[] = {
        // What turns a line around: "Qm\u202Etxt.exe" draws as "Qmexe.txt".
        {"Qm\u202Etxt.exe", "Qm<U+202E>txt.exe"},
        {"\u202A\u202B\u202C\u202D", "<U+202A><U+202B><U+202C><U+202D>"},
        {"\u2066a\u2067b\u2068c\u2069", "<U+2066>a<U+2067>b<U+2068>c<U+2069>"},
        {"\u200E\u200F\u061C", "<U+200E><U+200F><U+061C>"},
        // What is not seen at all.
        {"Cal\u200Bc", "Cal<U+200B>c"},
        {"\u200C\u200D\uFEFF\u2060\u00AD", "<U+200C><U+200D><U+FEFF><U+2060><U+00AD>"},
        {"\u0600\u06DD\u070F\u180E\uFFF9", "<U+0600><U+06DD><U+070F><U+180E><U+FFF9>"},
        // Beyond the Basic Multilingual Plane: tags, musical format controls.
        {"a\U000E0001\U000E0041\U000E007Fb", "a<U+E0001><U+E0041><U+E007F>b"},
        {"\U0001D173\U00013430\U0001343F", "<U+1D173><U+13430><U+1343F>"},
        // Neighbours that draw something, or are no format character.
        {"\u2010\u2028\u2029\u2070", "\u2010\u2028\u2029\u2070"},
        {"\u05E2\u05D3 \u0627\u0644", "\u05E2\u05D3 \u0627\u0644"},  // right-to-left letters draw themselves
        {"\u2400 \uFFFD \U0001F600 \U000E0000 \U000E0080", "\u2400 \uFFFD \U0001F600 \U000E0000 \U000E0080"},
        {"C:\\x.exe /q", "C:\\x.exe /q"},
        // Bytes that start no sequence, and a lone surrogate (WTF-8), as they are.
        {"bad \xFF \xE2\x80 cut", "bad \xFF \xE2\x80 cut"},
        {"\xED\xA0\x80", "\xED\xA0\x80"},
        {std::string("nul\0in", 6), std::string("nul\0in", 6)},
        {"", ""},
    };
    for (const auto& [name, shown] : cases) EXPECT_EQ(shown, ShowFormatCharacters(name)) << shown;
}

TEST(FormatCharacters, AShownTextEditedOnTheScreenComesBackAsTheName) {
    for (const std::string name : {"Qm\u202Etxt.exe", "Cal\u200Bc", "a\U000E0041b\uFEFF", "plain", "C:\\\u200F\\x.exe"})
        EXPECT_EQ(name, HideFormatCharacters(ShowFormatCharacters(name))) << name;
    // Only the form the screen writes, of a format character, is one.
    for (const std::string text :
         {"<U+0041>", "<U+202e>", "<U+0202E>", "<U+202E", "U+202E>", "<U+>", "<U+20 2E>", "<U+110000>", "<<U+2>"})
        EXPECT_EQ(text, HideFormatCharacters(text)) << text;
    EXPECT_EQ("a\u202Eb<c>", HideFormatCharacters("a<U+202E>b<c>"));
}

}  // namespace
}  // namespace qm
