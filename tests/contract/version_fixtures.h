// The simulated machine's copies of the version resources that the real
// machine's files carry: the test program's own (contract_version.rc), the
// system library's and the Registry Editor's.
#pragma once
#include "platform/sim/sim.h"
#include "platform/sim/version_block.h"

namespace qm::contract {

inline constexpr const char* kSimSystemLibrary = "C:\\windows\\system32\\kernel32.dll";
inline constexpr const char* kSimVersionedProgram = "C:\\tests\\contract_tests_win32.exe";
inline constexpr const char* kSimRegistryEditor = "C:\\windows\\regedit.exe";

inline void PrepareVersionFixtures(sim::SimMachine& machine) {
    sim::VersionFixture program;
    sim::FixedFileFixture fixed;
    fixed.fileVersionMS = 0x00010002;
    fixed.fileVersionLS = 0x00030004;
    fixed.productVersionMS = 0x00050006;
    fixed.fileFlagsMask = 0x3F;
    fixed.fileFlags = 0x21;
    fixed.fileType = 1;
    program.fixed = fixed;
    program.translations = {{0x0409, 1200}};
    program.stringTables = {{"040904b0",
                             {{"CompanyName", "Quellmark Test Fixtures"},
                              {"FileDescription", "Contract test program"},
                              {"FileVersion", "1.2.3.4"},
                              {"InternalName", "contract_tests"},
                              {"LegalCopyright", "(c) the fixtures"},
                              {"LegalTrademarks", "none"},
                              {"OriginalFilename", "contract_tests_win32.exe"},
                              {"ProductName", "Quellmark"},
                              {"ProductVersion", "5.6"},
                              {"Comments", "known values"},
                              {"SpecialBuild", "fixture build"}}}};
    sim::SimFile exe;
    exe.typeName = "Application";
    exe.exeType = 0x00004550;  // a console program
    exe.versionResource = sim::BuildVersionResource(program);
    machine.files.AddFile(kSimVersionedProgram, exe);

    sim::VersionFixture library;
    sim::FixedFileFixture libraryFixed;
    libraryFixed.fileType = 2;  // VFT_DLL
    library.fixed = libraryFixed;
    library.translations = {{0x0409, 0x04B0}};
    library.stringTables = {{"040904B0", {{"CompanyName", "Microsoft Corporation"}, {"FileVersion", "10.0"}}}};
    sim::SimFile dll;
    dll.typeName = "Application extension";
    dll.exeType = 0;  // the shell counts no library as a program
    dll.versionResource = sim::BuildVersionResource(library);
    machine.files.AddFile(kSimSystemLibrary, dll);

    sim::VersionFixture editor;
    editor.fixed = sim::FixedFileFixture{};
    editor.translations = {{0x0409, 0x04B0}};
    editor.stringTables = {{"040904B0",
                            {{"CompanyName", "Microsoft Corporation"},
                             {"FileDescription", "Registry Editor"},
                             {"FileVersion", "5.2.3790.0"}}}};
    sim::SimFile regedit;
    regedit.typeName = "Application";
    regedit.exeType = 0x04004550;  // a windowed program
    regedit.versionResource = sim::BuildVersionResource(editor);
    machine.files.AddFile(kSimRegistryEditor, regedit);
}

}  // namespace qm::contract
