// Startup folders as a damaged or crowded machine leaves them: thousands of
// files, shortcuts with the longest targets, names outside ASCII, empty and
// damaged shortcuts, read-only files. Nothing is reported, nothing changes
// unless a deletion was confirmed.
#include <gtest/gtest.h>

#include "forms/main_form.h"
#include "machine_snapshot.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr int kUserTab = TabOf("startup-user");

std::string UserFolder(sim::SimDesktop& m) { return m.shell.specialFolders[kCsidlStartup]; }

TEST(HostileFolders, ThousandsOfFilesAreListedWholeInSearchOrder) {
    sim::SimDesktop m;
    for (int i = 0; i < 5000; ++i) {
        sim::SimFile link;
        link.shortcutTarget = "C:\\t" + std::to_string(i) + ".exe";
        m.files.AddFile(UserFolder(m) + "\\s" + std::to_string(i) + ".lnk", link);
    }
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_TRUE(m.user.shown.empty());
    ASSERT_EQ(5000, form.ListById("startup-user").Count());
    EXPECT_EQ("s4999.lnk", form.ListById("startup-user").Row(4999).name);
    EXPECT_EQ("C:\\t4999.exe", form.ListById("startup-user").Row(4999).command);
    EXPECT_EQ("Startup (user) - (5000)", form.TabCaptions[kUserTab]);
}

TEST(HostileFolders, OddShortcutsAndNamesListWithoutAnyReportAndDeleteAsListed) {
    sim::SimDesktop m;
    const std::string longTarget = "C:\\" + std::string(250, 'd') + "\\x.exe";  // 259 characters
    ASSERT_EQ(259u, longTarget.size());
    sim::SimFile longLink;
    longLink.shortcutTarget = longTarget;
    m.files.AddFile(UserFolder(m) + "\\long.lnk", longLink);
    m.files.AddFile(UserFolder(m) + "\\empty.lnk");  // zero bytes: no shortcut
    sim::SimFile noTarget;
    noTarget.shortcutTarget = "";  // a shortcut to no file-system object
    m.files.AddFile(UserFolder(m) + "\\nothing.lnk", noTarget);
    // An 8-bit letter first in the name, where a trim acts: the shortcut is loaded by the name as listed.
    sim::SimFile latin;
    latin.shortcutTarget = "C:\\\xc9T\xc9\\c.exe";
    m.files.AddFile(UserFolder(m) + "\\\xc9t\xe9 Caf\xe9.lnk", latin);
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_TRUE(m.user.shown.empty());
    ASSERT_EQ(4, form.ListById("startup-user").Count());
    EXPECT_EQ(longTarget, form.ListById("startup-user").Row(0).command);
    EXPECT_EQ("", form.ListById("startup-user").Row(1).command);
    EXPECT_EQ("", form.ListById("startup-user").Row(2).command);
    EXPECT_EQ("\xc9t\xe9 Caf\xe9.lnk", form.ListById("startup-user").Row(3).name);
    EXPECT_EQ("C:\\\xc9T\xc9\\c.exe", form.ListById("startup-user").Row(3).command);
    // Deleting that row removes exactly that file.
    testing::MachineState expected = testing::Snapshot(m);
    ASSERT_EQ(1u, expected.erase(testing::FileEntry(UserFolder(m) + "\\\xc9t\xe9 Caf\xe9.lnk")));
    form.SelectTab(kUserTab);
    form.ListById("startup-user").SetSelection(3, 3);
    m.user.answers.push_back(DialogResult::Yes);
    form.ListCommandClick(kUserTab, ListCommand::Delete);
    EXPECT_EQ(expected, testing::Snapshot(m));
    EXPECT_EQ("Startup (user) - (3)", form.TabCaptions[kUserTab]);
}

TEST(HostileFolders, AReadOnlyShortcutThatCannotBeDeletedStaysListedAndOnDisk) {
    sim::SimDesktop m;
    sim::SimFile link;
    link.shortcutTarget = "C:\\r.exe";
    link.attributes = kFileAttributeReadonly;
    m.files.AddFile(UserFolder(m) + "\\locked.lnk", link);
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    form.SelectTab(kUserTab);
    form.ListById("startup-user").SetSelection(0, 0);
    const auto before = testing::Snapshot(m);
    m.user.answers.push_back(DialogResult::Yes);
    form.ListCommandClick(kUserTab, ListCommand::Delete);
    ASSERT_EQ(1u, m.user.shown.size());
    EXPECT_EQ("Are you sure want to delete autorun \"locked.lnk\" ?", m.user.shown[0].text);
    EXPECT_EQ(before, testing::Snapshot(m));
    EXPECT_EQ(1, form.ListById("startup-user").Count());
    EXPECT_EQ("Startup (user) - (1)", form.TabCaptions[kUserTab]);
}

}  // namespace
}  // namespace qm
