// "&Delete Items..." on the fourteen lists that delete a registry value or a
// startup file: what is asked, what goes, and what the list shows afterwards.
#include <gtest/gtest.h>

#include <functional>

#include "core/model/location.h"
#include "forms/main_form.h"
#include "machine_snapshot.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

using testing::FileEntry;
using testing::MachineState;
using testing::Snapshot;
using testing::ValueEntry;

constexpr const char* kHKCURun = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kHKLMRun = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kHKCURunOnce = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kHKLMRunOnce = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kShellObjects = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
constexpr const char* kRunOnceEx = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
constexpr const char* kComponents = "HKLM\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components";
constexpr const char* kWinlogon = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kWindows = "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr const char* kHKLMPolicy = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run";
constexpr const char* kHKCUPolicy = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run";
constexpr const char* kDesktop = "HKCU\\Control Panel\\Desktop";

// A shortcut file naming `target`.
sim::SimFile Shortcut(const std::string& target) {
    sim::SimFile file;
    file.shortcutTarget = target;
    return file;
}

// A machine with two entries in every place the fourteen lists show.
void PutEntries(sim::SimDesktop& m) {
    for (const char* key : {kHKCURun, kHKLMRun, kHKCURunOnce, kHKLMRunOnce, kRunOnceEx, kHKLMPolicy, kHKCUPolicy}) {
        m.registry.SetString(key, "First", "C:\\first.exe");
        m.registry.SetString(key, "Second", "C:\\second.exe /x");
    }
    m.registry.SetString(kShellObjects, "First", "{00000000-0000-0000-0000-000000000001}");
    m.registry.SetString(kShellObjects, "Second", "{00000000-0000-0000-0000-000000000002}");
    for (const char* id : {"{A}", "{B}"}) {
        const std::string key = std::string(kComponents) + "\\" + id;
        m.registry.SetString(key, "", std::string("Component ") + id);
        m.registry.SetString(key, "ComponentID", std::string("Id") + id);
        m.registry.SetString(key, "StubPath", std::string("C:\\stub") + id + ".exe");
    }
    m.registry.SetString(kWinlogon, "Userinit", "C:\\WINDOWS\\system32\\userinit.exe,");
    m.registry.SetString(kWinlogon, "Shell", "explorer.exe");
    m.registry.SetString(kWindows, "run", "C:\\r.exe");
    m.registry.SetString(kWindows, "load", "C:\\l.exe");
    m.registry.SetString(kDesktop, "SCRNSAVE.EXE", "C:\\WINDOWS\\System32\\logon.scr");
    m.registry.SetString(kDesktop, "Wallpaper", "C:\\w.bmp");
    for (int csidl : {kCsidlCommonStartup, kCsidlStartup}) {
        const std::string folder = m.shell.specialFolders.at(csidl);
        m.files.AddFile(folder + "\\first.lnk", Shortcut("C:\\first.exe"));
        m.files.AddFile(folder + "\\second.lnk", Shortcut("C:\\second.exe"));
    }
}

std::vector<std::string> Names(const EntryList& list) {
    std::vector<std::string> names;
    for (const auto& row : list.Rows()) names.push_back(row.name);
    return names;
}

std::string Startup(sim::SimDesktop& m, int csidl, const std::string& name) {
    return m.shell.specialFolders.at(csidl) + "\\" + name;
}

// One deletion per list: the row chosen, what the confirmation names, what
// goes from the machine and the list afterwards.
struct Case {
    int tab;
    int row;
    const char* named;                                  // the caption the confirmation names
    std::function<std::string(sim::SimDesktop&)> gone;  // the one machine entry removed
    std::vector<std::string> after;                     // the list's captions afterwards
    const char* caption;
};

std::vector<Case> Cases() {
    auto value = [](const char* key, const char* name) {
        return [=](sim::SimDesktop&) { return ValueEntry(key, name); };
    };
    auto file = [](int csidl, const char* name) {
        return [=](sim::SimDesktop& m) { return FileEntry(Startup(m, csidl, name)); };
    };
    const std::vector<std::string> firstOnly{"First"};
    const std::vector<std::string> winlogon{"Userinit",      "system",   "Shell",
                                            "UIHost",        "Taskman",  "LsaStart",
                                            "SaveDumpStart", "AppSetup", "ServiceControllerStart"};
    return {
        {TabOf("hkcu-run"), 1, "Second", value(kHKCURun, "Second"), firstOnly, "HKCU / Run (1)"},
        {TabOf("hklm-run"), 1, "Second", value(kHKLMRun, "Second"), firstOnly, "HKLM / Run (1)"},
        {TabOf("startup-common"),
         0,
         "first.lnk",
         file(kCsidlCommonStartup, "first.lnk"),
         {"second.lnk"},
         "Startup (common) - (1)"},
        {TabOf("startup-user"),
         1,
         "second.lnk",
         file(kCsidlStartup, "second.lnk"),
         {"first.lnk"},
         "Startup (user) - (1)"},
        {TabOf("hkcu-runonce"), 1, "Second", value(kHKCURunOnce, "Second"), firstOnly, "HKCU / Run Once (1)"},
        {TabOf("hklm-runonce"), 1, "Second", value(kHKLMRunOnce, "Second"), firstOnly, "HKLM / Run Once (1)"},
        {TabOf("hklm-shell-service-objects"), 1, "Second", value(kShellObjects, "Second"), firstOnly,
         "HKLM / ShellObject (1)"},
        {TabOf("hklm-runonceex"), 1, "Second", value(kRunOnceEx, "Second"), firstOnly, "HKLM / Run OnceEx (1)"},
        // Only the command goes; the component's key and its other values stay.
        {TabOf("components"),
         0,
         "Component {A}",
         value("HKLM\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\{A}", "StubPath"),
         {"Component {B}"},
         "ActiveX (1)"},
        // The value goes, and its place is listed again as empty.
        {TabOf("winlogon"), 0, "Userinit", value(kWinlogon, "Userinit"), winlogon, "WinLogon (9)"},
        // The row "Run" names the value stored as "run".
        {TabOf("load-run"), 0, "Run", value(kWindows, "run"), {"Run", "Load"}, "Load - Run (2)"},
        {TabOf("hklm-explorer-run"), 1, "Second", value(kHKLMPolicy, "Second"), firstOnly, "HKLM / Explorer-Run (1)"},
        {TabOf("hkcu-explorer-run"), 1, "Second", value(kHKCUPolicy, "Second"), firstOnly, "HKCU / Explorer-Run (1)"},
        {TabOf("screensaver"), 0, "Scrnsave", value(kDesktop, "SCRNSAVE.EXE"), {"Scrnsave"}, "HKCU / Desktop (1)"},
    };
}

// Shows the tab (which fills its list) and selects one row, focusing another
// when `focused` differs.
void Choose(MainForm& form, int tab, int selected, int focused) {
    form.SelectTab(tab);
    form.ListOf(tab).SetSelection(selected, focused);
}

TEST(Deletion, AnsweringNoChangesNothingAnywhere) {
    for (const Case& c : Cases()) {
        sim::SimDesktop m;
        PutEntries(m);
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        Choose(form, c.tab, c.row, c.row);
        const MachineState before = Snapshot(m);
        const std::vector<std::string> rows = Names(form.ListOf(c.tab));
        const std::string caption = form.TabCaptions[c.tab];
        m.user.answers = {DialogResult::No};
        form.ListCommandClick(c.tab, ListCommand::Delete);
        ASSERT_EQ(1u, m.user.shown.size()) << c.caption;
        const DialogRequest& asked = m.user.shown[0];
        EXPECT_EQ(DialogKind::Confirmation, asked.kind);
        EXPECT_EQ("Confirm", asked.title);
        EXPECT_EQ(std::string("Are you sure want to delete autorun \"") + c.named + "\" ?", asked.text);
        EXPECT_EQ(before, Snapshot(m)) << c.caption;
        EXPECT_EQ(rows, Names(form.ListOf(c.tab))) << c.caption;
        EXPECT_EQ(caption, form.TabCaptions[c.tab]);
        EXPECT_EQ(0, m.registry.OpenHandles()) << c.caption;
    }
}

TEST(Deletion, AnsweringYesRemovesExactlyTheConfirmedEntry) {
    for (const Case& c : Cases()) {
        sim::SimDesktop m;
        PutEntries(m);
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        Choose(form, c.tab, c.row, c.row);
        MachineState expected = Snapshot(m);
        const std::string gone = c.gone(m);
        ASSERT_EQ(1u, expected.erase(gone)) << gone;
        m.user.answers = {DialogResult::Yes};
        form.ListCommandClick(c.tab, ListCommand::Delete);
        EXPECT_EQ(1u, m.user.shown.size()) << c.caption;
        EXPECT_EQ(expected, Snapshot(m)) << c.caption;
        EXPECT_EQ(c.after, Names(form.ListOf(c.tab))) << c.caption;
        EXPECT_EQ(c.caption, form.TabCaptions[c.tab]);
        EXPECT_EQ(0, m.registry.OpenHandles()) << c.caption;
    }
}

TEST(Deletion, SelectedRowIsNamedAndDeletedWhenTheFocusIsElsewhere) {
    for (const Case& c : Cases()) {
        const int focused = c.row == 0 ? 1 : 0;
        sim::SimDesktop m;
        PutEntries(m);
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        Choose(form, c.tab, c.row, focused);
        MachineState expected = Snapshot(m);
        expected.erase(c.gone(m));
        m.user.answers = {DialogResult::Yes};
        form.ListCommandClick(c.tab, ListCommand::Delete);
        ASSERT_EQ(1u, m.user.shown.size()) << c.caption;
        EXPECT_NE(std::string::npos, m.user.shown[0].text.find(std::string("\"") + c.named + "\"")) << c.caption;
        EXPECT_EQ(expected, Snapshot(m)) << c.caption;
    }
}

TEST(Deletion, WithoutASelectedRowRegistryListsSayWhyAndFileListsDoNothing) {
    for (const Case& c : Cases()) {
        sim::SimDesktop m;
        PutEntries(m);
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        Choose(form, c.tab, -1, c.row);  // a focused row alone is no selection
        const MachineState before = Snapshot(m);
        const int rows = form.ListOf(c.tab).Count();
        form.ListCommandClick(c.tab, ListCommand::Delete);
        const bool fileList = c.tab == 2 || c.tab == 3;
        if (fileList) {
            EXPECT_TRUE(m.user.shown.empty()) << c.caption;
        } else {
            ASSERT_EQ(1u, m.user.shown.size()) << c.caption;
            EXPECT_EQ(DialogKind::Error, m.user.shown[0].kind);
            EXPECT_EQ("Error", m.user.shown[0].title);
            EXPECT_EQ("No item selected for deletion!!!", m.user.shown[0].text);
        }
        EXPECT_EQ(before, Snapshot(m)) << c.caption;
        EXPECT_EQ(rows, form.ListOf(c.tab).Count()) << c.caption;
    }
}

TEST(Deletion, AKeyThatCannotBeOpenedEndsSilentlyBeforeAsking) {
    struct Block {
        int tab;
        std::function<void(sim::SimDesktop&, MainForm&)> spoil;
    } blocks[] = {
        {TabOf("hkcu-run"),
         [](sim::SimDesktop& m, MainForm&) { m.registry.Key(kHKCURun)->deniedAccess = kKeyQueryValue; }},
        {TabOf("hklm-run"), [](sim::SimDesktop& m, MainForm&) { m.registry.RemoveKey(kHKLMRun); }},
        {TabOf("components"),
         [](sim::SimDesktop& m, MainForm&) { m.registry.RemoveKey(std::string(kComponents) + "\\{A}"); }},
        {TabOf("screensaver"),
         [](sim::SimDesktop& m, MainForm&) { m.registry.Key(kDesktop)->deniedAccess = kKeyQueryValue; }},
    };
    for (const Block& b : blocks) {
        sim::SimDesktop m;
        PutEntries(m);
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        Choose(form, b.tab, 0, 0);
        b.spoil(m, form);
        const MachineState before = Snapshot(m);
        const std::vector<std::string> rows = Names(form.ListOf(b.tab));
        m.user.answers = {DialogResult::Yes};
        form.ListCommandClick(b.tab, ListCommand::Delete);
        EXPECT_TRUE(m.user.shown.empty()) << b.tab;
        EXPECT_EQ(before, Snapshot(m)) << b.tab;
        EXPECT_EQ(rows, Names(form.ListOf(b.tab))) << b.tab;
    }
}

// The right to change a key is asked for only after the user said yes: a
// "No" leaves no open with more than reading, and a key that refuses the
// change keeps its value and its row.
TEST(Deletion, TheRightToChangeAKeyIsAskedForOnlyAfterTheConfirmation) {
    for (int tab : {0, 9, 11}) {
        sim::SimDesktop m;
        PutEntries(m);
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        Choose(form, tab, 0, 0);
        const MachineState before = Snapshot(m);
        m.registry.ForgetOpenAccess();
        m.user.answers = {DialogResult::No};
        form.ListCommandClick(tab, ListCommand::Delete);
        ASSERT_EQ(1u, m.user.shown.size()) << tab;
        EXPECT_EQ(0u, m.registry.AllOpenAccess() & ~(kKeyQueryValue | kKeyEnumerateSubKeys)) << tab;
        EXPECT_EQ(before, Snapshot(m)) << tab;

        m.user.answers = {DialogResult::Yes};
        form.ListCommandClick(tab, ListCommand::Delete);
        EXPECT_EQ(kKeySetValue, m.registry.AllOpenAccess() & ~(kKeyQueryValue | kKeyEnumerateSubKeys)) << tab;
        EXPECT_NE(before, Snapshot(m)) << tab;
    }
    // A deny entry for the change alone: asked, then nothing changes.
    sim::SimDesktop m;
    PutEntries(m);
    m.registry.Key(kHKCURun)->deniedAccess = kKeySetValue;
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    Choose(form, 0, 0, 0);
    const MachineState before = Snapshot(m);
    m.user.answers = {DialogResult::Yes};
    form.ListCommandClick(TabOf("hkcu-run"), ListCommand::Delete);
    EXPECT_EQ(1u, m.user.shown.size());
    EXPECT_EQ(before, Snapshot(m));
    EXPECT_EQ(2, form.ListById("hkcu-run").Count());
}

TEST(Deletion, TheValueGoesFromWhereTheRowLivesWhateverItsColumnsSay) {
    sim::SimDesktop m;
    PutEntries(m);
    m.registry.SetString("HKLM\\Software\\Decoy", "First", "C:\\decoy.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    Choose(form, 0, 0, 0);
    // Another place holds a value of the same name; the row's cells are made
    // from its location, so they cannot name that place.
    MachineState expected = Snapshot(m);
    expected.erase(ValueEntry(kHKCURun, "First"));
    m.user.answers = {DialogResult::Yes};
    form.ListCommandClick(TabOf("hkcu-run"), ListCommand::Delete);
    EXPECT_EQ(expected, Snapshot(m));
    EXPECT_TRUE(m.registry.HasValue("HKLM\\Software\\Decoy", "First"));
}

TEST(Deletion, AValueRemovedMeanwhileOrTheLastOneLeavesTheListAsTheRegistryIs) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "Gone", "C:\\g.exe");
    m.registry.SetString(kHKCURun, "Last", "C:\\l.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    Choose(form, 0, 0, 0);
    m.registry.Key(kHKCURun)->values.erase(m.registry.Key(kHKCURun)->values.begin());  // another program was faster
    m.user.answers = {DialogResult::Yes};
    form.ListCommandClick(TabOf("hkcu-run"), ListCommand::Delete);
    EXPECT_EQ(1u, m.user.shown.size());
    EXPECT_EQ((std::vector<std::string>{"Last"}), Names(form.ListById("hkcu-run")));
    EXPECT_EQ("HKCU / Run (1)", form.TabCaptions[TabOf("hkcu-run")]);

    form.ListById("hkcu-run").SetSelection(0, 0);
    m.user.answers = {DialogResult::Yes};
    form.ListCommandClick(TabOf("hkcu-run"), ListCommand::Delete);
    EXPECT_FALSE(m.registry.HasValue(kHKCURun, "Last"));
    EXPECT_EQ(0, form.ListById("hkcu-run").Count());
    EXPECT_EQ("HKCU / Run (0)", form.TabCaptions[TabOf("hkcu-run")]);
}

TEST(Deletion, ScreenSaverValueGoesWhateverTheRowIsCalled) {
    sim::SimDesktop m;
    PutEntries(m);
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    Choose(form, 14, 0, 0);
    form.ListById("screensaver").EditCaption(0, "Wallpaper");  // renamed in place by the user
    m.user.answers = {DialogResult::Yes};
    form.ListCommandClick(TabOf("screensaver"), ListCommand::Delete);
    EXPECT_EQ("Are you sure want to delete autorun \"Wallpaper\" ?", m.user.shown.at(0).text);
    EXPECT_FALSE(m.registry.HasValue(kDesktop, "SCRNSAVE.EXE"));
    EXPECT_TRUE(m.registry.HasValue(kDesktop, "Wallpaper"));
    ASSERT_EQ(1, form.ListById("screensaver").Count());
    EXPECT_EQ("No Autorun Entry", form.ListById("screensaver").Row(0).command);
}

TEST(Deletion, AStartupFileThatStaysKeepsItsRow) {
    struct Lock {
        const char* what;
        std::function<void(sim::SimDesktop&, const std::string&)> apply;
    } locks[] = {
        {"read-only",
         [](sim::SimDesktop& m, const std::string& p) { m.files.Find(p)->attributes |= kFileAttributeReadonly; }},
        {"refused", [](sim::SimDesktop& m, const std::string& p) { m.files.undeletable.insert(LowerAscii(p)); }},
    };
    for (const Lock& lock : locks) {
        sim::SimDesktop m;
        PutEntries(m);
        const std::string path = Startup(m, kCsidlCommonStartup, "first.lnk");
        lock.apply(m, path);
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        Choose(form, 2, 0, 0);
        const MachineState before = Snapshot(m);
        m.user.answers = {DialogResult::Yes};
        form.ListCommandClick(TabOf("startup-common"), ListCommand::Delete);
        EXPECT_EQ(1u, m.user.shown.size()) << lock.what;
        EXPECT_EQ(before, Snapshot(m)) << lock.what;
        EXPECT_EQ((std::vector<std::string>{"first.lnk", "second.lnk"}), Names(form.ListById("startup-common")))
            << lock.what;
        EXPECT_EQ("Startup (common) - (2)", form.TabCaptions[TabOf("startup-common")]) << lock.what;
    }
}

TEST(Deletion, AStartupFileAlreadyGoneLosesItsRowAndTheOtherFolderIsUntouched) {
    sim::SimDesktop m;
    PutEntries(m);
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    Choose(form, 2, 1, 1);
    form.ScanTab(3);  // the other list holds rows while this one is shown
    m.files.DeleteFile(Startup(m, kCsidlCommonStartup, "second.lnk"));
    m.user.answers = {DialogResult::Yes};
    form.ListCommandClick(TabOf("startup-common"), ListCommand::Delete);
    EXPECT_EQ((std::vector<std::string>{"first.lnk"}), Names(form.ListById("startup-common")));
    EXPECT_EQ("Startup (common) - (1)", form.TabCaptions[TabOf("startup-common")]);
    EXPECT_EQ(-1, form.ListById("startup-common").SelectedIndex());
    EXPECT_EQ(2, form.ListById("startup-user").Count());
    EXPECT_TRUE(m.files.Exists(Startup(m, kCsidlStartup, "second.lnk")));
}

TEST(Deletion, AFailingRefillEndsAfterTheDeletionWithoutACaption) {
    sim::SimDesktop m;
    PutEntries(m);
    m.registry.SetString(kWinlogon, "SaveDumpStart", "dump.exe");
    m.registry.Key(kWinlogon)->unreadable.insert("savedumpstart");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    m.user.shown.clear();
    form.SelectTab(TabOf("winlogon"));  // fails the same way
    form.ListById("winlogon").SetSelection(0, 0);
    const std::string caption = form.TabCaptions[TabOf("winlogon")];
    m.user.shown.clear();
    m.user.answers = {DialogResult::Yes};
    form.ListCommandClick(TabOf("winlogon"), ListCommand::Delete);
    ASSERT_EQ(2u, m.user.shown.size());
    EXPECT_EQ("Failed to get data for 'SaveDumpStart'", m.user.shown[1].text);
    EXPECT_FALSE(m.registry.HasValue(kWinlogon, "Userinit"));
    EXPECT_EQ(7, form.ListById("winlogon").Count());  // up to the failing row
    EXPECT_EQ(caption, form.TabCaptions[TabOf("winlogon")]);
}

TEST(Deletion, RootKeyFromNameKnowsTheSevenLongNamesInAnyCase) {
    struct Case {
        const char* name;
        std::uint32_t key;
    } cases[] = {
        {"HKEY_CLASSES_ROOT", 0x80000000u},
        {"hkey_current_user", 0x80000001u},
        {"HKEY_LOCAL_MACHINE", 0x80000002u},
        {"Hkey_Users", 0x80000003u},
        {"HKEY_PERFORMANCE_DATA", 0x80000004u},
        {"HKEY_CURRENT_CONFIG", 0x80000005u},
        {"HKEY_DYN_DATA", 0x80000006u},
        {"", 0},
        {"HKCU", 0},
        {"HKEY_LOCAL_MACHINE\\", 0},
        {" HKEY_USERS", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.key, RootKeyFromName(c.name)) << c.name;
}

}  // namespace
}  // namespace qm
