// Letter case and the ANSI code page of the simulated machine.
//
// Names compare without regard to case, for every alphabet the tests use:
// A to Z, the accented Latin capitals of Latin-1, Greek and Cyrillic (the
// real machine lowers with CharLowerBuffW, which agrees on these).
//
// The program calls the wide functions. A part of the simulated machine
// can be told that its calls go through the ANSI ones instead (`ansiCalls`
// of the registry, the files, the services): then every name and text that
// crosses it goes through the machine's code page, Windows-1252, as the A
// calls would send it: Latin-1 stays, a few letters become their best-fit
// Latin look-alike, anything else '?'. A test that sets it shows the faults
// an A call brings back; with the wide calls the same test reads every name
// whole.
#pragma once
#include <cstdint>
#include <string>

#include "platform/text_utf.h"

namespace qm::sim {

inline std::uint32_t LowerLetter(std::uint32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 0x20;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;     // Latin-1 capitals
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;  // Greek capitals
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;                // Cyrillic А to Я
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;                // Cyrillic Ѐ to Џ
    return c;
}

inline std::string SimLowerCase(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const Utf8Char c = Utf8CharAt(text, i);
        if (c.length == 0) {
            out.push_back(text[i++]);
            continue;
        }
        AppendUtf8(out, LowerLetter(c.code));
        i += c.length;
    }
    return out;
}

// The best-fit Latin letter the code page gives a character it lacks, or 0:
// the Cyrillic and Greek letters the tests use as look-alikes.
inline char BestFit(std::uint32_t c) {
    static constexpr struct {
        std::uint32_t code;
        char letter;
    } kFits[] = {{0x410, 'A'}, {0x430, 'a'}, {0x391, 'A'}, {0x3B1, 'a'}, {0x415, 'E'}, {0x435, 'e'},
                 {0x41E, 'O'}, {0x43E, 'o'}, {0x39F, 'O'}, {0x3BF, 'o'}, {0x420, 'P'}, {0x440, 'p'},
                 {0x421, 'C'}, {0x441, 'c'}, {0x425, 'X'}, {0x445, 'x'}};
    for (const auto& fit : kFits)
        if (fit.code == c) return fit.letter;
    return 0;
}

// `text` after a trip through the code page, as the A calls hand it over.
inline std::string ThroughCodePage(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const Utf8Char c = Utf8CharAt(text, i);
        if (c.length == 0) {
            out.push_back('?');
            ++i;
            continue;
        }
        if (c.code < 0x100) AppendUtf8(out, c.code);
        else if (const char fit = BestFit(c.code)) out.push_back(fit);
        else out.push_back('?');
        i += c.length;
    }
    return out;
}

}  // namespace qm::sim
