// Version resources and the shell's file types, held to the same rules on
// every machine: the program's own version-block reader on the same bytes,
// on the resources of real files (the system library nobody here wrote,
// this program's own), and the texts converted to the ANSI code page.
#include <gtest/gtest.h>

#include <cstring>

#include "contract/env.h"
#include "contract/version_blocks.h"
#include "core/inspect/file_version.h"
#include "core/inspect/version_resource.h"

namespace qm {
namespace {

using contract::Dword;
using contract::IsWine;
using contract::Machine;

std::vector<std::uint8_t> Bytes(std::span<const std::uint8_t> value) { return {value.begin(), value.end()}; }

TEST(VersionQueryContract, BlockNamesMatchWithoutRegardToCase) {
    const std::vector<std::uint8_t> block =
        contract::AsReadBlock(sim::BuildVersionResource(contract::MixedCaseFixture()));
    for (const contract::TextQuery& c : contract::kMixedCaseQueries) {
        const std::optional<VersionValue> value = QueryVersionValue(block, c.subBlock);
        EXPECT_EQ(c.text != nullptr, value.has_value()) << c.subBlock;
        if (value && c.text) {
            EXPECT_EQ(c.text, VersionValueText(*value)) << c.subBlock;
        }
    }
}

TEST(VersionQueryContract, RootAndTranslationComeBackAsStoredBytes) {
    const std::vector<std::uint8_t> block =
        contract::AsReadBlock(sim::BuildVersionResource(contract::MixedCaseFixture()));
    for (const char* root : {"", "\\"}) {
        const std::optional<VersionValue> value = QueryVersionValue(block, root);
        ASSERT_TRUE(value) << root;
        const std::vector<std::uint8_t> fixed = Bytes(value->Binary());
        ASSERT_EQ(sizeof(FixedFileInfo), fixed.size()) << root;
        EXPECT_EQ(0xFEEF04BDu, Dword(fixed, 0));
        EXPECT_EQ(0x3Eu, Dword(fixed, 24));  // dwFileFlagsMask
        EXPECT_EQ(0x03u, Dword(fixed, 28));  // dwFileFlags
        EXPECT_EQ(3u, Dword(fixed, 36));     // dwFileType
        EXPECT_EQ(7u, Dword(fixed, 40));     // dwFileSubtype
    }
    const std::optional<VersionValue> translation = QueryVersionValue(block, "\\VarFileInfo\\Translation");
    ASSERT_TRUE(translation);
    const std::vector<std::uint8_t> table = Bytes(translation->Binary());
    ASSERT_EQ(8u, table.size());
    EXPECT_EQ(0x04E40409u, Dword(table, 0));
    EXPECT_EQ(0x04B00407u, Dword(table, 4));
}

TEST(VersionQueryContract, AResourceWithoutTablesAnswersOnlyItsRoot) {
    sim::VersionFixture bare;
    bare.fixed = sim::FixedFileFixture{};
    const std::vector<std::uint8_t> block = contract::AsReadBlock(sim::BuildVersionResource(bare));
    EXPECT_TRUE(QueryVersionValue(block, "\\"));
    EXPECT_FALSE(QueryVersionValue(block, "\\VarFileInfo\\Translation"));
    EXPECT_FALSE(QueryVersionValue(block, "\\StringFileInfo\\040904B0\\CompanyName"));
}

TEST(FileVersionContract, SystemLibraryHasAVersionResourceButIsNoProgramToTheShell) {
    Platform& p = Machine();
    const std::string path = contract::SystemLibrary();
    VersionResource resource(p.versions, path);
    ASSERT_GT(resource.Size(), 0u);
    ASSERT_TRUE(resource.Read());
    EXPECT_EQ(0x04B00409u, resource.FirstTranslation().value_or(0));  // language 0409, code page 04B0
    ASSERT_TRUE(resource.Fixed());
    EXPECT_EQ(2u, resource.Fixed()->dwFileType);  // VFT_DLL
    EXPECT_EQ("Microsoft Corporation", resource.Text("\\StringFileInfo\\040904B0\\CompanyName").value_or("none"));

    // A library is no program to the shell: only its type name is read.
    ShellFileInfo info;
    EXPECT_EQ(0u, p.shell.GetFileInfo(path, 0, info, kShgfiExeType));
    FileVersionInfo version;
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
    FileVersionInfo v;
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
    FileVersionInfo v;
    ReadFileVersionInfo(Machine(), path, v);
    EXPECT_EQ("Microsoft Corporation", v.CompanyName);
    // Wine describes its own editor as "Wine Registry Editor".
    EXPECT_NE(std::string::npos, v.FileDescription.find("Registry Editor")) << v.FileDescription;
    EXPECT_FALSE(v.FileVersion.empty());
    EXPECT_EQ("Application", v.FileTypeText);
    EXPECT_FALSE(v.IsDebug);
}

TEST(FileVersionContract, MissingFileLeavesEveryFieldEmpty) {
    FileVersionInfo v;
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
