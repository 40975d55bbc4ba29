// The "System Hooks" tab: one row per entry of every place where the system
// itself starts a program or loads a DLL; Delete removes exactly the
// confirmed entry and writes the rest of its value back byte for byte, and
// only while the value still holds what was listed.
#include <gtest/gtest.h>

#include "core/categories/row_marks.h"
#include "core/model/hook_list.h"
#include "forms/item_form.h"
#include "forms/main_form.h"
#include "machine_snapshot.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr int kTab = TabOf("system-hooks");
constexpr const char* kIfeo = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options";
constexpr const char* kSilent = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\SilentProcessExit";
constexpr const char* kWindows = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr const char* kWindows32 = "HKLM\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr const char* kSession = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kLsa = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Lsa";
constexpr const char* kMonitors = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors";
constexpr std::uint32_t kSilver = 12632256;

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(ListEntries, TextListsAndMultiStringsAreSplitIntoTheirEntries) {
    using V = std::vector<std::string>;
    struct Case {
        std::uint32_t type;
        std::string data;
        std::optional<V> entries;
    } cases[] = {
        {kRegMultiSz, std::string("autocheck autochk *\0qm.exe /x\0\0", 31), V{"autocheck autochk *", "qm.exe /x"}},
        {kRegMultiSz, std::string("a\0\0b\0\0", 6), V{"a"}},  // the empty string ends the list
        {kRegMultiSz, std::string("no terminator", 13), V{"no terminator"}},
        {kRegMultiSz, std::string(), V{}},
        {kRegSz, std::string("C:\\a.dll,C:\\b.dll  c.dll\0junk d.dll", 35), V{"C:\\a.dll", "C:\\b.dll", "c.dll"}},
        {kRegExpandSz, std::string(" , x.dll ,", 10), V{"x.dll"}},
        {kRegSz, std::string("", 0), V{}},
        {kRegBinary, std::string("a.dll", 5), std::nullopt},
        {kRegDword, std::string("\1\0\0\0", 4), std::nullopt},
    };
    for (const Case& c : cases) {
        const auto found = ListEntries(c.type, Bytes(c.data));
        ASSERT_EQ(c.entries.has_value(), found.has_value()) << c.data;
        if (!found) continue;
        V texts;
        for (const ListEntry& e : *found) texts.push_back(e.text);
        EXPECT_EQ(*c.entries, texts) << c.data;
    }
}

TEST(ListEntries, RemovingOneEntryLeavesEveryOtherByteAsItWas) {
    struct Case {
        std::uint32_t type;
        std::string data;
        size_t index;
        std::string left;
    } cases[] = {
        {kRegMultiSz, std::string("one\0two\0three\0\0", 15), 0, std::string("two\0three\0\0", 11)},
        {kRegMultiSz, std::string("one\0two\0three\0\0", 15), 1, std::string("one\0three\0\0", 11)},
        {kRegMultiSz, std::string("one\0two\0three\0\0", 15), 2, std::string("one\0two\0\0", 9)},
        {kRegMultiSz, std::string("one\0\0", 5), 0, std::string("\0", 1)},
        {kRegMultiSz, std::string("one\0two", 7), 1, std::string("one\0", 4)},
        {kRegSz, std::string("a.dll, b.dll,c.dll\0", 19), 0, std::string("b.dll,c.dll\0", 12)},
        {kRegSz, std::string("a.dll, b.dll,c.dll\0", 19), 1, std::string("a.dll, c.dll\0", 13)},
        {kRegSz, std::string("a.dll, b.dll,c.dll\0", 19), 2, std::string("a.dll, b.dll\0", 13)},
        {kRegSz, std::string("  only.dll  \0", 13), 0, std::string("    \0", 5)},
        {kRegExpandSz, std::string("%x%\\a.dll b.dll\0tail", 20), 1, std::string("%x%\\a.dll\0tail", 14)},
        {kRegSz, std::string("a.dll\0", 6), 3, std::string("a.dll\0", 6)},  // no such entry
    };
    for (const Case& c : cases)
        EXPECT_EQ(Bytes(c.left), WithoutEntry(c.type, Bytes(c.data), c.index)) << c.data << " " << c.index;
}

TEST(HookFileOf, EachKindOfEntryNamesTheFileTheSystemLoads) {
    struct Case {
        const char* entry;
        HookFile form;
        const char* file;
    } cases[] = {
        {"\"C:\\Program Files\\Dbg\\dbg.exe\" -p", HookFile::CommandLine, "C:\\Program Files\\Dbg\\dbg.exe"},
        {"C:\\dbg\\dbg.exe -p", HookFile::CommandLine, "C:\\dbg\\dbg.exe"},
        {"ntsd -d", HookFile::CommandLine, "C:\\windows\\System32\\ntsd.exe"},
        {"werfault.exe", HookFile::CommandLine, "C:\\windows\\System32\\werfault.exe"},
        {"%SystemRoot%\\system32\\mon.exe /q", HookFile::CommandLine, "C:\\windows\\system32\\mon.exe"},
        {"autocheck autochk *", HookFile::BootProgram, "C:\\windows\\System32\\autochk.exe"},
        {"qmboot /x", HookFile::BootProgram, "C:\\windows\\System32\\qmboot.exe"},
        {"\\??\\C:\\boot\\qm.exe", HookFile::BootProgram, "C:\\boot\\qm.exe"},
        {"msv1_0", HookFile::SystemDll, "C:\\windows\\System32\\msv1_0.dll"},
        {"localspl.dll", HookFile::SystemDll, "C:\\windows\\System32\\localspl.dll"},
        {"C:\\hooks\\a.dll", HookFile::SystemDll, "C:\\hooks\\a.dll"},
        {"", HookFile::SystemDll, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.file, HookFileOf(c.entry, c.form, "C:\\windows")) << c.entry;
}

// A machine with one entry or more at every kind of place.
void Populate(sim::SimMachine& m) {
    m.registry.SetString(std::string(kIfeo) + "\\notepad.exe", "Debugger", "\"C:\\dbg\\dbg.exe\" -p");
    m.registry.SetDword(std::string(kIfeo) + "\\calc.exe", "GlobalFlag", 2);  // no Debugger: no row
    m.registry.SetString(std::string(kSilent) + "\\notepad.exe", "MonitorProcess", "C:\\mon\\mon.exe /q");
    m.registry.SetString(kWindows, "AppInit_DLLs", "C:\\hooks\\a.dll, C:\\hooks\\b.dll");
    m.registry.SetDword(kWindows, "LoadAppInit_DLLs", 0);
    m.registry.SetRaw(kSession, "BootExecute", kRegMultiSz,
                      Bytes(std::string("autocheck autochk *\0qmboot /x\0\0", 31)));
    m.registry.SetRaw(kLsa, "Authentication Packages", kRegMultiSz, Bytes(std::string("msv1_0\0\0", 8)));
    m.registry.SetRaw(kLsa, "Notification Packages", kRegMultiSz, Bytes(std::string("scecli\0qmnotify\0\0", 17)));
    m.registry.SetRaw(kLsa, "Security Packages", kRegBinary, std::vector<std::uint8_t>(12, 0x41));
    m.registry.SetString(std::string(kMonitors) + "\\Qm Port", "Driver", "qmmon.dll");
}

const std::string kIfeoName =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options";

TEST(SystemHooks, EveryEntryIsARowWithItsKindFileKeyAndValue) {
    sim::SimDesktop m;
    Populate(m);
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    const EntryList& list = form.ListOf(kTab);
    const std::string sys = "C:\\windows\\System32\\";
    const std::string ntWindows = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
    const std::string lsa = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Lsa";
    const std::string notLoaded = " (not loaded: LoadAppInit_DLLs is 0)";
    const std::vector<std::vector<std::string>> expected{
        {"\"C:\\dbg\\dbg.exe\" -p", "Debugger (notepad.exe)", "C:\\dbg\\dbg.exe", kIfeoName + "\\notepad.exe",
         "Debugger"},
        {"C:\\mon\\mon.exe /q", "SilentProcessExit monitor (notepad.exe)", "C:\\mon\\mon.exe",
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\SilentProcessExit\\notepad.exe",
         "MonitorProcess"},
        {"C:\\hooks\\a.dll", "AppInit DLL" + notLoaded, "C:\\hooks\\a.dll", ntWindows, "AppInit_DLLs"},
        {"C:\\hooks\\b.dll", "AppInit DLL" + notLoaded, "C:\\hooks\\b.dll", ntWindows, "AppInit_DLLs"},
        {"autocheck autochk *", "BootExecute", sys + "autochk.exe",
         "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager", "BootExecute"},
        {"qmboot /x", "BootExecute", sys + "qmboot.exe",
         "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager", "BootExecute"},
        {"msv1_0", "LSA authentication package", sys + "msv1_0.dll", lsa, "Authentication Packages"},
        {"scecli", "LSA notification package", sys + "scecli.dll", lsa, "Notification Packages"},
        {"qmnotify", "LSA notification package", sys + "qmnotify.dll", lsa, "Notification Packages"},
        {"(REG_BINARY, 12 bytes)", "LSA security package", "", lsa, "Security Packages"},
        {"qmmon.dll", "Print monitor (Qm Port)", sys + "qmmon.dll",
         "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Qm Port", "Driver"},
    };
    std::vector<std::vector<std::string>> rows;
    for (const Entry& row : list.Rows()) {
        std::vector<std::string> cells{row.name};
        for (const std::string& s : CellsAfterName("system-hooks", row)) cells.push_back(s);
        rows.push_back(cells);
    }
    EXPECT_EQ(expected, rows);
    EXPECT_EQ("System Hooks (11)", form.TabCaptions[kTab]);
    EXPECT_TRUE(m.user.shown.empty());
    EXPECT_EQ(0, m.registry.OpenHandles());
    // The AppInit DLLs, which are not loaded, are drawn in silver; the others as the list draws them.
    for (int i = 0; i < list.Count(); ++i) {
        const std::uint32_t colour = MarkColour(list.Row(i).mark).value_or(0u);
        EXPECT_EQ(i == 2 || i == 3 ? kSilver : 0u, colour) << i;
    }
    // Loaded: the same rows without the mark.
    m.registry.SetDword(kWindows, "LoadAppInit_DLLs", 1);
    form.SelectTab(kTab);
    EXPECT_EQ("AppInit DLL", list.Row(2).hookKind);
}

TEST(SystemHooks, OnSixtyFourBitWindowsTheRedirectedPlacesAreReadInBothViewsAndASharedKeyOnce) {
    sim::SimDesktop m;
    m.Make64Bit();
    m.registry.SetString(kWindows, "AppInit_DLLs", "C:\\h\\x64.dll");
    m.registry.SetDword(kWindows, "LoadAppInit_DLLs", 1);
    m.registry.SetString(kWindows32, "AppInit_DLLs", "C:\\h\\x86.dll C:\\h\\y86.dll");
    // One key in both views: its debugger is one entry, listed once.
    m.registry.SetString(std::string(kIfeo) + "\\notepad.exe", "Debugger", "C:\\dbg\\dbg.exe");
    m.registry.SetRaw(kSession, "BootExecute", kRegMultiSz, Bytes(std::string("autocheck autochk *\0\0", 21)));
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EntryList& list = form.ListOf(kTab);
    std::vector<std::string> seen;
    for (const Entry& row : list.Rows())
        seen.push_back(row.name + " | " + row.hookKind + " | " + ShownCell("system-hooks", row, 3));
    const std::string key = "Microsoft\\Windows NT\\CurrentVersion\\Windows";
    EXPECT_EQ((std::vector<std::string>{
                  "C:\\dbg\\dbg.exe | Debugger (notepad.exe) | " + kIfeoName + "\\notepad.exe",
                  "C:\\h\\x64.dll | AppInit DLL | HKEY_LOCAL_MACHINE\\SOFTWARE\\" + key,
                  "C:\\h\\x86.dll | AppInit DLL (not loaded: LoadAppInit_DLLs is not set) | "
                  "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\" +
                      key,
                  "C:\\h\\y86.dll | AppInit DLL (not loaded: LoadAppInit_DLLs is not set) | "
                  "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\" +
                      key,
                  "autocheck autochk * | BootExecute | "
                  "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager",
              }),
              seen);
    // Deleting the 32-bit view's first DLL changes that view's value alone.
    testing::MachineState expected = testing::Snapshot(m);
    expected[testing::ValueEntry(kWindows32, "AppInit_DLLs")] = std::string("1:C:\\h\\y86.dll\0", 15);
    list.SetSelection(2, 2);
    m.user.answers = {DialogResult::Yes};
    form.ListCommandClick(kTab, ListCommand::Delete);
    EXPECT_EQ("Are you sure want to delete autorun \"C:\\h\\x86.dll\" ?", m.user.shown.at(0).text);
    EXPECT_EQ(expected, testing::Snapshot(m));
    EXPECT_EQ("System Hooks (4)", form.TabCaptions[kTab]);
    EXPECT_EQ(0, m.registry.OpenHandles());
}

class SystemHooksDeletion : public ::testing::Test {
protected:
    // Each run starts from the populated machine again, with no dialog shown.
    void SetUp() override {
        m.user.shown.clear();
        Populate(m);
        form = std::make_unique<MainForm>(m.platform, m.toolkit);
        form->ScanAtStart();
        form->SelectTab(kTab);
        ASSERT_EQ(11, form->ListOf(kTab).Count());
    }
    int RowOf(const std::string& caption) {
        const EntryList& list = form->ListOf(kTab);
        for (int i = 0; i < list.Count(); ++i)
            if (list.Row(i).name == caption) return i;
        return -1;
    }
    void Delete(const std::string& caption, DialogResult answer) {
        const int row = RowOf(caption);
        ASSERT_GE(row, 0) << caption;
        form->ListOf(kTab).SetSelection(row, row == 0 ? 1 : 0);  // the focus on another row
        m.user.answers = {answer};
        form->ListCommandClick(kTab, ListCommand::Delete);
    }

    sim::SimDesktop m;
    std::unique_ptr<MainForm> form;
};

TEST_F(SystemHooksDeletion, YesRemovesExactlyTheConfirmedEntryAndNoNothing) {
    using testing::ValueEntry;
    struct Case {
        const char* caption;
        std::string valueEntry;            // the one value that changes
        std::optional<std::string> after;  // its type and data after; none: the value is gone
    } cases[] = {
        {"\"C:\\dbg\\dbg.exe\" -p", ValueEntry(std::string(kIfeo) + "\\notepad.exe", "Debugger"), std::nullopt},
        {"C:\\mon\\mon.exe /q", ValueEntry(std::string(kSilent) + "\\notepad.exe", "MonitorProcess"), std::nullopt},
        {"C:\\hooks\\a.dll", ValueEntry(kWindows, "AppInit_DLLs"), std::string("1:C:\\hooks\\b.dll\0", 17)},
        {"C:\\hooks\\b.dll", ValueEntry(kWindows, "AppInit_DLLs"), std::string("1:C:\\hooks\\a.dll\0", 17)},
        {"qmboot /x", ValueEntry(kSession, "BootExecute"), std::string("7:autocheck autochk *\0\0", 23)},
        {"scecli", ValueEntry(kLsa, "Notification Packages"), std::string("7:qmnotify\0\0", 12)},
        {"qmnotify", ValueEntry(kLsa, "Notification Packages"), std::string("7:scecli\0\0", 10)},
        {"qmmon.dll", ValueEntry(std::string(kMonitors) + "\\Qm Port", "Driver"), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        SetUp();
        const testing::MachineState before = testing::Snapshot(m);
        Delete(c.caption, DialogResult::No);
        ASSERT_EQ(1u, m.user.shown.size());
        EXPECT_EQ("Are you sure want to delete autorun \"" + std::string(c.caption) + "\" ?", m.user.shown[0].text);
        EXPECT_EQ(before, testing::Snapshot(m));

        Delete(c.caption, DialogResult::Yes);
        testing::MachineState expected = before;
        if (c.after) expected[c.valueEntry] = *c.after;
        else expected.erase(c.valueEntry);
        EXPECT_EQ(expected, testing::Snapshot(m));
        EXPECT_EQ(-1, RowOf(c.caption));
        EXPECT_EQ("System Hooks (10)", form->TabCaptions[kTab]);
        EXPECT_EQ(2u, m.user.shown.size());
        EXPECT_EQ(0, m.registry.OpenHandles());
    }
}

TEST_F(SystemHooksDeletion, AValueChangedWhileTheQuestionIsOpenIsLeftAlone) {
    // Another program rewrites the list while the box is open: the entry
    // that would go is now another program's, so nothing is written.
    m.user.whileShown = [this](const DialogRequest& request) {
        if (request.kind == DialogKind::Confirmation)
            m.registry.SetRaw(kSession, "BootExecute", kRegMultiSz,
                              Bytes(std::string("autocheck autochk *\0evil.exe\0qmboot /x\0\0", 40)));
    };
    Delete("qmboot /x", DialogResult::Yes);
    const testing::MachineState changed = testing::Snapshot(m);
    ASSERT_EQ(2u, m.user.shown.size());
    EXPECT_EQ(DialogKind::Error, m.user.shown[1].kind);
    EXPECT_EQ("\"qmboot /x\" was not deleted: the value BootExecute changed since it was listed.",
              m.user.shown[1].text);
    EXPECT_EQ(std::string("7:autocheck autochk *\0evil.exe\0qmboot /x\0\0", 42),
              changed.at(testing::ValueEntry(kSession, "BootExecute")));
    EXPECT_NE(-1, RowOf("evil.exe"));  // the list shows what is there now
    EXPECT_EQ(0, m.registry.OpenHandles());
}

TEST_F(SystemHooksDeletion, ARowOfAValueThatHoldsNoEntryDeletesNothing) {
    const testing::MachineState before = testing::Snapshot(m);
    Delete("(REG_BINARY, 12 bytes)", DialogResult::Yes);
    EXPECT_TRUE(m.user.shown.empty());
    EXPECT_EQ(before, testing::Snapshot(m));
}

TEST_F(SystemHooksDeletion, JumpToAndPropertiesNameTheEntrysKeyAndFile) {
    form->ListOf(kTab).SetSelection(RowOf("\"C:\\dbg\\dbg.exe\" -p"), 0);
    form->ListDblClick(kTab);
    EXPECT_EQ("\"C:\\dbg\\dbg.exe\" -p", form->itemDialog->title);
    EXPECT_EQ("C:\\dbg\\dbg.exe", form->itemDialog->command);
    EXPECT_EQ(kIfeoName + "\\notepad.exe", form->itemDialog->location);
    form->ListCommandClick(kTab, ListCommand::JumpTo);
    std::string typed;  // the characters typed into the Registry Editor's tree
    for (const sim::WindowCall& call : m.processes.calls)
        if (call.kind == sim::WindowCall::Send && call.message == 0x102) typed += static_cast<char>(call.wParam);
    EXPECT_EQ("HKEY_LOCAL_MACHINESOFTWAREMicrosoftWindows NTCurrentVersionImage File Execution Optionsnotepad.exe",
              typed);
}

}  // namespace
}  // namespace qm
