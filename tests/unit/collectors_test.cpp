// The collectors on their own, as a program without a window runs them:
// what they return (the rows and where each lives, the failure that stopped
// them with the row it came in) and that they ask nothing for icons.
#include <gtest/gtest.h>

#include "core/collectors/collector.h"
#include "forms/main_form.h"
#include "ui/sim/sim_desktop.h"
#include "unit/sample_entries.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr const char* kHKCURun = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// One entry in every kind of place the categories read.
void Populate(sim::SimMachine& m) {
    m.registry.SetString(kHKCURun, "Tray", "C:\\tray.exe -q");
    m.registry.SetString("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run", "Pol",
                         "C:\\pol.exe");
    m.registry.SetString("HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "Shell", "explorer.exe");
    m.registry.SetString("HKCU\\Control Panel\\Desktop", "SCRNSAVE.EXE", "C:\\s.scr");
    m.registry.SetString("HKLM\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\{c}", "StubPath",
                         "C:\\stub.exe");
    testing::AddUserStartupShortcut(m, "t.lnk", "C:\\t.exe");
    testing::AddRunningService(m, "Svc", "Service", "C:\\svc.exe");
}

TEST(Collectors, WithoutAWindowReturnTheRowsTheWindowShowsAndAskForNoIcon) {
    sim::SimDesktop shown, bare;
    Populate(shown);
    Populate(bare);
    MainForm form(shown.platform, shown.toolkit);
    form.ScanAtStart();
    Registry registry(bare.registry);
    for (int tab = 0; tab < kCategoryCount; ++tab) {
        ScanContext context{bare.platform, registry};  // no icons
        const ScanResult result = Collect(kCategories[tab].source, context);
        EXPECT_FALSE(result.failure) << tab;
        const EntryList& list = form.ListOf(tab);
        ASSERT_EQ(static_cast<size_t>(list.Count()), result.rows.size()) << tab;
        for (size_t i = 0; i < result.rows.size(); ++i) {
            EXPECT_EQ(list.Row(static_cast<int>(i)).name, result.rows[i].name) << tab;
            EXPECT_EQ(CellsAfterName(kCategories[tab].id, list.Row(static_cast<int>(i))),
                      CellsAfterName(kCategories[tab].id, result.rows[i]))
                << tab;
            EXPECT_EQ(0, result.rows[i].image) << tab;
        }
    }
    EXPECT_EQ(0, bare.shell.fileInfoCalls);
    EXPECT_EQ(0, bare.token.adjustCalls);
    EXPECT_EQ(0, bare.registry.OpenHandles());
    EXPECT_EQ(0, bare.services.OpenHandles());
}

TEST(Collectors, EachRowKnowsWhereItLives) {
    sim::SimDesktop m;
    Populate(m);
    Registry registry(m.registry);
    ScanContext context{m.platform, registry};
    auto first = [&](int tab) { return Collect(kCategories[tab].source, context).rows.at(0).where; };

    const auto run = std::get<RegistryLocation>(first(0));
    EXPECT_EQ(RegRoot::CurrentUser, run.root);
    EXPECT_EQ(RegView::Default, run.view);
    EXPECT_EQ("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", run.key);
    EXPECT_EQ("", run.subKey);
    EXPECT_EQ("Tray", run.value);

    const auto policy = std::get<RegistryLocation>(first(12));  // its rows show neither key column
    EXPECT_EQ(RegRoot::LocalMachine, policy.root);
    EXPECT_EQ("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run", policy.key);
    EXPECT_EQ("Pol", policy.value);

    const auto file = std::get<FileLocation>(first(3));
    EXPECT_EQ(m.shell.specialFolders.at(kCsidlStartup) + "\\", file.folder);
    EXPECT_EQ("t.lnk", file.name);

    EXPECT_EQ("Svc", std::get<ServiceLocation>(first(8)).name);

    const auto component = std::get<RegistryLocation>(first(9));
    EXPECT_EQ(RegRoot::LocalMachine, component.root);
    EXPECT_EQ("SOFTWARE\\Microsoft\\Active Setup\\Installed Components", component.key);
    EXPECT_EQ("{c}", component.subKey);
    EXPECT_EQ("StubPath", component.value);

    // A named value lives where it is read, under the name it is read by.
    const auto screenSaver = std::get<RegistryLocation>(first(14));
    EXPECT_EQ("Control Panel\\Desktop", screenSaver.key);
    EXPECT_EQ("Scrnsave.exe", screenSaver.value);
    EXPECT_EQ("Run", Collect(kCategories[11].source, context).rows.at(0).name);
    EXPECT_EQ("run", std::get<RegistryLocation>(first(11)).value);
}

TEST(Collectors, AFailureComesBackWithTheRowsBeforeItAndTheRowItCameIn) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "Alpha", "C:\\alpha.exe");
    m.registry.SetString(kHKCURun, "Flags", "C:\\flags.exe");
    m.registry.Key(kHKCURun)->unreadable.insert("flags");
    m.registry.SetString(kHKCURun, "Omega", "C:\\omega.exe");
    Registry registry(m.registry);
    ScanContext context{m.platform, registry};
    const ScanResult result = Collect(kCategories[0].source, context);
    ASSERT_EQ(1u, result.rows.size());
    EXPECT_EQ("Alpha", result.rows[0].name);
    ASSERT_TRUE(result.unfinished);
    EXPECT_EQ("Flags", result.unfinished->name);
    EXPECT_EQ("", result.unfinished->command);
    EXPECT_EQ("Flags", std::get<RegistryLocation>(result.unfinished->where).value);
    EXPECT_EQ("Failed to get data for 'Flags'", result.failure.value_or(""));

    // Without the shell link object the first file's row is never finished.
    m.shell.comAvailable = false;
    sim::SimFile file;
    m.files.AddFile(m.shell.specialFolders.at(kCsidlStartup) + "\\a.lnk", file);
    const ScanResult folder = Collect(kCategories[3].source, context);
    EXPECT_TRUE(folder.rows.empty());
    ASSERT_TRUE(folder.unfinished);
    EXPECT_EQ("a.lnk", folder.unfinished->name);
    EXPECT_NE(std::string::npos, folder.failure.value_or("").find("CoInitialize"));
}

TEST(MainForm, MakingTheFormAsksNothingOfTheMachineAndTheStartUpScanDoes) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "Tray", "C:\\tray.exe");
    MainForm form(m.platform, m.toolkit);
    EXPECT_EQ(0, m.registry.OpenCalls());
    EXPECT_EQ(0, m.shell.fileInfoCalls);
    EXPECT_EQ(0, m.token.adjustCalls);
    EXPECT_TRUE(m.services.enumBufferSizes.empty());
    EXPECT_TRUE(m.user.shown.empty());
    EXPECT_EQ("", form.Caption);
    EXPECT_EQ("HKCU / Run", form.TabCaptions[TabOf("hkcu-run")]);
    EXPECT_EQ(0, form.ListById("hkcu-run").Count());
    form.ScanAtStart();
    EXPECT_EQ("Quellmark  -  [DESK7/anna]", form.Caption);
    EXPECT_EQ("HKCU / Run (1)", form.TabCaptions[TabOf("hkcu-run")]);
    EXPECT_LT(0, m.registry.OpenCalls());
    EXPECT_LT(0, m.shell.fileInfoCalls);
}

}  // namespace
}  // namespace qm
