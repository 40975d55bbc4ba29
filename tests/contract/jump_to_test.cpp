// What Jump To asks of the machine, the same on every machine: whether a
// path is a folder (only folders are opened), a program that does not start,
// the folder and environment a started program gets, and the window search
// that finds no Registry Editor when none runs.
#include <gtest/gtest.h>

#include "contract/env.h"
#include "core/actions/jump_to.h"
#include "core/model/text.h"
#include "platform/text_case.h"

namespace qm {
namespace {

using contract::Machine;

TEST(JumpToContract, FileAttributesTellFoldersFromProgramsAndMissingPaths) {
    IFiles& files = Machine().files;
    const std::string program = contract::ExistingProgram();
    const std::string folder = program.substr(0, program.find_last_of('\\'));
    const std::uint32_t programAttributes = files.GetFileAttributes(program);
    ASSERT_NE(kInvalidFileAttributes, programAttributes);
    EXPECT_EQ(0u, programAttributes & kFileAttributeDirectory);
    // A program path with a backslash after it names no folder.
    const std::uint32_t programSlash = files.GetFileAttributes(program + "\\");
    EXPECT_TRUE(programSlash == kInvalidFileAttributes || !(programSlash & kFileAttributeDirectory));
    // "\\" is the root of the current drive: a folder, though the path names no drive.
    for (const std::string& path :
         {folder, folder + "\\", std::string("C:\\"), std::string("c:\\"), std::string("\\")}) {
        const std::uint32_t a = files.GetFileAttributes(path);
        EXPECT_NE(kInvalidFileAttributes, a) << path;
        EXPECT_NE(0u, a & kFileAttributeDirectory) << path;
    }
    EXPECT_EQ(kInvalidFileAttributes, files.GetFileAttributes(folder + "\\no-such-folder-qm"));
    EXPECT_EQ(kInvalidFileAttributes, files.GetFileAttributes(""));
}

TEST(JumpToContract, AProgramThatDoesNotExistFailsToStartWithFileNotFound) {
    IProcesses& processes = Machine().processes;
    ProcessInfo info;
    EXPECT_FALSE(processes.CreateProcess({.commandLine = "qm-no-such-program-7.exe", .creationFlags = 0x30}, info));
    EXPECT_EQ(static_cast<std::uint32_t>(kErrorFileNotFound), processes.GetLastError());
    EXPECT_EQ(-1, RunProcess(Machine(), "qm-no-such-program-7.exe", false, true));
}

TEST(JumpToContract, TheRegistryEditorIsStartedFromTheWindowsDirectoryByItsQuotedPath) {
    std::string windows;
    ASSERT_TRUE(Machine().system.GetWindowsDirectory(windows));
    EXPECT_TRUE(StartsWithNoCase(windows, "C:\\")) << windows;
    const std::string commandLine = RegistryEditorCommandLine(Machine());
    ASSERT_GE(commandLine.size(), 2u);
    ASSERT_EQ('"', commandLine.front());
    ASSERT_EQ('"', commandLine.back());
    const std::string editor = commandLine.substr(1, commandLine.size() - 2);
    EXPECT_EQ(LowerAscii(windows + "\\regedit.exe"), LowerAscii(editor));
    const std::uint32_t attributes = Machine().files.GetFileAttributes(editor);
    ASSERT_NE(kInvalidFileAttributes, attributes) << editor;
    EXPECT_EQ(0u, attributes & kFileAttributeDirectory);
}

// What a started program gets instead of this one's folder and environment.
TEST(JumpToContract, System32AndTheMachinesOwnVariablesWithNothingOfThisProgramsEnvironment) {
    ISystemInfo& system = Machine().system;
    std::string windows, system32;
    ASSERT_TRUE(system.GetWindowsDirectory(windows));
    ASSERT_TRUE(system.GetSystemDirectory(system32));
    EXPECT_EQ(LowerAscii(windows + "\\system32"), LowerAscii(system32));
    contract::SetOwnVariable("QmOwnVariable", "planted");
    std::vector<std::string> variables;
    ASSERT_TRUE(system.GetSystemEnvironment(variables));
    const auto value = [&](const std::string& name) -> std::string {
        for (const std::string& variable : variables)
            if (LowerAscii(variable.substr(0, variable.find('='))) == LowerAscii(name))
                return variable.substr(variable.find('=') + 1);
        return "(none)";
    };
    EXPECT_EQ(LowerAscii(windows), LowerAscii(value("SystemRoot")));
    EXPECT_EQ(LowerAscii(windows), LowerAscii(value("windir")));
    EXPECT_EQ(LowerAscii(system32 + "\\cmd.exe"), LowerAscii(value("ComSpec")));
    EXPECT_EQ("(none)", value("QmOwnVariable"));
    for (const std::string& variable : variables) EXPECT_NE(std::string::npos, variable.find('=', 1)) << variable;
}

TEST(JumpToContract, FindWindowFindsNoWindowOfAnUnknownClass) {
    IProcesses& processes = Machine().processes;
    const std::string cls = "QmNoSuchWindowClass7";
    EXPECT_FALSE(processes.FindWindow(&cls, nullptr));
    EXPECT_FALSE(processes.FindWindowEx(WindowHandle{}, WindowHandle{}, &cls, nullptr));
}

}  // namespace
}  // namespace qm
