// Only on Windows: the version functions come from version.dll of System32
// or not at all, and no system library is ever taken from the program's own
// folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/windows_clean.h"
#include "contract/env.h"
#include "core/inspect/file_version.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_platform.h"

namespace qm {
namespace {

// A version library that cannot be had gives no version information, and
// nothing else happens.
TEST(SystemLibraries, AMissingOrDamagedVersionLibraryMeansNoVersionInformation) {
    for (const wchar_t* library : {L"qm_no_such_library.dll", L"gdi32.dll" /* without the version functions */}) {
        win32::Win32Machine machine;
        win32::Win32Versions versions(library);
        Platform platform{machine.registry,  machine.services, machine.shell, machine.files,   versions,
                          machine.processes, machine.system,   machine.token, machine.dialogs, machine.tasks};
        EXPECT_EQ(0u, versions.GetFileVersionInfoSize(contract::VersionedProgram()));
        std::vector<std::uint8_t> block;
        EXPECT_FALSE(versions.GetFileVersionInfo(contract::VersionedProgram(), 100, block));
        FileVersionInfo v;
        ReadFileVersionInfo(platform, contract::VersionedProgram(), v);
        EXPECT_EQ(contract::IsWine() ? "exe file" : "Application", v.ShellTypeName);  // the shell still answers
        EXPECT_EQ("", v.CompanyName);
        EXPECT_EQ("", v.FileVersion);
        EXPECT_EQ("", v.FileTypeText);
    }
    // The same file through the system's library has all of it.
    FileVersionInfo v;
    ReadFileVersionInfo(contract::Machine(), contract::VersionedProgram(), v);
    EXPECT_EQ("Quellmark Test Fixtures", v.CompanyName);
}

// A DLL that lies only beside this program is loadable from there, but a
// system library of that name is not found: System32 alone is searched.
TEST(SystemLibraries, ASystemLibraryIsNeverTakenFromTheProgramsFolder) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folder(self);
    folder.resize(folder.find_last_of('\\'));
    const std::string marker = folder + "\\qm_planted.dll.loaded";
    DeleteFileA(marker.c_str());
    {
        win32::SystemLibrary planted(L"qm_planted.dll");
        EXPECT_FALSE(planted.Loaded());
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(marker.c_str()));
    }
    HMODULE beside = LoadLibraryExW(L"qm_planted.dll", nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR);
    ASSERT_NE(nullptr, beside) << "the planted DLL is missing beside the test program";
    FreeLibrary(beside);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(marker.c_str()));
    DeleteFileA(marker.c_str());

    win32::SystemLibrary version(L"version.dll");
    EXPECT_TRUE(version.Loaded());
    EXPECT_NE(nullptr, version.Find<void()>("GetFileVersionInfoA"));
    EXPECT_EQ(nullptr, version.Find<void()>("NoSuchFunction"));
}

}  // namespace
}  // namespace qm
