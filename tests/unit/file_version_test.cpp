// ReadFileVersionInfo and GetFileTypeText on the simulated machine: which
// translation is read, when the reading stops, the flags, the type table.
#include <gtest/gtest.h>

#include "core/inspect/file_version.h"
#include "platform/sim/sim.h"
#include "platform/sim/version_block.h"

namespace qm {
namespace {

constexpr const char* kTool = "c:\\program files\\tool\\tool.exe";

// Every standard key, stored with the letter case resource compilers write.
sim::StringTableFixture FullTable(const char* block) {
    return {block,
            {{"CompanyName", "Acme"},
             {"FileDescription", "Acme Tool"},
             {"FileVersion", "2.1.0.7"},
             {"InternalName", "tool"},
             {"LegalCopyright", "(c) Acme"},
             {"LegalTrademarks", "Acme(tm)"},
             {"OriginalFilename", "tool.exe"},
             {"ProductName", "Acme Suite"},
             {"ProductVersion", "2.1"},
             {"Comments", "none"},
             {"SpecialBuild", "special"},
             {"PrivateBuild", "private"}}};
}

sim::VersionFixture FullFixture() {
    sim::VersionFixture f;
    sim::FixedFileFixture fixed;
    fixed.fileFlagsMask = 0x3F;
    fixed.fileFlags = 0x3F;
    fixed.fileType = 1;
    f.fixed = fixed;
    f.translations = {{0x0409, 0x04B0}};
    f.stringTables = {FullTable("040904B0")};
    return f;
}

sim::SimFile Program(const sim::VersionFixture& fixture, std::uint32_t exeType = 0x04004550) {
    sim::SimFile file;
    file.typeName = "Application";
    file.exeType = exeType;
    file.versionResource = sim::BuildVersionResource(fixture);
    return file;
}

void ExpectNoStrings(const FileVersionInfo& v) {
    for (const std::string* s :
         {&v.CompanyName, &v.FileDescription, &v.FileVersion, &v.InternalName, &v.LegalCopyRight, &v.LegalTradeMarks,
          &v.OriginalFileName, &v.ProductName, &v.ProductVersion, &v.Comments, &v.SpecialBuild, &v.PrivateBuild})
        EXPECT_EQ("", *s);
}

void ExpectNoFlags(const FileVersionInfo& v) {
    for (bool flag : {v.IsDebug, v.IsPreRelease, v.IsSpecialBuild, v.IsPrivateBuild, v.IsPatched, v.IsInfoInferred})
        EXPECT_FALSE(flag);
}

TEST(ReadFileVersionInfo, FillsEveryFieldFromTheFirstTranslation) {
    sim::SimMachine m;
    m.files.AddFile(kTool, Program(FullFixture()));
    FileVersionInfo v;
    ReadFileVersionInfo(m.platform, kTool, v);
    EXPECT_EQ("Application", v.ShellTypeName);
    EXPECT_EQ("Acme", v.CompanyName);
    EXPECT_EQ("Acme Tool", v.FileDescription);
    EXPECT_EQ("2.1.0.7", v.FileVersion);
    EXPECT_EQ("tool", v.InternalName);
    EXPECT_EQ("(c) Acme", v.LegalCopyRight);
    EXPECT_EQ("Acme(tm)", v.LegalTradeMarks);
    EXPECT_EQ("tool.exe", v.OriginalFileName);
    EXPECT_EQ("Acme Suite", v.ProductName);
    EXPECT_EQ("2.1", v.ProductVersion);
    EXPECT_EQ("none", v.Comments);
    EXPECT_EQ("special", v.SpecialBuild);
    EXPECT_EQ("private", v.PrivateBuild);
    EXPECT_EQ("Application", v.FileTypeText);
    for (bool flag : {v.IsDebug, v.IsPreRelease, v.IsSpecialBuild, v.IsPrivateBuild, v.IsPatched, v.IsInfoInferred})
        EXPECT_TRUE(flag);
    // The resource is read again for every key; the keys' historic letter
    // case ("LegalCopyRight") finds the strings stored as resource compilers
    // write them ("LegalCopyright").
    EXPECT_EQ(12, m.versions.reads);
}

TEST(ReadFileVersionInfo, OnlyTheFirstTranslationIsTried) {
    // The strings sit under 0409/04B0 while the table names 0409/04E4 first.
    sim::VersionFixture f = FullFixture();
    f.translations = {{0x0409, 0x04E4}, {0x0409, 0x04B0}};
    sim::SimMachine m;
    m.files.AddFile(kTool, Program(f));
    FileVersionInfo v;
    ReadFileVersionInfo(m.platform, kTool, v);
    ExpectNoStrings(v);
    EXPECT_TRUE(v.IsDebug);
    EXPECT_EQ("Application", v.FileTypeText);

    // Stored under the first translation, in lower-case hex, they are found.
    f.stringTables = {FullTable("040904e4")};
    m.files.AddFile(kTool, Program(f));
    ReadFileVersionInfo(m.platform, kTool, v);
    EXPECT_EQ("Acme", v.CompanyName);
}

TEST(ReadFileVersionInfo, StopsEarlyForNonProgramsAndFilesWithoutAResource) {
    struct Case {
        const char* name;
        bool exists;
        std::uint32_t exeType;
        bool resource;
        const char* shellTypeName;
    } cases[] = {
        {"a document with a full resource", true, 0, true, "Application"},
        {"a program without a resource", true, 0x04004550, false, "Application"},
        {"a missing file", false, 0x04004550, true, ""},
    };
    for (const Case& c : cases) {
        sim::SimMachine m;
        if (c.exists) {
            sim::SimFile file = Program(FullFixture(), c.exeType);
            if (!c.resource) file.versionResource.clear();
            m.files.AddFile(kTool, file);
        }
        FileVersionInfo v;
        ReadFileVersionInfo(m.platform, kTool, v);
        EXPECT_EQ(c.shellTypeName, v.ShellTypeName) << c.name;
        ExpectNoStrings(v);
        ExpectNoFlags(v);
        EXPECT_EQ("", v.FileTypeText) << c.name;
        EXPECT_EQ(0, m.versions.reads) << c.name;
    }
}

TEST(ReadFileVersionInfo, MissingPiecesLeaveOnlyTheirFieldsEmpty) {
    sim::SimMachine m;
    // No translation table: no strings, but the root still gives flags and type.
    sim::VersionFixture noTranslation = FullFixture();
    noTranslation.translations.clear();
    m.files.AddFile(kTool, Program(noTranslation));
    FileVersionInfo v;
    ReadFileVersionInfo(m.platform, kTool, v);
    ExpectNoStrings(v);
    EXPECT_TRUE(v.IsPatched);
    EXPECT_EQ("Application", v.FileTypeText);

    // A root block without its fixed information: strings, but no flags or type.
    sim::VersionFixture noRoot = FullFixture();
    noRoot.fixed.reset();
    m.files.AddFile(kTool, Program(noRoot));
    ReadFileVersionInfo(m.platform, kTool, v);
    EXPECT_EQ("Acme", v.CompanyName);
    ExpectNoFlags(v);
    EXPECT_EQ("", v.FileTypeText);

    // A key the table lacks stays empty; the others are read.
    sim::VersionFixture partial = FullFixture();
    partial.stringTables = {{"040904B0", {{"FileVersion", "3.0"}}}};
    m.files.AddFile(kTool, Program(partial));
    ReadFileVersionInfo(m.platform, kTool, v);
    EXPECT_EQ("", v.CompanyName);
    EXPECT_EQ("3.0", v.FileVersion);
}

TEST(ReadFileVersionInfo, AReusedRecordKeepsNothingOfTheFileBefore) {
    sim::SimMachine m;
    m.files.AddFile(kTool, Program(FullFixture()));
    sim::SimFile bare;
    bare.typeName = "Text Document";
    m.files.AddFile("c:\\readme.txt", bare);
    FileVersionInfo v;
    ReadFileVersionInfo(m.platform, kTool, v);
    ASSERT_EQ("Acme", v.CompanyName);
    ReadFileVersionInfo(m.platform, "c:\\readme.txt", v);
    EXPECT_EQ("Text Document", v.ShellTypeName);
    ExpectNoStrings(v);
    ExpectNoFlags(v);
    EXPECT_EQ("", v.FileTypeText);
}

TEST(ReadFileVersionInfo, TextsEndAtTheirFirstNul) {
    sim::VersionFixture f = FullFixture();
    f.stringTables = {{"040904B0", {{"CompanyName", std::string("Acme\0Hidden", 11)}}}};
    sim::SimMachine m;
    sim::SimFile file = Program(f);
    file.typeName = std::string("Application\0junk", 16);
    m.files.AddFile(kTool, file);
    FileVersionInfo v;
    ReadFileVersionInfo(m.platform, kTool, v);
    EXPECT_EQ("Acme", v.CompanyName);
    EXPECT_EQ("Application", v.ShellTypeName);
}

TEST(ReadFileVersionInfo, AFlagCountsOnlyWhenTheMaskHasItsBit) {
    struct Case {
        std::uint32_t mask, flags;
        bool debug, preRelease, patched, privateBuild, inferred, special;
    } cases[] = {
        {0x3E, 0x01, false, false, false, false, false, false},  // debug set, mask lacks it
        {0x3F, 0x01, true, false, false, false, false, false},
        {0x01, 0x3F, true, false, false, false, false, false},
        {0x3F, 0x2A, false, true, false, true, false, true},
        {0x00, 0x3F, false, false, false, false, false, false},
        {0xFFFFFFFF, 0x14, false, false, true, false, true, false},
    };
    for (const Case& c : cases) {
        sim::VersionFixture f = FullFixture();
        f.fixed->fileFlagsMask = c.mask;
        f.fixed->fileFlags = c.flags;
        sim::SimMachine m;
        m.files.AddFile(kTool, Program(f));
        FileVersionInfo v;
        ReadFileVersionInfo(m.platform, kTool, v);
        EXPECT_EQ(c.debug, v.IsDebug) << c.mask << "/" << c.flags;
        EXPECT_EQ(c.preRelease, v.IsPreRelease) << c.mask << "/" << c.flags;
        EXPECT_EQ(c.patched, v.IsPatched) << c.mask << "/" << c.flags;
        EXPECT_EQ(c.privateBuild, v.IsPrivateBuild) << c.mask << "/" << c.flags;
        EXPECT_EQ(c.inferred, v.IsInfoInferred) << c.mask << "/" << c.flags;
        EXPECT_EQ(c.special, v.IsSpecialBuild) << c.mask << "/" << c.flags;
    }
}

TEST(GetFileTypeText, NamesTypesAndSubtypesUpToTheTablesLimits) {
    struct Case {
        std::uint32_t type, subtype;
        const char* text;  // nullptr: the caller's text stays
    } cases[] = {
        {0, 77, "Unknown"},
        {1, 5, "Application"},
        {2, 0, "DLL"},
        {3, 0, "Unknown Driver"},
        {3, 1, "Printer Driver"},
        {3, 2, "Keyboard Driver"},
        {3, 3, "Language Driver"},
        {3, 4, "Display Driver"},
        {3, 5, "Mouse Driver"},
        {3, 6, "Network Driver"},
        {3, 7, "System Driver"},
        {3, 8, "InstallableDriver"},
        {3, 9, "Sound Driver"},
        {3, 10, "Communications Driver"},
        {3, 11, nullptr},
        {3, 0xFFFFFFFF, nullptr},
        {4, 0, "Unknown Font"},
        {4, 1, "Raster Font"},
        {4, 2, "Vector Font"},
        {4, 3, "Truetype Font"},
        {4, 4, nullptr},
        {5, 0x27, "Virtual Defice Identifier = 00000027"},
        {5, 0xABCDEF01, "Virtual Defice Identifier = ABCDEF01"},
        {6, 0, nullptr},
        {7, 3, "Static-link Library"},
        {8, 0, nullptr},
        {0xFFFFFFFF, 0, nullptr},
    };
    for (const Case& c : cases) {
        FixedFileInfo fixed;
        fixed.dwFileType = c.type;
        fixed.dwFileSubtype = c.subtype;
        std::string text = "caller's";
        GetFileTypeText(fixed, text);
        EXPECT_EQ(c.text ? c.text : "caller's", text) << c.type << "/" << c.subtype;
    }
}

}  // namespace
}  // namespace qm
