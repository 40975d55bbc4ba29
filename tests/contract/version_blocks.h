// Well-formed version blocks as GetFileVersionInfoA leaves them, and what
// VerQueryValueA finds in them: the program's own reader is held to these
// answers on every machine, and to the system's query itself on Windows.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/sim/version_block.h"

namespace qm::contract {

inline std::uint32_t Dword(const std::vector<std::uint8_t>& bytes, size_t at) {
    std::uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(bytes.at(at + i)) << (8 * i);
    return v;
}

// The resource, the "FE2X" mark, then room where the ANSI query puts the
// 8-bit copies of text values.
inline std::vector<std::uint8_t> AsReadBlock(const std::vector<std::uint8_t>& resource) {
    std::vector<std::uint8_t> block = resource;
    block.resize(resource.size() * 3 + 16, 0);
    std::memcpy(block.data() + resource.size(), "FE2X", 4);
    return block;
}

inline sim::VersionFixture MixedCaseFixture() {
    sim::VersionFixture f;
    sim::FixedFileFixture fixed;
    fixed.fileFlagsMask = 0x3E;
    fixed.fileFlags = 0x03;
    fixed.fileType = 3;
    fixed.fileSubtype = 7;
    f.fixed = fixed;
    f.translations = {{0x0409, 0x04E4}, {0x0407, 0x04B0}};
    f.stringTables = {{"040904e4",
                       {{"CompanyName", "Acme"},
                        {"LegalCopyright", "(c) Acme"},
                        {"Comments", std::string("shown\0hidden", 12)},
                        {"Empty", ""},
                        {"Accented", "Caf\u00E9"},
                        {"Unicode", "\u0416\u0443\u043A \u4E2D\u6587 \U0001F600 \u200F\u05D0"}}},
                      {"040704B0", {{"CompanyName", "Acme GmbH"}}}};
    return f;
}

struct TextQuery {
    const char* subBlock;
    const char* text;  // nullptr: the query fails
};
inline constexpr TextQuery kMixedCaseQueries[] = {
    {"\\StringFileInfo\\040904E4\\CompanyName", "Acme"},
    {"\\stringfileinfo\\040904e4\\COMPANYNAME", "Acme"},
    {"\\StringFileInfo\\040904E4\\LegalCopyRight", "(c) Acme"},
    {"\\StringFileInfo\\040704b0\\CompanyName", "Acme GmbH"},
    {"StringFileInfo\\\\040704b0\\CompanyName\\", "Acme GmbH"},  // runs of backslashes count as one
    {"\\StringFileInfo\\040904E4\\Comments", "shown"},           // cut at its NUL
    {"\\StringFileInfo\\040904E4\\Empty", ""},
    {"\\StringFileInfo\\040904E4\\Accented", "Caf\u00E9"},
    // Cyrillic, CJK, an emoji beyond the Basic Multilingual Plane, a right-to-left mark: every one whole.
    {"\\StringFileInfo\\040904E4\\Unicode", "\u0416\u0443\u043A \u4E2D\u6587 \U0001F600 \u200F\u05D0"},
    {"\\StringFileInfo\\040904E4\\Company", nullptr},  // a prefix is no match
    {"\\StringFileInfo\\040904E4\\CompanyNameX", nullptr},
    {"\\StringFileInfo\\040904B0\\CompanyName", nullptr},  // no such table
    {"\\NoSuchBlock", nullptr},
};

// A resource of the 16-bit layout (NE files): 8-bit texts, no type words.
inline std::vector<std::uint8_t> SixteenBitResource() {
    using sim::version_block::Block16;
    auto text = [](const std::string& s) {
        std::vector<std::uint8_t> out(s.begin(), s.end());
        out.push_back(0);
        return out;
    };
    std::vector<std::uint8_t> fixed, translation;
    for (std::uint32_t v : {0xFEEF04BDu, 0x00010000u, 0x00030000u, 1u, 0u, 0u, 0x3Fu, 1u, 1u, 2u, 0u, 0u, 0u})
        sim::version_block::Put32(fixed, v);
    sim::version_block::Put32(translation, 0x04E40409u);
    return Block16(
        "VS_VERSION_INFO", fixed, static_cast<std::uint16_t>(fixed.size()),
        {Block16("StringFileInfo", {}, 0,
                 {Block16("040904E4", {}, 0,
                          {Block16("CompanyName", text("Acme 16"), 8), Block16("FileVersion", text("3.0"), 4)})}),
         Block16("VarFileInfo", {}, 0, {Block16("Translation", translation, 4)})});
}

}  // namespace qm::contract
