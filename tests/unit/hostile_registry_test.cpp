// Registry contents that malware, broken installers and odd locales leave
// behind: every data type, data without or with extra NULs, huge data, odd
// names, values vanishing under the scan. For each: the error box or none,
// the rows and captions, and a registry left exactly as it was.
#include <gtest/gtest.h>

#include "core/registry.h"
#include "forms/main_form.h"
#include "machine_snapshot.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr const char* kHKCURun = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kWinlogon = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kWindowsKey = "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr const char* kComponents = "HKLM\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\";

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(HostileRegistry, AValueOfEveryTypeThatIsNotTextIsARowShowingItsTypeAndSizeAndTheScanGoesOn) {
    struct Case {
        std::uint32_t type;
        const char* shown;  // for 8 bytes
    } cases[] = {
        {0, "(REG_NONE, 8 bytes)"},
        {3, "(REG_BINARY, 8 bytes)"},
        {4, "(REG_DWORD, 8 bytes)"},
        {5, "(REG_DWORD_BIG_ENDIAN, 8 bytes)"},
        {6, "(REG_LINK, 8 bytes)"},
        {7, "(REG_MULTI_SZ, 8 bytes)"},
        {8, "(REG_RESOURCE_LIST, 8 bytes)"},
        {9, "(REG_FULL_RESOURCE_DESCRIPTOR, 8 bytes)"},
        {10, "(REG_RESOURCE_REQUIREMENTS_LIST, 8 bytes)"},
        {11, "(REG_QWORD, 8 bytes)"},
        {0x1234, "(type 0x1234, 8 bytes)"},
    };
    for (const Case& c : cases) {
        sim::SimDesktop m;
        m.registry.SetString(kHKCURun, "Before", "b.exe");
        m.registry.SetRaw(kHKCURun, "Typed", c.type, {1, 0, 0, 0, 0, 0, 0, 0});
        m.registry.SetRaw(kHKCURun, "Empty", c.type, {});
        m.registry.SetRaw(kHKCURun, "One", c.type, {1});
        m.registry.SetString(kHKCURun, "Payload", "C:\\payload.exe");
        m.registry.SetRaw(kWinlogon, "Shell", c.type, {1, 2});
        const std::string before = m.registry.Snapshot();
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        EXPECT_TRUE(m.user.shown.empty()) << c.type;
        ASSERT_EQ(5, form.ListById("hkcu-run").Count()) << c.type;
        EXPECT_EQ(c.shown, form.ListById("hkcu-run").Row(1).command) << c.type;
        EXPECT_EQ("", form.ListById("hkcu-run").Row(2).command) << c.type;  // no data: nothing to name
        EXPECT_NE(std::string::npos, form.ListById("hkcu-run").Row(3).command.find(", 1 byte)")) << c.type;
        EXPECT_EQ("C:\\payload.exe", form.ListById("hkcu-run").Row(4).command) << c.type;
        EXPECT_EQ("HKCU / Run (5)", form.TabCaptions[TabOf("hkcu-run")]) << c.type;
        // The Winlogon row shows it too, and the scan reached every tab.
        EXPECT_EQ(DescribeValueType(c.type, 2), form.ListById("winlogon").Row(2).command) << c.type;
        for (const std::string& caption : form.TabCaptions) EXPECT_EQ(')', caption.back()) << c.type << ": " << caption;
        EXPECT_EQ(before, m.registry.Snapshot());
    }
}

TEST(HostileRegistry, TextWithoutATerminatorWithEmbeddedNulsAndOfAnySizeReadsUpToTheFirstNul) {
    sim::SimDesktop m;
    const std::string big(1 << 20, 'x');
    m.registry.SetRaw(kHKCURun, "NoNul", kRegSz, Bytes("C:\\a.exe"));
    m.registry.SetRaw(kHKCURun, "Embedded", kRegSz, Bytes(std::string("C:\\b.exe\0hidden.exe", 19)));
    m.registry.SetRaw(kHKCURun, "Odd", kRegExpandSz, Bytes("abc"));
    m.registry.SetRaw(kHKCURun, "Big64k", kRegSz, Bytes(big.substr(0, 65536) + '\0'));
    m.registry.SetRaw(kHKCURun, "Big1m", kRegSz, Bytes(big));
    m.registry.SetRaw(kHKCURun, "OnlyNul", kRegSz, {0});
    const std::string before = m.registry.Snapshot();
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_TRUE(m.user.shown.empty());
    ASSERT_EQ(6, form.ListById("hkcu-run").Count());
    EXPECT_EQ("C:\\a.exe", form.ListById("hkcu-run").Row(0).command);
    EXPECT_EQ("C:\\b.exe", form.ListById("hkcu-run").Row(1).command);
    EXPECT_EQ("abc", form.ListById("hkcu-run").Row(2).command);
    EXPECT_EQ(65536u, form.ListById("hkcu-run").Row(3).command.size());
    EXPECT_EQ(big, form.ListById("hkcu-run").Row(4).command);
    EXPECT_EQ("", form.ListById("hkcu-run").Row(5).command);
    EXPECT_EQ(before, m.registry.Snapshot());
}

// Names the program must carry byte for byte from the enumeration back to
// the registry: each row reads its own value's command, and deleting a row
// removes exactly its value, not a look-alike. (Names in other scripts:
// unicode_test.cpp.)
TEST(HostileRegistry, OddNamesAreListedReadAndDeletedAsStored) {
    sim::SimDesktop m;
    const std::string longName(300, 'N');
    const std::string latin1 = "\u00DCber Caf\u00E9";  // accented letters at both ends, where a trim acts
    const std::string utf8 = "\u041F\u0440\u043E";     // Cyrillic
    const std::string control = "tab\there\x01";
    const std::vector<std::string> names{longName, latin1, utf8, control, "", "Uber Cafe"};
    for (const std::string& name : names)
        m.registry.SetString(kHKCURun, name, "C:\\" + std::to_string(name.size()) + ".exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_TRUE(m.user.shown.empty());
    ASSERT_EQ(6, form.ListById("hkcu-run").Count());
    for (int i = 0; i < 6; ++i) {
        const std::string& name = names[static_cast<size_t>(i)];
        EXPECT_EQ(name, form.ListById("hkcu-run").Row(i).name) << i;
        EXPECT_EQ("C:\\" + std::to_string(name.size()) + ".exe", form.ListById("hkcu-run").Row(i).command) << i;
    }
    testing::MachineState expected = testing::Snapshot(m);
    ASSERT_EQ(1u, expected.erase(testing::ValueEntry(kHKCURun, latin1)));
    form.FirstShow();
    form.ListById("hkcu-run").SetSelection(1, 1);
    m.user.answers = {DialogResult::Yes};
    form.ListCommandClick(TabOf("hkcu-run"), ListCommand::Delete);
    EXPECT_EQ("Are you sure want to delete autorun \"" + latin1 + "\" ?", m.user.shown.at(0).text);
    EXPECT_EQ(expected, testing::Snapshot(m));
    EXPECT_EQ("HKCU / Run (5)", form.TabCaptions[TabOf("hkcu-run")]);
}

TEST(HostileRegistry, AValueDeletedBetweenTheEnumerationAndTheReadListsWithEmptyText) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "Stays", "s.exe");
    m.registry.SetString(kHKCURun, "Vanishes", "v.exe");
    m.registry.SetString(kHKCURun, "Last", "l.exe");
    bool gone = false;
    m.registry.beforeRead = [&](const std::string& name) {
        if (name == "Vanishes" && !gone) gone = m.registry.Key(kHKCURun)->EraseValue("Vanishes");
    };
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_TRUE(m.user.shown.empty());
    ASSERT_EQ(3, form.ListById("hkcu-run").Count());
    EXPECT_EQ("Vanishes", form.ListById("hkcu-run").Row(1).name);
    EXPECT_EQ("", form.ListById("hkcu-run").Row(1).command);
    EXPECT_EQ("l.exe", form.ListById("hkcu-run").Row(2).command);
    EXPECT_EQ("HKCU / Run (3)", form.TabCaptions[TabOf("hkcu-run")]);
}

TEST(HostileRegistry, AKeyThatCannotBeQueriedListsNothingAndOneThatRefusesOpeningSaysSo) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "X", "x.exe");
    m.registry.Key(kHKCURun)->failQueryInfo = true;
    m.registry.SetString(kWinlogon, "Shell", "evil.exe");
    m.registry.Key(kWinlogon)->deniedAccess = kKeyQueryValue;
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_TRUE(m.user.shown.empty());
    EXPECT_EQ(0, form.ListById("hkcu-run").Count());
    EXPECT_EQ("HKCU / Run (0)", form.TabCaptions[TabOf("hkcu-run")]);
    EXPECT_EQ("access denied: HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
              form.ListById("winlogon").Row(2).command);
    EXPECT_EQ(0, m.registry.OpenHandles());
}

// Any program running as the user may put a deny entry for one right on the
// user's keys. Keys are opened for what is read of them only, so a deny of
// a right the program never uses hides nothing, and no scan asks for a
// right to change anything.
TEST(HostileRegistry, ADenyEntryForARightTheProgramDoesNotUseHidesNothing) {
    for (std::uint32_t denied : {kKeyCreateLink, 0x10u /*KEY_NOTIFY*/, kKeySetValue, 0x10000u /*DELETE*/}) {
        sim::SimDesktop m;
        m.registry.SetString(kHKCURun, "Payload", "C:\\payload.exe");
        m.registry.Key(kHKCURun)->deniedAccess = denied;
        m.registry.SetString(kWindowsKey, "Load", "C:\\load.exe");
        m.registry.Key(kWindowsKey)->deniedAccess = denied;
        const std::string component = std::string(kComponents) + "{evil}";
        m.registry.SetString(component, "StubPath", "C:\\stub.exe");
        m.registry.Key(component)->deniedAccess = denied;
        m.registry.Key(std::string(kComponents))->deniedAccess = denied & ~kKeyQueryValue;
        m.registry.ForgetOpenAccess();
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        form.FirstShow();
        ASSERT_EQ(1, form.ListById("hkcu-run").Count()) << denied;
        EXPECT_EQ("C:\\payload.exe", form.ListById("hkcu-run").Row(0).command) << denied;
        EXPECT_EQ("C:\\load.exe", form.ListById("load-run").Row(1).command) << denied;
        ASSERT_EQ(1, form.ListById("components").Count()) << denied;
        EXPECT_EQ("C:\\stub.exe", form.ListById("components").Row(0).command) << denied;
        for (int tab = 0; tab < 15; ++tab) form.SelectTab(tab);  // every tab read again
        EXPECT_TRUE(m.user.shown.empty()) << denied;
        EXPECT_EQ(0u, m.registry.AllOpenAccess() & ~(kKeyQueryValue | kKeyEnumerateSubKeys)) << denied;
    }
}

// A key that exists but refuses reading may hold anything: its tab says so
// in a row naming the key, never an empty list.
TEST(HostileRegistry, AKeyThatRefusesReadingIsARowNamingItAndNamesNothingToDelete) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "Payload", "C:\\payload.exe");
    m.registry.Key(kHKCURun)->deniedAccess = kKeyQueryValue;
    m.registry.SetString(kWindowsKey, "Load", "C:\\load.exe");
    m.registry.Key(kWindowsKey)->deniedAccess = kKeyQueryValue;
    const std::string component = std::string(kComponents) + "{evil}";
    m.registry.SetString(component, "StubPath", "C:\\stub.exe");
    m.registry.Key(component)->deniedAccess = kKeyQueryValue;
    const std::string before = m.registry.Snapshot();
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_TRUE(m.user.shown.empty());
    ASSERT_EQ(1, form.ListById("hkcu-run").Count());
    const Entry& run = form.ListById("hkcu-run").Row(0);
    EXPECT_EQ("HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", run.name);
    EXPECT_EQ("access denied", run.command);
    EXPECT_EQ("HKCU / Run (1)", form.TabCaptions[TabOf("hkcu-run")]);
    EXPECT_EQ("access denied: HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\",
              form.ListById("load-run").Row(1).command);
    ASSERT_EQ(1, form.ListById("components").Count());
    EXPECT_EQ("access denied", form.ListById("components").Row(0).command);
    EXPECT_EQ("{evil}", std::get<RegistryLocation>(form.ListById("components").Row(0).where).subKey);
    // The rows name no value: deleting one asks nothing and changes nothing,
    // even once the key can be read again and holds a value of that name.
    m.registry.Key(kHKCURun)->deniedAccess = 0;
    m.registry.SetString(kHKCURun, run.name, "x");
    const std::string readable = m.registry.Snapshot();
    m.user.answers = {DialogResult::Yes, DialogResult::Yes, DialogResult::Yes};
    for (const auto& [id, row] : {std::pair{"hkcu-run", 0}, {"components", 0}, {"load-run", 1}}) {
        form.SelectTab(TabOf(id));
        form.ListById(id).SetSelection(row, row);
        form.ListCommandClick(TabOf(id), ListCommand::Delete);
    }
    EXPECT_TRUE(m.user.shown.empty());
    EXPECT_EQ(readable, m.registry.Snapshot());
    EXPECT_NE(before, readable);
}

// A value name with a NUL inside, beside the value its part before the NUL
// names: each is its own row with its own command, the question names the
// whole name, and a "&Yes" deletes exactly the one asked about.
TEST(HostileRegistry, ANameWithANulInsideIsItsOwnRowAndDeletingItDeletesExactlyIt) {
    constexpr const char* kRunOnce = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    const std::string hidden("Updater\0evil", 12);
    sim::SimDesktop m;
    m.registry.SetString(kRunOnce, "Updater", "C:\\good.exe");
    m.registry.SetString(kRunOnce, hidden, "C:\\evil.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    form.SelectTab(TabOf("hkcu-runonce"));
    EntryList& list = form.ListOf(TabOf("hkcu-runonce"));
    ASSERT_EQ(2, list.Count());
    EXPECT_EQ("Updater", list.Row(0).name);
    EXPECT_EQ("C:\\good.exe", list.Row(0).command);
    EXPECT_EQ(hidden, list.Row(1).name);
    EXPECT_EQ("C:\\evil.exe", list.Row(1).command);
    EXPECT_EQ("HKCU / Run Once (2)", form.TabCaptions[TabOf("hkcu-runonce")]);
    list.SetSelection(1, 1);
    m.user.answers = {DialogResult::Yes};
    form.ListCommandClick(TabOf("hkcu-runonce"), ListCommand::Delete);
    ASSERT_EQ(1u, m.user.shown.size());
    EXPECT_EQ("Are you sure want to delete autorun \"" + hidden + "\" ?", m.user.shown[0].text);
    EXPECT_FALSE(m.registry.HasValue(kRunOnce, hidden));
    EXPECT_EQ("C:\\good.exe", m.registry.StringValue(kRunOnce, "Updater"));
    ASSERT_EQ(1, list.Count());
    EXPECT_EQ("Updater", list.Row(0).name);
}

TEST(HostileRegistry, ManyValuesAndComponentsAreListedWhole) {
    sim::SimDesktop m;
    for (int i = 0; i < 10000; ++i) m.registry.SetString(kHKCURun, "V" + std::to_string(i), "C:\\v.exe");
    for (int i = 0; i < 2000; ++i) {
        const std::string key = kComponents + std::string("{c") + std::to_string(i) + "}";
        m.registry.SetString(key, "StubPath", "C:\\s.exe");
    }
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_EQ(10000, form.ListById("hkcu-run").Count());
    EXPECT_EQ("HKCU / Run (10000)", form.TabCaptions[TabOf("hkcu-run")]);
    EXPECT_EQ("ActiveX (2000)", form.TabCaptions[TabOf("components")]);
    EXPECT_EQ("V9999", form.ListById("hkcu-run").Row(9999).name);
}

TEST(HostileRegistry, TheRegistryChangingWhileTheWindowIsOpenShowsOnTheNextShow) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "A", "a.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    form.FirstShow();
    m.registry.RemoveKey(kHKCURun);
    m.registry.SetDword("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Now", 5);
    form.SelectTab(TabOf("hklm-run"));
    EXPECT_TRUE(m.user.shown.empty());
    ASSERT_EQ(1, form.ListById("hklm-run").Count());
    EXPECT_EQ("(REG_DWORD, 4 bytes)", form.ListById("hklm-run").Row(0).command);
    form.SelectTab(TabOf("hkcu-run"));
    EXPECT_EQ(0, form.ListById("hkcu-run").Count());
    EXPECT_EQ("HKCU / Run (0)", form.TabCaptions[TabOf("hkcu-run")]);
}

}  // namespace
}  // namespace qm
