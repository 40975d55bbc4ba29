// Version resources and the shell's file types, held to the same rules on
// every machine: the same bytes queried through VerQueryValue, the system
// library nobody here wrote, and this program's own resource.
#include <gtest/gtest.h>

#include <cstring>

#include "contract/env.h"
#include "core/inspect/file_version.h"
#include "platform/sim/version_block.h"

namespace qm {
namespace {

using contract::IsWine;
using contract::Machine;

std::uint32_t Dword(const std::vector<std::uint8_t>& bytes, size_t at) {
    std::uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(bytes.at(at + i)) << (8 * i);
    return v;
}

// A block as GetFileVersionInfoA leaves it: the resource, the "FE2X" mark,
// then room where the ANSI query puts the 8-bit copies of text values.
std::vector<std::uint8_t> AsReadBlock(const sim::VersionFixture& fixture) {
    std::vector<std::uint8_t> block = sim::BuildVersionResource(fixture);
    const size_t length = block.size();
    block.resize(length * 3 + 16, 0);
    const char mark[] = "FE2X";
    std::memcpy(block.data() + length, mark, 4);
    return block;
}

sim::VersionFixture MixedCaseFixture() {
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
                        {"Empty", ""}}},
                      {"040704B0", {{"CompanyName", "Acme GmbH"}}}};
    return f;
}

std::string Text(const std::vector<std::uint8_t>& value) {
    const char* data = reinterpret_cast<const char*>(value.data());
    return std::string(data, strnlen(data, value.size()));
}

TEST(VersionQueryContract, BlockNamesMatchWithoutRegardToCase) {
    IVersionResources& versions = Machine().versions;
    const std::vector<std::uint8_t> block = AsReadBlock(MixedCaseFixture());
    struct Case {
        const char* subBlock;
        const char* text;  // nullptr: the query fails
    } cases[] = {
        {"\\StringFileInfo\\040904E4\\CompanyName", "Acme"},
        {"\\stringfileinfo\\040904e4\\COMPANYNAME", "Acme"},
        {"\\StringFileInfo\\040904E4\\LegalCopyRight", "(c) Acme"},
        {"\\StringFileInfo\\040704b0\\CompanyName", "Acme GmbH"},
        {"\\StringFileInfo\\040904E4\\Comments", "shown"},  // cut at its NUL by the reader
        {"\\StringFileInfo\\040904E4\\Empty", ""},
        {"\\StringFileInfo\\040904E4\\Company", nullptr},   // a prefix is no match
        {"\\StringFileInfo\\040904E4\\CompanyNameX", nullptr},
        {"\\StringFileInfo\\040904B0\\CompanyName", nullptr},  // no such table
        {"\\NoSuchBlock", nullptr},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> value;
        const bool found = versions.VerQueryValue(block, c.subBlock, value);
        EXPECT_EQ(c.text != nullptr, found) << c.subBlock;
        if (found && c.text) {
            EXPECT_EQ(c.text, Text(value)) << c.subBlock;
        }
    }
}

TEST(VersionQueryContract, RootAndTranslationComeBackAsStoredBytes) {
    IVersionResources& versions = Machine().versions;
    const std::vector<std::uint8_t> block = AsReadBlock(MixedCaseFixture());
    for (const char* root : {"", "\\"}) {
        std::vector<std::uint8_t> fixed;
        ASSERT_TRUE(versions.VerQueryValue(block, root, fixed)) << root;
        ASSERT_EQ(sizeof(TFixedFileInfo), fixed.size()) << root;
        EXPECT_EQ(0xFEEF04BDu, Dword(fixed, 0));
        EXPECT_EQ(0x3Eu, Dword(fixed, 24));  // dwFileFlagsMask
        EXPECT_EQ(0x03u, Dword(fixed, 28));  // dwFileFlags
        EXPECT_EQ(3u, Dword(fixed, 36));     // dwFileType
        EXPECT_EQ(7u, Dword(fixed, 40));     // dwFileSubtype
    }
    std::vector<std::uint8_t> translation;
    ASSERT_TRUE(versions.VerQueryValue(block, "\\VarFileInfo\\Translation", translation));
    ASSERT_EQ(8u, translation.size());
    EXPECT_EQ(0x04E40409u, Dword(translation, 0));
    EXPECT_EQ(0x04B00407u, Dword(translation, 4));
}

TEST(VersionQueryContract, AResourceWithoutTablesAnswersOnlyItsRoot) {
    IVersionResources& versions = Machine().versions;
    sim::VersionFixture bare;
    bare.fixed = sim::FixedFileFixture{};
    const std::vector<std::uint8_t> block = AsReadBlock(bare);
    std::vector<std::uint8_t> value;
    EXPECT_TRUE(versions.VerQueryValue(block, "\\", value));
    EXPECT_FALSE(versions.VerQueryValue(block, "\\VarFileInfo\\Translation", value));
    EXPECT_FALSE(versions.VerQueryValue(block, "\\StringFileInfo\\040904B0\\CompanyName", value));
}

TEST(FileVersionContract, SystemLibraryHasAVersionResourceButIsNoProgramToTheShell) {
    Platform& p = Machine();
    const std::string path = contract::SystemLibrary();
    const std::uint32_t size = p.versions.GetFileVersionInfoSize(path);
    ASSERT_GT(size, 0u);
    std::vector<std::uint8_t> block;
    ASSERT_TRUE(p.versions.GetFileVersionInfo(path, size, block));
    std::vector<std::uint8_t> translation, fixed;
    ASSERT_TRUE(p.versions.VerQueryValue(block, "\\VarFileInfo\\Translation", translation));
    ASSERT_GE(translation.size(), 4u);
    EXPECT_EQ(0x04B00409u, Dword(translation, 0));  // language 0409, code page 04B0
    ASSERT_TRUE(p.versions.VerQueryValue(block, "\\", fixed));
    ASSERT_GE(fixed.size(), sizeof(TFixedFileInfo));
    EXPECT_EQ(2u, Dword(fixed, 36));  // VFT_DLL
    std::vector<std::uint8_t> company;
    EXPECT_TRUE(p.versions.VerQueryValue(block, "\\StringFileInfo\\040904B0\\CompanyName", company));

    // A library is no program to the shell: only its type name is read.
    ShellFileInfo info;
    EXPECT_EQ(0u, p.shell.GetFileInfo(path, 0, info, kShgfiExeType));
    TFileVersionInfo version;
    version.CompanyName = "left over";
    ReadFileVersionInfo(p, path, version);
    // Wine names types it has no description for after their extension.
    EXPECT_EQ(IsWine() ? "dll file" : "Application extension", version.ShellTypeName);
    EXPECT_EQ("", version.CompanyName);
    EXPECT_EQ("", version.FileVersion);
    EXPECT_EQ("", version.FileTypeText);
}

TEST(FileVersionContract, ProgramWithKnownResourceYieldsEveryField) {
    Platform& p = Machine();
    TFileVersionInfo v;
    ReadFileVersionInfo(p, contract::VersionedProgram(), v);
    EXPECT_EQ(IsWine() ? "exe file" : "Application", v.ShellTypeName);
    EXPECT_EQ("Quellmark Test Fixtures", v.CompanyName);
    EXPECT_EQ("Contract test program", v.FileDescription);
    EXPECT_EQ("1.2.3.4", v.FileVersion);
    EXPECT_EQ("contract_tests", v.InternalName);
    EXPECT_EQ("(c) the fixtures", v.LegalCopyRight);  // stored as "LegalCopyright"
    EXPECT_EQ("none", v.LegalTradeMarks);
    EXPECT_EQ("contract_tests_win32.exe", v.OriginalFileName);
    EXPECT_EQ("Quellmark", v.ProductName);
    EXPECT_EQ("5.6", v.ProductVersion);
    EXPECT_EQ("known values", v.Comments);
    EXPECT_EQ("fixture build", v.SpecialBuild);
    EXPECT_EQ("", v.PrivateBuild);
    EXPECT_EQ("Application", v.FileTypeText);
    EXPECT_TRUE(v.IsDebug);
    EXPECT_TRUE(v.IsSpecialBuild);
    EXPECT_FALSE(v.IsPreRelease);
    EXPECT_FALSE(v.IsPrivateBuild);
    EXPECT_FALSE(v.IsPatched);
    EXPECT_FALSE(v.IsInfoInferred);
}

TEST(FileVersionContract, TheSystemsRegistryEditorNamesItsMakerAndVersion) {
    const std::string program = contract::ExistingProgram();
    const std::string path = program.substr(0, program.find_last_of('\\')) + "\\regedit.exe";
    TFileVersionInfo v;
    ReadFileVersionInfo(Machine(), path, v);
    EXPECT_EQ("Microsoft Corporation", v.CompanyName);
    // Wine describes its own editor as "Wine Registry Editor".
    EXPECT_NE(std::string::npos, v.FileDescription.find("Registry Editor")) << v.FileDescription;
    EXPECT_FALSE(v.FileVersion.empty());
    EXPECT_EQ("Application", v.FileTypeText);
    EXPECT_FALSE(v.IsDebug);
}

TEST(FileVersionContract, MissingFileLeavesEveryFieldEmpty) {
    TFileVersionInfo v;
    ReadFileVersionInfo(Machine(), "c:\\no\\such\\folder\\missing.exe", v);
    EXPECT_EQ("", v.ShellTypeName);
    EXPECT_EQ("", v.CompanyName);
    EXPECT_EQ("", v.FileTypeText);
    EXPECT_FALSE(v.IsDebug);
    // Windows fails both shell queries for an empty path; Wine calls it a
    // "Folder", but the executable-type query still answers zero.
    v.CompanyName = "left over";
    ReadFileVersionInfo(Machine(), "", v);
    EXPECT_EQ(IsWine() ? "Folder" : "", v.ShellTypeName);
    EXPECT_EQ("", v.CompanyName);
    EXPECT_EQ("", v.FileTypeText);
}

}  // namespace
}  // namespace qm
