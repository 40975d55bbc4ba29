// The main window's logic on the simulated machine: the start-up scan, tab
// refreshes with their clearing rules, count captions, and failures.
#include <gtest/gtest.h>

#include "core/errors.h"
#include "forms/main_form.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr const char* kHKCURun = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kHKLMRun = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunOnceEx = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";

std::vector<std::string> Captions(const EntryList& list) {
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
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        EXPECT_EQ(c.caption, form.Caption);
    }
}

TEST(MainForm, AnEmptyMachineShowsZeroCountsButOneRowPerNamedValue) {
    sim::SimDesktop m;
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_TRUE(m.user.shown.empty());
    EXPECT_EQ("HKCU / Run (0)", form.TabCaptions[TabOf("hkcu-run")]);
    EXPECT_EQ("HKLM / Run OnceEx (0)", form.TabCaptions[TabOf("hklm-runonceex")]);
    EXPECT_EQ("ActiveX (0)", form.TabCaptions[TabOf("components")]);
    EXPECT_EQ("WinLogon (9)", form.TabCaptions[TabOf("winlogon")]);
    EXPECT_EQ("Load - Run (2)", form.TabCaptions[TabOf("load-run")]);
    EXPECT_EQ("HKCU / Desktop (1)", form.TabCaptions[TabOf("screensaver")]);
    EXPECT_EQ("HKLM / Explorer-Run (0)", form.TabCaptions[TabOf("hklm-explorer-run")]);
    EXPECT_EQ("HKCU / Explorer-Run (0)", form.TabCaptions[TabOf("hkcu-explorer-run")]);
    EXPECT_EQ(0, m.registry.OpenHandles());
}

TEST(MainForm, ValueListRowsCarryNameCommandRootAndKeyInEnumerationOrder) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "B", "rundll32.exe shell32.dll,Options_RunDLL 0");
    m.registry.SetString(kHKCURun, "A", "\"C:\\Program Files\\App\\app.exe\" -min");
    m.registry.SetString(kHKCURun, "", "C:\\default.exe");
    m.registry.SetString(kHKCURun, "Env", "%SystemRoot%\\x.exe -y", kRegExpandSz);
    m.registry.SetString(kHKCURun, "Lib", "C:\\Windows\\System32\\foo.dll");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    ASSERT_EQ((std::vector<std::string>{"B", "A", "", "Env", "Lib"}), Captions(form.ListById("hkcu-run")));
    const Entry& a = form.ListById("hkcu-run").Row(1);
    EXPECT_EQ("\"C:\\Program Files\\App\\app.exe\" -min", a.command);
    EXPECT_EQ("HKEY_CURRENT_USER", ShownCell("hkcu-run", a, 2));
    EXPECT_EQ("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", ShownCell("hkcu-run", a, 3));
    EXPECT_EQ("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", ShownCell("hkcu-run", a, 4));
    EXPECT_EQ("%SystemRoot%\\x.exe -y", form.ListById("hkcu-run").Row(3).command);  // not expanded
    const int exe = m.shell.IconIndexOf(".exe");
    for (int i : {0, 1, 2, 3}) EXPECT_EQ(exe, form.ListById("hkcu-run").Row(i).image) << i;
    EXPECT_EQ(sim::SimShell::kUnknownIcon, form.ListById("hkcu-run").Row(4).image);  // "c:\w" has no known type
    EXPECT_EQ("HKCU / Run (5)", form.TabCaptions[TabOf("hkcu-run")]);
    EXPECT_EQ(sim::SimShell::kSmallImageList, form.ListById("hkcu-run").SmallImages());
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
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    // Shell service objects all show the library icon, whatever they name.
    EXPECT_EQ(m.shell.IconIndexOf(".dll"), form.ListById("hklm-shell-service-objects").Row(0).image);
    EXPECT_EQ("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad",
              ShownCell("hklm-shell-service-objects", form.ListById("hklm-shell-service-objects").Row(0), 3));
    // The machine's policy rows carry only the command and the root.
    EXPECT_EQ("", ShownCell("hklm-explorer-run", form.ListById("hklm-explorer-run").Row(0), 3));
    EXPECT_EQ("HKEY_LOCAL_MACHINE", ShownCell("hklm-explorer-run", form.ListById("hklm-explorer-run").Row(0), 2));
    EXPECT_EQ("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run",
              ShownCell("hkcu-explorer-run", form.ListById("hkcu-explorer-run").Row(0), 4));
    EXPECT_EQ("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
              ShownCell("hkcu-runonce", form.ListById("hkcu-runonce").Row(0), 3));
    EXPECT_EQ("HKLM / ShellObject (1)", form.TabCaptions[TabOf("hklm-shell-service-objects")]);
    EXPECT_EQ("HKLM / Explorer-Run (1)", form.TabCaptions[TabOf("hklm-explorer-run")]);
}

TEST(MainForm, ShowingATabEmptiesTheListsItsRuleNamesAndRefillsItsOwn) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "U", "u.exe");
    m.registry.SetString(kHKLMRun, "M", "m.exe");
    m.registry.SetString("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "O", "o.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    form.FirstShow();  // the first show refreshes tab 1 and empties the other group lists
    EXPECT_EQ(1, form.ListById("hkcu-run").Count());
    EXPECT_EQ(0, form.ListById("hklm-run").Count());
    EXPECT_EQ(0, form.ListById("hklm-runonce").Count());
    EXPECT_EQ("HKLM / Run (1)", form.TabCaptions[TabOf("hklm-run")]);  // keeps its earlier count
    EXPECT_EQ(9, form.ListById("winlogon").Count());

    form.SelectTab(TabOf("hklm-run"));  // empties only its own list
    EXPECT_EQ(1, form.ListById("hklm-run").Count());
    EXPECT_EQ(1, form.ListById("hkcu-run").Count());

    form.SelectTab(TabOf("winlogon"));  // the group lists, components and winlogon
    EXPECT_EQ(0, form.ListById("hklm-run").Count());
    EXPECT_EQ(0, form.ListById("hkcu-run").Count());
    EXPECT_EQ(9, form.ListById("winlogon").Count());
    EXPECT_EQ(2, form.ListById("load-run").Count());

    form.SelectTab(TabOf("load-run"));  // its own list only
    EXPECT_EQ(2, form.ListById("load-run").Count());
    EXPECT_EQ(9, form.ListById("winlogon").Count());
}

TEST(MainForm, ATabIsReadAgainWhenShownAgainButNotWhenClickedWhileSelected) {
    sim::SimDesktop m;
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    form.FirstShow();
    m.registry.SetString(kHKCURun, "New", "new.exe");
    form.SelectTab(TabOf("hkcu-run"));  // already selected: no refresh
    EXPECT_EQ(0, form.ListById("hkcu-run").Count());
    form.SelectTab(TabOf("hklm-run"));
    form.SelectTab(TabOf("hkcu-run"));
    EXPECT_EQ(1, form.ListById("hkcu-run").Count());
    EXPECT_EQ("HKCU / Run (1)", form.TabCaptions[TabOf("hkcu-run")]);
}

TEST(MainForm, DataThatCannotBeReadStopsTheScanWhereItStands) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "Alpha", "C:\\alpha.exe");
    m.registry.SetString(kHKCURun, "Flags", "C:\\flags.exe");
    m.registry.Key(kHKCURun)->unreadable.insert("flags");
    m.registry.SetString(kHKCURun, "Omega", "C:\\omega.exe");
    m.registry.SetString(kHKLMRun, "M", "m.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    ASSERT_EQ(1u, m.user.shown.size());
    EXPECT_EQ(DialogKind::Error, m.user.shown[0].kind);
    EXPECT_EQ("Quellmark", m.user.shown[0].title);
    EXPECT_EQ("Failed to get data for 'Flags'", m.user.shown[0].text);  // ends in a quote: no "."
    // The complete row stays, the failing one keeps only its name, the rest is not read.
    ASSERT_EQ((std::vector<std::string>{"Alpha", "Flags"}), Captions(form.ListById("hkcu-run")));
    EXPECT_EQ("", form.ListById("hkcu-run").Row(1).command);
    EXPECT_EQ(0, form.ListById("hkcu-run").Row(1).image);
    EXPECT_EQ("HKCU / Run (1)", form.TabCaptions[TabOf("hkcu-run")]);
    // The other tabs keep the captions they were designed with.
    const std::vector<std::string> design{
        "HKLM / Run",         "Startup (comon)",     "Startup (User)",      "HKCU / Run Once", "HKLM / Run Once",
        "HKLM / ShellObject", "HKLM / Run OnceEx",   "Startup (services)",  "ActiveX",         "WinLogon",
        "Load - Run",         "HKLM / Explorer-Run", "HKCU / Explorer-Run", "HKCU / Deskstop", "Scheduled Tasks",
        "System Hooks",       "Services and Drivers"};
    EXPECT_EQ(design, std::vector<std::string>(form.TabCaptions.begin() + 1, form.TabCaptions.end()));
    EXPECT_EQ(0, form.ListById("hklm-run").Count());
    EXPECT_FALSE(form.ListById("hklm-run").SmallImages());  // the scan never reached the image lists

    form.FirstShow();  // the refresh of tab 1 fails the same way
    EXPECT_EQ(2u, m.user.shown.size());
    EXPECT_EQ(2, form.ListById("hkcu-run").Count());

    form.SelectTab(TabOf("hklm-run"));  // another tab fills normally
    EXPECT_EQ(1, form.ListById("hklm-run").Count());
    EXPECT_EQ("HKLM / Run (1)", form.TabCaptions[TabOf("hklm-run")]);
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
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_EQ("HKCU / Run", form.TabCaptions[TabOf("hkcu-run")]);
    EXPECT_EQ(1, form.ListById("hkcu-run").Count());
}

TEST(MainForm, UnreadableDataAndUnopenableKeysAreHandledAsTheAccessorDefines) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "Locked", "x.exe");
    m.registry.Key(kHKCURun)->unreadable.insert("locked");
    m.registry.SetString(kHKLMRun, "Hidden", "h.exe");
    m.registry.Key(kHKLMRun)->deniedAccess = kKeyQueryValue;
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    ASSERT_FALSE(m.user.shown.empty());
    EXPECT_EQ("Failed to get data for 'Locked'", m.user.shown[0].text);
    form.SelectTab(TabOf("hklm-run"));
    ASSERT_EQ(1, form.ListById("hklm-run").Count());  // a key we may not read is a row saying so
    EXPECT_EQ("access denied", form.ListById("hklm-run").Row(0).command);
    EXPECT_EQ("HKLM / Run (1)", form.TabCaptions[TabOf("hklm-run")]);
}

TEST(MainForm, AnAbsentKeyListsNothingAndTheCallerWritesZero) {
    sim::SimDesktop m;
    m.registry.SetString(kRunOnceEx, "X", "x.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_EQ("HKLM / Run OnceEx (1)", form.TabCaptions[TabOf("hklm-runonceex")]);
    m.registry.RemoveKey(kRunOnceEx);
    form.SelectTab(TabOf("hklm-runonceex"));
    EXPECT_EQ(0, form.ListById("hklm-runonceex").Count());
    EXPECT_EQ("HKLM / Run OnceEx (0)", form.TabCaptions[TabOf("hklm-runonceex")]);
}

TEST(MainForm, AnEditedCaptionStaysUntilTheListIsRefilled) {
    sim::SimDesktop m;
    m.registry.SetString(kHKLMRun, "Old", "o.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    form.SelectTab(TabOf("hklm-run"));
    form.ListById("hklm-run").EditCaption(0, "Renamed");
    EXPECT_EQ("Renamed", form.ListById("hklm-run").Row(0).name);
    EXPECT_EQ("Old", m.registry.Key(kHKLMRun)->values[0].first);  // the registry is not touched
    form.SelectTab(TabOf("hkcu-run"));
    form.SelectTab(TabOf("hklm-run"));
    EXPECT_EQ("Old", form.ListById("hklm-run").Row(0).name);
}

TEST(MainForm, TheStartupScanReadsTheExplorerRunTabsTheOtherWayRound) {
    sim::SimDesktop m;
    // A failure in the user's policy key stops the scan before the machine's is read.
    const char* userPolicy = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run";
    m.registry.SetString(userPolicy, "Bad", "b.exe");
    m.registry.Key(userPolicy)->unreadable.insert("bad");
    m.registry.SetString("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run", "Good",
                         "g.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_EQ(0, form.ListById("hklm-explorer-run").Count());
    EXPECT_EQ("HKLM / Explorer-Run", form.TabCaptions[TabOf("hklm-explorer-run")]);
    EXPECT_EQ("HKCU / Deskstop", form.TabCaptions[TabOf("screensaver")]);
    EXPECT_EQ("Load - Run (2)", form.TabCaptions[TabOf("load-run")]);
}

TEST(MainForm, ImageListsAreRenewedPerRowAndTheCaptionRewrittenPerRow) {
    sim::SimDesktop m;
    for (int i = 0; i < 3; ++i) m.registry.SetString(kHKLMRun, "V" + std::to_string(i), "v.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    const int callsBefore = m.shell.fileInfoCalls;
    form.SelectTab(TabOf("hklm-run"));
    // Per row: one icon lookup and two image-list lookups.
    EXPECT_EQ(3 * 3, m.shell.fileInfoCalls - callsBefore);
    EXPECT_EQ(0, m.registry.OpenHandles());
}

}  // namespace
}  // namespace qm
