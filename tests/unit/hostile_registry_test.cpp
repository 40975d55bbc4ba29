// Registry contents that malware, broken installers and odd locales leave
// behind: every data type, data without or with extra NULs, huge data, odd
// names, values vanishing under the scan. For each: the error box or none,
// the rows and captions, and a registry left exactly as it was.
#include <gtest/gtest.h>

#include "core/forms/main_form.h"
#include "machine_snapshot.h"
#include "ui/sim/sim_desktop.h"

namespace qm {
namespace {

constexpr const char* kHKCURun = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kWinlogon = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kComponents = "HKLM\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\";

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(HostileRegistry, EveryTypeThatIsNotTextFailsWithItsNameAndEmptyDataOfAnyTypeDoesNot) {
    const std::uint32_t types[] = {0 /*NONE*/, 3 /*BINARY*/,   4 /*DWORD*/, 5 /*DWORD_BIG_ENDIAN*/,
                                   6 /*LINK*/, 7 /*MULTI_SZ*/, 8,           9,
                                   10,         11 /*QWORD*/,   0x1234};
    for (std::uint32_t type : types) {
        sim::SimDesktop m;
        m.registry.SetString(kHKCURun, "Before", "b.exe");
        m.registry.SetRaw(kHKCURun, "Typed", type, {1, 0, 0, 0, 0, 0, 0, 0});
        m.registry.SetRaw(kHKCURun, "Empty", type, {});
        const std::string before = m.registry.Snapshot();
        TMainForm form(m.platform, m.toolkit);
        form.FormCreate();
        ASSERT_EQ(1u, m.user.shown.size()) << type;
        EXPECT_EQ("Invalid data type for 'Typed'", m.user.shown[0].text) << type;
        EXPECT_EQ(2, form.hku.Count()) << type;
        EXPECT_EQ("HKCU / Run (1)", form.TabCaptions[0]) << type;
        EXPECT_EQ(before, m.registry.Snapshot());

        m.registry.Key(kHKCURun)->EraseValue("Typed");  // without it, the empty value lists as empty text
        m.user.shown.clear();
        form.SelectTab(1);
        form.SelectTab(0);
        EXPECT_TRUE(m.user.shown.empty()) << type;
        ASSERT_EQ(2, form.hku.Count()) << type;
        EXPECT_EQ("", form.hku.Row(1).SubItems[0]) << type;
        EXPECT_EQ("HKCU / Run (2)", form.TabCaptions[0]);
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
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    EXPECT_TRUE(m.user.shown.empty());
    ASSERT_EQ(6, form.hku.Count());
    EXPECT_EQ("C:\\a.exe", form.hku.Row(0).SubItems[0]);
    EXPECT_EQ("C:\\b.exe", form.hku.Row(1).SubItems[0]);
    EXPECT_EQ("abc", form.hku.Row(2).SubItems[0]);
    EXPECT_EQ(65536u, form.hku.Row(3).SubItems[0].size());
    EXPECT_EQ(big, form.hku.Row(4).SubItems[0]);
    EXPECT_EQ("", form.hku.Row(5).SubItems[0]);
    EXPECT_EQ(before, m.registry.Snapshot());
}

// Names the program must carry byte for byte from the enumeration back to
// the registry: each row reads its own value's command, and deleting a row
// removes exactly its value, not a look-alike. (What the ANSI calls make of a
// character outside the code page is for the Wine test to show.)
TEST(HostileRegistry, OddNamesAreListedReadAndDeletedAsStored) {
    sim::SimDesktop m;
    const std::string longName(300, 'N');
    const std::string latin1 =
        "\xdc"
        "ber Caf\xe9";                                    // 8-bit letters at both ends, where a trim acts
    const std::string utf8 = "\xd0\x9f\xd1\x80\xd0\xbe";  // bytes of a UTF-8 name, kept as bytes
    const std::string control = "tab\there\x01";
    const std::vector<std::string> names{longName, latin1, utf8, control, "", "Uber Cafe"};
    for (const std::string& name : names)
        m.registry.SetString(kHKCURun, name, "C:\\" + std::to_string(name.size()) + ".exe");
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    EXPECT_TRUE(m.user.shown.empty());
    ASSERT_EQ(6, form.hku.Count());
    for (int i = 0; i < 6; ++i) {
        const std::string& name = names[static_cast<size_t>(i)];
        EXPECT_EQ(name, form.hku.Row(i).Caption) << i;
        EXPECT_EQ("C:\\" + std::to_string(name.size()) + ".exe", form.hku.Row(i).SubItems[0]) << i;
    }
    testing::MachineState expected = testing::Snapshot(m);
    ASSERT_EQ(1u, expected.erase(testing::ValueEntry(kHKCURun, latin1)));
    form.FirstShow();
    form.hku.SetSelection(1, 1);
    m.user.answers = {DialogResult::Yes};
    form.ListCommandClick(0, ListCommand::Delete);
    EXPECT_EQ("Are you sure want to delete autorun \"" + latin1 + "\" ?", m.user.shown.at(0).text);
    EXPECT_EQ(expected, testing::Snapshot(m));
    EXPECT_EQ("HKCU / Run (5)", form.TabCaptions[0]);
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
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    EXPECT_TRUE(m.user.shown.empty());
    ASSERT_EQ(3, form.hku.Count());
    EXPECT_EQ("Vanishes", form.hku.Row(1).Caption);
    EXPECT_EQ("", form.hku.Row(1).SubItems[0]);
    EXPECT_EQ("l.exe", form.hku.Row(2).SubItems[0]);
    EXPECT_EQ("HKCU / Run (3)", form.TabCaptions[0]);
}

TEST(HostileRegistry, AKeyThatCannotBeQueriedOrOpenedListsNothingAndReportsNothing) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "X", "x.exe");
    m.registry.Key(kHKCURun)->failQueryInfo = true;
    m.registry.SetString(kWinlogon, "Shell", "evil.exe");
    m.registry.Key(kWinlogon)->denyFullAccess = true;
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    EXPECT_TRUE(m.user.shown.empty());
    EXPECT_EQ(0, form.hku.Count());
    EXPECT_EQ("HKCU / Run (0)", form.TabCaptions[0]);
    EXPECT_EQ("No Autorun Entry", form.logs.Row(2).SubItems[0]);
    EXPECT_EQ(0, m.registry.OpenHandles());
}

TEST(HostileRegistry, ManyValuesAndComponentsAreListedWhole) {
    sim::SimDesktop m;
    for (int i = 0; i < 10000; ++i) m.registry.SetString(kHKCURun, "V" + std::to_string(i), "C:\\v.exe");
    for (int i = 0; i < 2000; ++i) {
        const std::string key = kComponents + std::string("{c") + std::to_string(i) + "}";
        m.registry.SetString(key, "StubPath", "C:\\s.exe");
    }
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    EXPECT_EQ(10000, form.hku.Count());
    EXPECT_EQ("HKCU / Run (10000)", form.TabCaptions[0]);
    EXPECT_EQ("ActiveX (2000)", form.TabCaptions[9]);
    EXPECT_EQ("V9999", form.hku.Row(9999).Caption);
}

TEST(HostileRegistry, TheRegistryChangingWhileTheWindowIsOpenShowsOnTheNextShow) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "A", "a.exe");
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    form.FirstShow();
    m.registry.RemoveKey(kHKCURun);
    m.registry.SetDword("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Now", 5);
    form.SelectTab(1);
    ASSERT_EQ(1u, m.user.shown.size());
    EXPECT_EQ("Invalid data type for 'Now'", m.user.shown[0].text);
    form.SelectTab(0);
    EXPECT_EQ(0, form.hku.Count());
    EXPECT_EQ("HKCU / Run (0)", form.TabCaptions[0]);
}

}  // namespace
}  // namespace qm
