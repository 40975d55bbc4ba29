// VS_VERSIONINFO blocks in the 32-bit (UTF-16) layout that resource compilers
// write (and the 16-bit layout of NE files), built for fixtures. Header-only and free of any machine, so tests on
// every platform (and the probe that plants resources into real files) build
// the same bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/text_utf.h"

namespace qm::sim {

// The members of VS_FIXEDFILEINFO a fixture chooses; the signature and
// structure version are written as Windows writes them.
struct FixedFileFixture {
    std::uint32_t fileVersionMS = 0, fileVersionLS = 0;
    std::uint32_t productVersionMS = 0, productVersionLS = 0;
    std::uint32_t fileFlagsMask = 0x3F, fileFlags = 0;
    std::uint32_t fileOS = 0x40004;  // VOS_NT_WINDOWS32
    std::uint32_t fileType = 1, fileSubtype = 0;
};

struct StringTableFixture {
    std::string block;                                         // "040904B0": language and code page in hex
    std::vector<std::pair<std::string, std::string>> strings;  // values may hold NULs
};

struct VersionFixture {
    std::optional<FixedFileFixture> fixed;                              // absent: a root block without a value
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;  // language, code page; none: no VarFileInfo
    std::vector<StringTableFixture> stringTables;                       // none: no StringFileInfo
};

namespace version_block {

inline void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, static_cast<std::uint16_t>(v));
    Put16(out, static_cast<std::uint16_t>(v >> 16));
}
inline void Pad4(std::vector<std::uint8_t>& out) {
    while (out.size() % 4) out.push_back(0);
}
// UTF-8 text as UTF-16 units; other bytes widened one by one (Latin-1).
inline std::u16string TextUnits(const std::string& text) {
    std::u16string units;
    if (Utf16FromUtf8(text, units)) return units;
    units.clear();
    for (char c : text) units.push_back(static_cast<unsigned char>(c));
    return units;
}
inline void PutText(std::vector<std::uint8_t>& out, const std::string& text) {
    for (char16_t c : TextUnits(text)) Put16(out, c);
}

// One block: header, key, value, children. The block starts at offset
// `out.size()`, which the caller keeps DWORD-aligned.
inline void PutBlock(std::vector<std::uint8_t>& out, const std::string& key, bool text,
                     const std::vector<std::uint8_t>& value, std::uint16_t valueLength,
                     const std::vector<std::vector<std::uint8_t>>& children) {
    const size_t start = out.size();
    Put16(out, 0);
    Put16(out, valueLength);
    Put16(out, text ? 1 : 0);
    PutText(out, key);
    Put16(out, 0);
    Pad4(out);
    out.insert(out.end(), value.begin(), value.end());
    for (const auto& child : children) {
        Pad4(out);
        out.insert(out.end(), child.begin(), child.end());
    }
    const size_t length = out.size() - start;
    out[start] = static_cast<std::uint8_t>(length);
    out[start + 1] = static_cast<std::uint8_t>(length >> 8);
}

inline std::vector<std::uint8_t> Block(const std::string& key, bool text, const std::vector<std::uint8_t>& value,
                                       std::uint16_t valueLength,
                                       const std::vector<std::vector<std::uint8_t>>& children = {}) {
    std::vector<std::uint8_t> out;
    PutBlock(out, key, text, value, valueLength, children);
    return out;
}

// One block of the 16-bit layout that NE files carry: length, value length
// and an 8-bit key, then the value and the children, each aligned to 4.
inline std::vector<std::uint8_t> Block16(const std::string& key, const std::vector<std::uint8_t>& value,
                                         std::uint16_t valueLength,
                                         const std::vector<std::vector<std::uint8_t>>& children = {}) {
    std::vector<std::uint8_t> out;
    Put16(out, 0);
    Put16(out, valueLength);
    out.insert(out.end(), key.begin(), key.end());
    out.push_back(0);
    Pad4(out);
    out.insert(out.end(), value.begin(), value.end());
    for (const auto& child : children) {
        Pad4(out);
        out.insert(out.end(), child.begin(), child.end());
    }
    out[0] = static_cast<std::uint8_t>(out.size());
    out[1] = static_cast<std::uint8_t>(out.size() >> 8);
    return out;
}

}  // namespace version_block

// The bytes of a version resource, as GetFileVersionInfo returns them.
inline std::vector<std::uint8_t> BuildVersionResource(const VersionFixture& fixture) {
    using namespace version_block;
    std::vector<std::uint8_t> fixed;
    if (fixture.fixed) {
        const FixedFileFixture& f = *fixture.fixed;
        for (std::uint32_t v :
             {0xFEEF04BDu, 0x00010000u, f.fileVersionMS, f.fileVersionLS, f.productVersionMS, f.productVersionLS,
              f.fileFlagsMask, f.fileFlags, f.fileOS, f.fileType, f.fileSubtype, 0u, 0u})
            Put32(fixed, v);
    }
    std::vector<std::vector<std::uint8_t>> sections;
    if (!fixture.stringTables.empty()) {
        std::vector<std::vector<std::uint8_t>> tables;
        for (const StringTableFixture& table : fixture.stringTables) {
            std::vector<std::vector<std::uint8_t>> strings;
            for (const auto& [key, value] : table.strings) {
                std::vector<std::uint8_t> wide;
                PutText(wide, value);
                Put16(wide, 0);
                // A text value's length counts characters, its NUL included.
                strings.push_back(Block(key, true, wide, static_cast<std::uint16_t>(TextUnits(value).size() + 1)));
            }
            tables.push_back(Block(table.block, true, {}, 0, strings));
        }
        sections.push_back(Block("StringFileInfo", true, {}, 0, tables));
    }
    if (!fixture.translations.empty()) {
        std::vector<std::uint8_t> array;
        for (const auto& [language, codePage] : fixture.translations)
            Put32(array, static_cast<std::uint32_t>(language) | static_cast<std::uint32_t>(codePage) << 16);
        sections.push_back(Block("VarFileInfo", true, {}, 0,
                                 {Block("Translation", false, array, static_cast<std::uint16_t>(array.size()))}));
    }
    return Block("VS_VERSION_INFO", false, fixed, static_cast<std::uint16_t>(fixed.size()), sections);
}

}  // namespace qm::sim
