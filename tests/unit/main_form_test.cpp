// The main window's logic on the simulated machine: the start-up scan, tab
// refreshes with their clearing rules, count captions, and failures.
#include <gtest/gtest.h>

#include "core/errors.h"
#include "core/forms/main_form.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr const char* kHKCURun = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kHKLMRun = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunOnceEx = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";

using namespace qm::testing;  // the tabs by position

std::vector<std::string> Captions(const TListView& list) {
    std::vector<std::string> captions;
    for (const Entry& row : list.Rows()) captions.push_back(row.name);
    return captions;
}

TEST(MainForm, CaptionNamesTheComputerAndTheUser) {
    struct Case {
        bool computerFails, userFails;
        const char* caption;
    } cases[] = {
        {false, false, "Quellmark  -  [DESK7/anna]"},
        {true, false, "Quellmark  -  [/anna]"},
        {false, true, "Quellmark  -  [DESK7/Unknown]"},
    };
    for (const Case& c : cases) {
        sim::SimDesktop m;
        m.system.computerNameFails = c.computerFails;
        m.system.userNameFails = c.userFails;
        TMainForm form(m.platform, m.toolkit);
        form.FormCreate();
        EXPECT_EQ(c.caption, form.Caption);
    }
}

TEST(MainForm, AnEmptyMachineShowsZeroCountsButOneRowPerNamedValue) {
    sim::SimDesktop m;
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    EXPECT_TRUE(m.user.shown.empty());
    EXPECT_EQ("HKCU / Run (0)", form.TabCaptions[HKCURun]);
    EXPECT_EQ("HKLM / Run OnceEx (0)", form.TabCaptions[RunOnceEx]);
    EXPECT_EQ("ActiveX (0)", form.TabCaptions[ActiveX]);
    EXPECT_EQ("WinLogon (9)", form.TabCaptions[WinLogon]);
    EXPECT_EQ("Load - Run (2)", form.TabCaptions[LoadRun]);
    EXPECT_EQ("HKCU / Desktop (1)", form.TabCaptions[Desktop]);
    EXPECT_EQ("HKLM / Explorer-Run (0)", form.TabCaptions[HKLMExplorer]);
    EXPECT_EQ("HKCU / Explorer-Run (0)", form.TabCaptions[HKCUExplorer]);
    EXPECT_EQ(0, m.registry.OpenHandles());
}

TEST(MainForm, ValueListRowsCarryNameCommandRootAndKeyInEnumerationOrder) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "B", "rundll32.exe shell32.dll,Options_RunDLL 0");
    m.registry.SetString(kHKCURun, "A", "\"C:\\Program Files\\App\\app.exe\" -min");
    m.registry.SetString(kHKCURun, "", "C:\\default.exe");
    m.registry.SetString(kHKCURun, "Env", "%SystemRoot%\\x.exe -y", kRegExpandSz);
    m.registry.SetString(kHKCURun, "Lib", "C:\\Windows\\System32\\foo.dll");
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    ASSERT_EQ((std::vector<std::string>{"B", "A", "", "Env", "Lib"}), Captions(form.hku));
    const Entry& a = form.hku.Row(1);
    EXPECT_EQ("\"C:\\Program Files\\App\\app.exe\" -min", a.command);
    EXPECT_EQ("HKEY_CURRENT_USER", ShownCell("hku", a, 2));
    EXPECT_EQ("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", ShownCell("hku", a, 3));
    EXPECT_EQ("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", ShownCell("hku", a, 4));
    EXPECT_EQ("%SystemRoot%\\x.exe -y", form.hku.Row(3).command);  // not expanded
    const int exe = m.shell.IconIndexOf(".exe");
    for (int i : {0, 1, 2, 3}) EXPECT_EQ(exe, form.hku.Row(i).image) << i;
    EXPECT_EQ(sim::SimShell::kUnknownIcon, form.hku.Row(4).image);  // "c:\w" has no known type
    EXPECT_EQ("HKCU / Run (5)", form.TabCaptions[HKCURun]);
    EXPECT_EQ(sim::SimShell::kSmallImageList, form.hku.SmallImages());
}

TEST(MainForm, SourcesDifferInTheirKeysIconsAndExtraColumns) {
    sim::SimDesktop m;
    m.registry.SetString("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad", "Tray",
                         "C:\\tray.exe");
    m.registry.SetString("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run", "Pol",
                         "C:\\pol.exe");
    m.registry.SetString("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run", "UPol",
                         "C:\\upol.exe");
    m.registry.SetString("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "Once", "C:\\once.exe");
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    // Shell service objects all show the library icon, whatever they name.
    EXPECT_EQ(m.shell.IconIndexOf(".dll"), form.shellobject.Row(0).image);
    EXPECT_EQ("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad",
              ShownCell("shellobject", form.shellobject.Row(0), 3));
    // The machine's policy rows carry only the command and the root.
    EXPECT_EQ("", ShownCell("explomac", form.explomac.Row(0), 3));
    EXPECT_EQ("HKEY_LOCAL_MACHINE", ShownCell("explomac", form.explomac.Row(0), 2));
    EXPECT_EQ("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run",
              ShownCell("explou", form.explou.Row(0), 4));
    EXPECT_EQ("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
              ShownCell("runonce", form.runonce.Row(0), 3));
    EXPECT_EQ("HKLM / ShellObject (1)", form.TabCaptions[ShellObject]);
    EXPECT_EQ("HKLM / Explorer-Run (1)", form.TabCaptions[HKLMExplorer]);
}

TEST(MainForm, ShowingATabEmptiesTheListsItsRuleNamesAndRefillsItsOwn) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "U", "u.exe");
    m.registry.SetString(kHKLMRun, "M", "m.exe");
    m.registry.SetString("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "O", "o.exe");
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    form.FirstShow();  // the first show refreshes tab 1 and empties the other group lists
    EXPECT_EQ(1, form.hku.Count());
    EXPECT_EQ(0, form.LV.Count());
    EXPECT_EQ(0, form.hklmrunonce.Count());
    EXPECT_EQ("HKLM / Run (1)", form.TabCaptions[HKLMRun]);  // keeps its earlier count
    EXPECT_EQ(9, form.logs.Count());

    form.SelectTab(HKLMRun);  // empties only its own list
    EXPECT_EQ(1, form.LV.Count());
    EXPECT_EQ(1, form.hku.Count());

    form.SelectTab(WinLogon);  // the group lists, actx and logs
    EXPECT_EQ(0, form.LV.Count());
    EXPECT_EQ(0, form.hku.Count());
    EXPECT_EQ(9, form.logs.Count());
    EXPECT_EQ(2, form.lorun.Count());

    form.SelectTab(LoadRun);  // its own list only
    EXPECT_EQ(2, form.lorun.Count());
    EXPECT_EQ(9, form.logs.Count());
}

TEST(MainForm, ATabIsReadAgainWhenShownAgainButNotWhenClickedWhileSelected) {
    sim::SimDesktop m;
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    form.FirstShow();
    m.registry.SetString(kHKCURun, "New", "new.exe");
    form.SelectTab(HKCURun);  // already selected: no refresh
    EXPECT_EQ(0, form.hku.Count());
    form.SelectTab(HKLMRun);
    form.SelectTab(HKCURun);
    EXPECT_EQ(1, form.hku.Count());
    EXPECT_EQ("HKCU / Run (1)", form.TabCaptions[HKCURun]);
}

TEST(MainForm, DataThatCannotBeReadStopsTheScanWhereItStands) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "Alpha", "C:\\alpha.exe");
    m.registry.SetString(kHKCURun, "Flags", "C:\\flags.exe");
    m.registry.Key(kHKCURun)->unreadable.insert("flags");
    m.registry.SetString(kHKCURun, "Omega", "C:\\omega.exe");
    m.registry.SetString(kHKLMRun, "M", "m.exe");
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    ASSERT_EQ(1u, m.user.shown.size());
    EXPECT_EQ(DialogKind::Error, m.user.shown[0].kind);
    EXPECT_EQ("Quellmark", m.user.shown[0].title);
    EXPECT_EQ("Failed to get data for 'Flags'", m.user.shown[0].text);  // ends in a quote: no "."
    // The complete row stays, the failing one keeps only its name, the rest is not read.
    ASSERT_EQ((std::vector<std::string>{"Alpha", "Flags"}), Captions(form.hku));
    EXPECT_EQ("", form.hku.Row(1).command);
    EXPECT_EQ(0, form.hku.Row(1).image);
    EXPECT_EQ("HKCU / Run (1)", form.TabCaptions[HKCURun]);
    // The other tabs keep the captions they were designed with.
    const std::vector<std::string> design{
        "HKLM / Run",         "Startup (comon)",     "Startup (User)",      "HKCU / Run Once", "HKLM / Run Once",
        "HKLM / ShellObject", "HKLM / Run OnceEx",   "Startup (services)",  "ActiveX",         "WinLogon",
        "Load - Run",         "HKLM / Explorer-Run", "HKCU / Explorer-Run", "HKCU / Deskstop", "Scheduled Tasks",
        "System Hooks",       "Services and Drivers"};
    EXPECT_EQ(design, std::vector<std::string>(form.TabCaptions.begin() + 1, form.TabCaptions.end()));
    EXPECT_EQ(0, form.LV.Count());
    EXPECT_FALSE(form.LV.SmallImages());  // the scan never reached the image lists

    form.FirstShow();  // the refresh of tab 1 fails the same way
    EXPECT_EQ(2u, m.user.shown.size());
    EXPECT_EQ(2, form.hku.Count());

    form.SelectTab(HKLMRun);  // another tab fills normally
    EXPECT_EQ(1, form.LV.Count());
    EXPECT_EQ("HKLM / Run (1)", form.TabCaptions[HKLMRun]);
    EXPECT_EQ(2u, m.user.shown.size());
}

TEST(ErrorBox, AppendsAFullStopOnlyAfterCharactersThatSortAfterIt) {
    EXPECT_EQ("CoInitialize has not been called.", ErrorBoxText("CoInitialize has not been called"));
    EXPECT_EQ("Invalid data type for 'x'", ErrorBoxText("Invalid data type for 'x'"));
    EXPECT_EQ("List index out of bounds (1)", ErrorBoxText("List index out of bounds (1)"));
    EXPECT_EQ("Done.", ErrorBoxText("Done."));
    EXPECT_EQ("path/.", ErrorBoxText("path/"));  // "/" sorts right after "."
    EXPECT_EQ("a-", ErrorBoxText("a-"));
    EXPECT_EQ("", ErrorBoxText(""));
}

TEST(MainForm, AFailingValueAsTheFirstNameLeavesTheDesignCaption) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "AFlags", "a.exe");
    m.registry.Key(kHKCURun)->unreadable.insert("aflags");
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    EXPECT_EQ("HKCU / Run", form.TabCaptions[HKCURun]);
    EXPECT_EQ(1, form.hku.Count());
}

TEST(MainForm, UnreadableDataAndUnopenableKeysAreHandledAsTheAccessorDefines) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "Locked", "x.exe");
    m.registry.Key(kHKCURun)->unreadable.insert("locked");
    m.registry.SetString(kHKLMRun, "Hidden", "h.exe");
    m.registry.Key(kHKLMRun)->deniedAccess = kKeyQueryValue;
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    ASSERT_FALSE(m.user.shown.empty());
    EXPECT_EQ("Failed to get data for 'Locked'", m.user.shown[0].text);
    form.SelectTab(HKLMRun);
    ASSERT_EQ(1, form.LV.Count());  // a key we may not read is a row saying so
    EXPECT_EQ("access denied", form.LV.Row(0).command);
    EXPECT_EQ("HKLM / Run (1)", form.TabCaptions[HKLMRun]);
}

TEST(MainForm, AnAbsentKeyListsNothingAndTheCallerWritesZero) {
    sim::SimDesktop m;
    m.registry.SetString(kRunOnceEx, "X", "x.exe");
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    EXPECT_EQ("HKLM / Run OnceEx (1)", form.TabCaptions[RunOnceEx]);
    m.registry.RemoveKey(kRunOnceEx);
    form.SelectTab(RunOnceEx);
    EXPECT_EQ(0, form.runoncex.Count());
    EXPECT_EQ("HKLM / Run OnceEx (0)", form.TabCaptions[RunOnceEx]);
}

TEST(MainForm, AnEditedCaptionStaysUntilTheListIsRefilled) {
    sim::SimDesktop m;
    m.registry.SetString(kHKLMRun, "Old", "o.exe");
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    form.SelectTab(HKLMRun);
    form.LV.EditCaption(0, "Renamed");
    EXPECT_EQ("Renamed", form.LV.Row(0).name);
    EXPECT_EQ("Old", m.registry.Key(kHKLMRun)->values[0].first);  // the registry is not touched
    form.SelectTab(HKCURun);
    form.SelectTab(HKLMRun);
    EXPECT_EQ("Old", form.LV.Row(0).name);
}

TEST(MainForm, TheStartupScanReadsTheExplorerRunTabsTheOtherWayRound) {
    sim::SimDesktop m;
    // A failure in the user's policy key stops the scan before the machine's is read.
    const char* userPolicy = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run";
    m.registry.SetString(userPolicy, "Bad", "b.exe");
    m.registry.Key(userPolicy)->unreadable.insert("bad");
    m.registry.SetString("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run", "Good",
                         "g.exe");
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    EXPECT_EQ(0, form.explomac.Count());
    EXPECT_EQ("HKLM / Explorer-Run", form.TabCaptions[HKLMExplorer]);
    EXPECT_EQ("HKCU / Deskstop", form.TabCaptions[Desktop]);
    EXPECT_EQ("Load - Run (2)", form.TabCaptions[LoadRun]);
}

TEST(MainForm, ImageListsAreRenewedPerRowAndTheCaptionRewrittenPerRow) {
    sim::SimDesktop m;
    for (int i = 0; i < 3; ++i) m.registry.SetString(kHKLMRun, "V" + std::to_string(i), "v.exe");
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    const int callsBefore = m.shell.fileInfoCalls;
    form.SelectTab(HKLMRun);
    // Per row: one icon lookup and two image-list lookups.
    EXPECT_EQ(3 * 3, m.shell.fileInfoCalls - callsBefore);
    EXPECT_EQ(0, m.registry.OpenHandles());
}

}  // namespace
}  // namespace qm
