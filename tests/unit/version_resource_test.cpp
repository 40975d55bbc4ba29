// The version-resource reader against hostile bytes: lengths that lie,
// texts without their NUL, blocks cut short or running past their parent,
// the 16-bit layout, and every truncation and single-byte change of real
// fixtures, each read from a buffer of exactly its size (AddressSanitizer
// stops the run at the first byte read beyond it).
#include <gtest/gtest.h>

#include <memory>

#include "core/inspect/file_version.h"
#include "core/inspect/version_resource.h"
#include "fixtures/damaged_versions.h"
#include "forms/about_form.h"
#include "forms/main_form.h"
#include "platform/sim/version_block.h"
#include "ui/sim/sim_desktop.h"

namespace qm {
namespace {

constexpr const char* kTool = "c:\\program files\\tool\\tool.exe";

sim::SimFile ProgramWith(std::vector<std::uint8_t> resource) {
    sim::SimFile file;
    file.typeName = "Application";
    file.exeType = 0x04004550;
    file.versionResource = std::move(resource);
    return file;
}

using sim::version_block::Block16;

std::vector<std::uint8_t> Ansi(const std::string& text) {
    std::vector<std::uint8_t> out(text.begin(), text.end());
    out.push_back(0);
    return out;
}

std::vector<std::uint8_t> Resource16() {
    std::vector<std::uint8_t> fixed, translation;
    for (std::uint32_t v :
         {0xFEEF04BDu, 0x00010000u, 0x00030000u, 0x00000001u, 0u, 0u, 0x3Fu, 0x01u, 0x1u, 2u, 0u, 0u, 0u})
        sim::version_block::Put32(fixed, v);
    sim::version_block::Put32(translation, 0x04E40409u);
    return Block16("VS_VERSION_INFO", fixed, static_cast<std::uint16_t>(fixed.size()),
                   {Block16("StringFileInfo", {}, 0,
                            {Block16("040904E4", {}, 0,
                                     {Block16("CompanyName", Ansi("Acme 16"), 8),
                                      Block16("FileVersion", Ansi("3.0"), 99)})}),  // a lying length
                    Block16("VarFileInfo", {}, 0, {Block16("Translation", translation, 4)})});
}

TEST(VersionResource, DamagedBlocksGiveBoundedOrEmptyFields) {
    for (const fixtures::DamagedVersion& c : fixtures::DamagedVersions()) {
        sim::SimMachine m;
        m.files.AddFile(kTool, ProgramWith(c.bytes));
        FileVersionInfo v;
        v.CompanyName = "left over";
        ReadFileVersionInfo(m.platform, kTool, v);
        EXPECT_EQ(c.shown.company, v.CompanyName) << c.name;
        EXPECT_EQ(c.shown.description, v.FileDescription) << c.name;
        EXPECT_EQ(c.shown.fileVersion, v.FileVersion) << c.name;
        EXPECT_EQ(c.fixedInfo ? "Application" : "", v.FileTypeText) << c.name;
        EXPECT_EQ("", v.ProductName) << c.name;  // no such string in any of them
    }
}

TEST(VersionResource, TheSixteenBitLayoutIsReadWithinItsBlocks) {
    sim::SimMachine m;
    m.files.AddFile(kTool, ProgramWith(Resource16()));
    FileVersionInfo v;
    ReadFileVersionInfo(m.platform, kTool, v);
    EXPECT_EQ("Acme 16", v.CompanyName);
    EXPECT_EQ("3.0", v.FileVersion);  // its length claims 99 bytes
    EXPECT_EQ("DLL", v.FileTypeText);
    EXPECT_TRUE(v.IsDebug);
    std::string build;
    EXPECT_TRUE(GetFileVersionText(m.versions, kTool, build));
    EXPECT_EQ("3.0.0.1", build);
}

TEST(VersionResource, AHugeClaimedSizeIsNotAllocated) {
    sim::SimMachine m;
    m.files.AddFile(kTool, ProgramWith(fixtures::IntactVersion()));
    m.versions.claimedSize = 0xFFFFFFF0u;
    FileVersionInfo v;
    ReadFileVersionInfo(m.platform, kTool, v);
    EXPECT_EQ("Acme", v.CompanyName);
    EXPECT_EQ("2.1.0.7", v.FileVersion);
    EXPECT_EQ(VersionResource::kLargestBuffer, m.versions.largestRead);
}

TEST(VersionResource, AFailedReadKeepsTheLastResourceRead) {
    // Reading fails from the second read on: the first key was read, the
    // others stay empty, the root block of the first read still gives the type.
    struct FailingAfterOne : sim::SimVersions {
        using SimVersions::SimVersions;
        bool GetFileVersionInfo(const std::string& path, std::uint32_t size,
                                std::vector<std::uint8_t>& block) override {
            return reads == 0 && SimVersions::GetFileVersionInfo(path, size, block);
        }
    };
    sim::SimMachine m;
    m.files.AddFile(kTool, ProgramWith(fixtures::IntactVersion()));
    FailingAfterOne versions(m.files);
    Platform platform{m.registry,  m.services, m.shell, m.files, versions,
                      m.processes, m.system,   m.token, m.user,  m.tasks};
    FileVersionInfo v;
    ReadFileVersionInfo(platform, kTool, v);
    EXPECT_EQ("Acme", v.CompanyName);
    EXPECT_EQ("", v.FileDescription);
    EXPECT_EQ("Application", v.FileTypeText);
}

// Every query the program makes, and a few more, on one buffer; each value
// found must lie inside it.
void QueryEverything(std::span<const std::uint8_t> bytes) {
    for (const char* path : {"", "\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904B0\\CompanyName",
                             "\\StringFileInfo\\040904B0\\FileVersion", "\\StringFileInfo\\040904E4\\CompanyName",
                             "\\StringFileInfo\\040904e4\\FileVersion", "\\StringFileInfo", "\\\\VarFileInfo\\\\"}) {
        const std::optional<VersionValue> value = QueryVersionValue(bytes, path);
        if (!value) continue;
        ASSERT_GE(value->data.data(), bytes.data()) << path;
        ASSERT_LE(value->data.data() + value->data.size(), bytes.data() + bytes.size()) << path;
        ASSERT_LE(value->Binary().size(), value->data.size()) << path;
        const std::string text = VersionValueText(*value);
        ASSERT_LE(text.size(), bytes.size()) << path;
    }
}

// Each fixture cut at every length and changed at every byte, read from a
// buffer of exactly its size.
TEST(VersionResource, NoTruncationOrChangedByteReadsOutsideTheBlock) {
    std::vector<std::vector<std::uint8_t>> fixtures{fixtures::IntactVersion(), Resource16()};
    for (const fixtures::DamagedVersion& c : fixtures::DamagedVersions()) fixtures.push_back(c.bytes);
    auto exact = [&](const std::vector<std::uint8_t>& source, size_t size) {
        std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size]);
        std::copy_n(source.begin(), size, copy.get());
        QueryEverything(std::span<const std::uint8_t>(copy.get(), size));
    };
    for (const std::vector<std::uint8_t>& fixture : fixtures) {
        for (size_t size = 0; size <= fixture.size(); ++size) exact(fixture, size);
        for (size_t at = 0; at < fixture.size(); ++at) {
            for (std::uint8_t changed : {0x00, 0x01, 0x06, 0x20, 0x7F, 0xFF}) {
                std::vector<std::uint8_t> damaged = fixture;
                damaged[at] = changed;
                exact(damaged, damaged.size());
            }
        }
    }
}

TEST(VersionResource, TextsStopAtTheirBlockOrTheirNul) {
    using sim::version_block::Block;
    sim::SimMachine m;
    struct Case {
        const char* name;
        std::vector<std::uint8_t> value;  // UTF-16 bytes as stored
        std::uint16_t valueLength;
        const char* text;
    } cases[] = {
        {"honest", {'A', 0, 'b', 0, 0, 0}, 3, "Ab"},
        {"claims none", {'A', 0, 'b', 0, 0, 0}, 0, ""},
        {"embedded NUL", {'A', 0, 0, 0, 'b', 0, 0, 0}, 4, "A"},
        {"no NUL at all", {'A', 0, 'b', 0, 'c', 0}, 3, "Abc"},
        {"an odd byte at the end", {'A', 0, 'b', 0, 'c'}, 3, "Ab"},
        {"beyond Latin-1", {0x2D, 0x4E, 'x', 0, 0, 0}, 3, "\u4E2Dx"},
        {"beyond the Basic Multilingual Plane", {0x3D, 0xD8, 0x00, 0xDE, 0, 0}, 3, "\U0001F600"},
        {"a lone surrogate kept as itself", {0x3D, 0xD8, 'x', 0, 0, 0}, 3, "\xED\xA0\xBDx"},
    };
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> block = Block("Key", true, c.value, c.valueLength);
        const std::optional<VersionValue> value = QueryVersionValue(block, "\\");
        ASSERT_TRUE(value) << c.name;
        EXPECT_EQ(c.text, VersionValueText(*value)) << c.name;
    }
}

std::vector<std::uint8_t> Damaged(const std::string& name) {
    for (const fixtures::DamagedVersion& c : fixtures::DamagedVersions())
        if (c.name == name) return c.bytes;
    ADD_FAILURE() << "no damaged resource " << name;
    return {};
}

TEST(AboutDialog, TheProgramsOwnDamagedResourceGivesBoundedTexts) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> resource;
        const char* versionText;
    } cases[] = {
        {"intact", fixtures::IntactVersion(), "Version  (Build 2.1.0.7)"},
        {"truncated", Damaged("truncated"), "Version  (Build )"},
        {"16-bit", Resource16(), "Version  (Build 3.0.0.1)"},
        // The product version claims one character of its three.
        {"lying product version",
         fixtures::damaged_detail::Resource({{"ProductVersion", "1.0", 1}, {"FileVersion", "2.1", 99, false}}),
         "Version 1.0 (Build 2.1.0.7)"},
    };
    for (const Case& c : cases) {
        sim::SimDesktop m;
        sim::SimFile self;
        self.versionResource = c.resource;
        m.files.AddFile(m.system.modulePath, self);
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        AboutDialog dialog(form);
        EXPECT_EQ(c.versionText, dialog.versionText) << c.name;
    }
}

}  // namespace
}  // namespace qm
