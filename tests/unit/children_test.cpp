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

// The scan, Item Properties of the row, its folder, the jump to its key.
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
    ASSERT_EQ((std::vector<std::string>{"C:\\windows\\explorer.exe", "C:\\windows\\regedit.exe"}), m.processes.started);
}

// Nothing the window does needs the debug privilege: it is never turned on,
// and one left on by whoever started the program is off before the first
// program it starts inherits its token.
TEST(Children, StartWithTheDebugPrivilegeOffWhateverTheProgramWasStartedWith) {
    for (const bool inherited : {false, true}) {
        sim::SimDesktop m;
        AddToolEntry(m);
        if (inherited) m.token.enabled.insert(kDebugPrivilege);
        UseTheWindow(m);
        for (const sim::ChildStart& child : m.processes.children)
            EXPECT_EQ(0u, child.enabledPrivileges.count(kDebugPrivilege)) << child.commandLine << " " << inherited;
        EXPECT_EQ(0u, m.token.enabled.count(kDebugPrivilege)) << inherited;
        EXPECT_EQ(0, m.token.OpenTokens());
    }
}

}  // namespace
}  // namespace qm
