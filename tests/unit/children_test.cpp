// What the programs the window starts (the Registry Editor for Jump To,
// explorer.exe for "&Find Target...") get from this elevated program,
// driven as a user drives the window: a scan, Item Properties of a row whose
// program has a version resource, its folder opened, a jump to its key.
#include <gtest/gtest.h>

#include "core/privileges.h"
#include "forms/item_form.h"
#include "forms/main_form.h"
#include "platform/sim/version_block.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr const char* kHKCURun = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kTool = "C:\\Program Files\\Tool\\tool.exe";

// A Run value whose program carries a version resource with its fixed part,
// so that Item Properties reads the type text and the flags as well.
void AddToolEntry(sim::SimDesktop& m) {
    m.registry.SetString(kHKCURun, "Tool", "\"" + std::string(kTool) + "\" /min");
    m.files.AddFolder("C:\\Program Files\\Tool");
    sim::VersionFixture f;
    f.fixed = sim::FixedFileFixture{};
    f.translations = {{0x0409, 0x04B0}};
    f.stringTables = {{"040904B0", {{"CompanyName", "Acme"}}}};
    sim::SimFile file;
    file.typeName = "Application";
    file.exeType = 0x04004550;
    file.versionResource = sim::BuildVersionResource(f);
    m.files.AddFile(kTool, file);
}

// The scan, Item Properties of the row, its folder, the jump to its key;
// explorer.exe and the Registry Editor start, unless something keeps them.
void UseTheWindow(sim::SimDesktop& m) {
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    form.FirstShow();
    const int tab = TabOf("hkcu-run");
    form.ListById("hkcu-run").SetSelection(0, 0);
    form.ListDblClick(tab);
    ASSERT_EQ("Acme", form.itemDialog->company);
    form.itemDialog->FindTarget();
    form.ListCommandClick(tab, ListCommand::JumpTo);
}

const std::vector<std::string> kBoth{"C:\\windows\\explorer.exe", "C:\\windows\\regedit.exe"};

// Nothing the window does needs the debug privilege: it is never turned on,
// and one left on by whoever started the program is off before the first
// program it starts inherits its token.
TEST(Children, StartWithTheDebugPrivilegeOffWhateverTheProgramWasStartedWith) {
    for (const bool inherited : {false, true}) {
        sim::SimDesktop m;
        AddToolEntry(m);
        if (inherited) m.token.enabled.insert(kDebugPrivilege);
        UseTheWindow(m);
        ASSERT_EQ(kBoth, m.processes.started);
        for (const sim::ChildStart& child : m.processes.children)
            EXPECT_EQ(0u, child.enabledPrivileges.count(kDebugPrivilege))
                << child.start.commandLine << " " << inherited;
        EXPECT_EQ(0u, m.token.enabled.count(kDebugPrivilege)) << inherited;
        EXPECT_EQ(0, m.token.OpenTokens());
    }
}

// The program's current folder is wherever it was started from (a
// Downloads folder), and the user's environment the user's to set; neither
// reaches what it starts.
TEST(Children, StartInSystem32WithTheMachinesOwnEnvironment) {
    sim::SimDesktop m;
    AddToolEntry(m);
    ASSERT_EQ("C:\\users\\anna\\Downloads", m.processes.currentDirectory);
    UseTheWindow(m);
    ASSERT_EQ(kBoth, m.processes.started);
    std::vector<std::string> machine;
    ASSERT_TRUE(m.system.GetSystemEnvironment(machine));
    for (const sim::ChildStart& child : m.processes.children) {
        EXPECT_EQ("C:\\windows\\system32", child.start.directory) << child.start.commandLine;
        ASSERT_TRUE(child.start.environment) << child.start.commandLine;
        EXPECT_EQ(machine, *child.start.environment) << child.start.commandLine;
    }
}

// Without System32's name or the machine's environment nothing is started,
// rather than a program in this one's folder and environment.
TEST(Children, NothingStartsWithoutSystem32OrTheMachinesEnvironment) {
    for (const bool folderFails : {true, false}) {
        sim::SimDesktop m;
        AddToolEntry(m);
        (folderFails ? m.system.systemDirectoryFails : m.system.systemEnvironmentFails) = true;
        UseTheWindow(m);
        EXPECT_TRUE(m.processes.started.empty()) << folderFails;
        EXPECT_EQ(0, m.processes.OpenHandles()) << folderFails;
        EXPECT_TRUE(m.user.shown.empty()) << folderFails;
    }
}

}  // namespace
}  // namespace qm
