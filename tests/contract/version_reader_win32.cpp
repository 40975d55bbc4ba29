// Only where the system's own version functions exist: the program's
// version-block reader answers as VerQueryValueW does on well-formed blocks.
// The program never asks VerQueryValue itself, which trusts the lengths
// written in the block.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/windows_clean.h"
#include "contract/env.h"
#include "contract/version_blocks.h"
#include "core/inspect/file_version.h"
#include "core/inspect/version_resource.h"
#include "platform/win32/win32_text.h"

namespace qm {
namespace {

// What VerQueryValueW gives for a sub-block: the text up to its NUL (the
// system's reported length counts characters), in UTF-8, or nothing.
std::optional<std::string> SystemText(std::vector<std::uint8_t>& block, const std::string& subBlock) {
    void* data = nullptr;
    UINT length = 0;
    std::wstring wide;
    if (!win32::ToWide(subBlock, wide) || !VerQueryValueW(block.data(), wide.c_str(), &data, &length) || !data)
        return std::nullopt;
    const auto* text = static_cast<const wchar_t*>(data);
    return win32::FromWide(text, wcsnlen(text, length));
}

std::optional<std::vector<std::uint8_t>> SystemBinary(std::vector<std::uint8_t>& block, const std::string& subBlock) {
    void* data = nullptr;
    UINT length = 0;
    std::wstring wide;
    if (!win32::ToWide(subBlock, wide) || !VerQueryValueW(block.data(), wide.c_str(), &data, &length) || !data)
        return std::nullopt;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + length);
}

std::optional<std::string> OwnText(std::vector<std::uint8_t>& block, const std::string& subBlock) {
    const std::optional<VersionValue> value = QueryVersionValue(block, subBlock);
    if (!value) return std::nullopt;
    return VersionValueText(*value);
}

std::optional<std::vector<std::uint8_t>> OwnBinary(std::vector<std::uint8_t>& block, const std::string& subBlock) {
    const std::optional<VersionValue> value = QueryVersionValue(block, subBlock);
    if (!value) return std::nullopt;
    return std::vector<std::uint8_t>(value->Binary().begin(), value->Binary().end());
}

TEST(VersionReaderVsSystem, TheReaderAnswersAsVerQueryValueOnWellFormedBlocks) {
    std::vector<std::uint8_t> block = contract::AsReadBlock(sim::BuildVersionResource(contract::MixedCaseFixture()));
    for (const contract::TextQuery& c : contract::kMixedCaseQueries) {
        EXPECT_EQ(SystemText(block, c.subBlock), OwnText(block, c.subBlock)) << c.subBlock;
    }
    for (const char* binary : {"\\", "", "\\VarFileInfo\\Translation"})
        EXPECT_EQ(SystemBinary(block, binary), OwnBinary(block, binary)) << binary;

    // The 16-bit layout of NE files.
    std::vector<std::uint8_t> old = contract::AsReadBlock(contract::SixteenBitResource());
    for (const char* text : {"\\StringFileInfo\\040904E4\\CompanyName", "\\StringFileInfo\\040904e4\\FileVersion",
                             "\\StringFileInfo\\040904E4\\Missing"})
        EXPECT_EQ(SystemText(old, text), OwnText(old, text)) << text;
    for (const char* binary : {"\\", "\\VarFileInfo\\Translation"})
        EXPECT_EQ(SystemBinary(old, binary), OwnBinary(old, binary)) << binary;
    EXPECT_EQ("Acme 16", OwnText(old, "\\StringFileInfo\\040904E4\\CompanyName").value_or("none"));
}

TEST(VersionReaderVsSystem, TheReaderAnswersAsVerQueryValueOnRealFiles) {
    char system[MAX_PATH] = {}, windows[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string files[] = {std::string(system) + "\\kernel32.dll", std::string(windows) + "\\regedit.exe",
                                 contract::VersionedProgram()};
    for (const std::string& file : files) {
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
        ASSERT_GT(size, 0u) << file;
        std::vector<std::uint8_t> block(size);
        ASSERT_TRUE(GetFileVersionInfoA(file.c_str(), 0, size, block.data())) << file;
        EXPECT_EQ(SystemBinary(block, "\\"), OwnBinary(block, "\\")) << file;
        const std::optional<std::vector<std::uint8_t>> translation = OwnBinary(block, "\\VarFileInfo\\Translation");
        ASSERT_TRUE(translation && translation->size() >= 4) << file;
        EXPECT_EQ(SystemBinary(block, "\\VarFileInfo\\Translation"), translation) << file;
        char table[16];
        std::snprintf(table, sizeof(table), "%02X%02X%02X%02X", (*translation)[1], (*translation)[0], (*translation)[3],
                      (*translation)[2]);
        for (const char* key : {"CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
                                "OriginalFilename", "ProductName", "ProductVersion", "Comments", "NoSuchKey"}) {
            const std::string subBlock = std::string("\\StringFileInfo\\") + table + "\\" + key;
            EXPECT_EQ(SystemText(block, subBlock), OwnText(block, subBlock)) << file << " " << subBlock;
        }
    }
}

}  // namespace
}  // namespace qm
