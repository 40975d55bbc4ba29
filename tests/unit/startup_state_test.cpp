// Whether Windows starts an entry of a Run key or a Startup folder, as
// Explorer keeps it below StartupApproved: read for every such row (its
// colour, Item Properties, the report), and changed by Disable / Enable as
// Task Manager changes it, never touching the entry itself.
#include <gtest/gtest.h>

#include <memory>

#include "core/collectors/startup_states.h"
#include "forms/item_form.h"
#include "forms/main_form.h"
#include "platform/file_time.h"
#include "report/compare.h"
#include "report/record.h"
#include "report/run.h"
#include "ui/sim/sim_desktop.h"
#include "unit/machine_snapshot.h"
#include "unit/sample_entries.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr const char* kUserRun = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kMachineRun = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kMachineRun32 = "HKLM\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kUserApproved = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";
const std::string kMachineApproved = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";

// 2026-12-01 13:05:00 UTC.
constexpr std::uint64_t kDisabledAt = 134406039000000000ull;

std::vector<std::uint8_t> Disabled(std::uint64_t at = kDisabledAt) { return EncodeStartupState(false, at); }
std::vector<std::uint8_t> Bytes(std::initializer_list<int> bytes) {
    std::vector<std::uint8_t> out;
    for (int b : bytes) out.push_back(static_cast<std::uint8_t>(b));
    return out;
}

std::unique_ptr<MainForm> Started(sim::SimDesktop& m) {
    auto form = std::make_unique<MainForm>(m.platform, m.toolkit);
    form->ScanAtStart();
    form->FirstShow();
    return form;
}

const Entry& RowNamed(MainForm& form, const char* id, const std::string& name) {
    for (const Entry& row : form.ListById(id).Rows())
        if (row.name == name) return row;
    throw std::logic_error("no row " + name);
}

TEST(StartupState, EachValueReadsAsWindowsReadsItInTheListPropertiesAndReport) {
    const struct {
        const char* what;
        std::optional<RegValue> value;  // none: no value of the entry's name
        std::optional<bool> enabled;    // as the report says it
        Mark mark;
        const char* properties;
        const char* reportMark;
    } cases[] = {
        {"no value", std::nullopt, true, Mark::None, "Enabled", ""},
        {"enabled", RegValue{kRegBinary, EncodeStartupState(true, 0)}, true, Mark::None, "Enabled", ""},
        // The local time is an hour ahead of UTC on the simulated machine.
        {"disabled", RegValue{kRegBinary, Disabled()}, false, Mark::Disabled, "Disabled since 2026-12-01 14:05:00", ""},
        {"enabled, 06", RegValue{kRegBinary, Bytes({6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})}, true, Mark::None, "Enabled",
         ""},
        {"disabled, 07, no time", RegValue{kRegBinary, Bytes({7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})}, false,
         Mark::Disabled, "Disabled", ""},
        {"five bytes", RegValue{kRegBinary, Bytes({3, 0, 0, 0, 9})}, false, Mark::Disabled,
         "Disabled (unknown state: REG_BINARY, 5 bytes)", "unknown state: REG_BINARY, 5 bytes"},
        {"empty", RegValue{kRegBinary, {}}, std::nullopt, Mark::None, "Unknown (unknown state: REG_BINARY, 0 bytes)",
         "unknown state: REG_BINARY, 0 bytes"},
        {"a DWORD", RegValue{kRegDword, Bytes({3, 0, 0, 0})}, std::nullopt, Mark::None,
         "Unknown (unknown state: REG_DWORD, 4 bytes)", "unknown state: REG_DWORD, 4 bytes"},
    };
    for (const auto& c : cases) {
        sim::SimDesktop m;
        m.registry.SetString(kUserRun, "Tool", "C:\\tool.exe");
        if (c.value) m.registry.SetRaw(kUserApproved + "Run", "Tool", c.value->type, c.value->data);
        auto form = Started(m);
        const Entry& row = form->ListById("hkcu-run").Row(0);
        ASSERT_TRUE(row.startup) << c.what;
        EXPECT_EQ(c.mark, row.mark) << c.what;
        form->ListById("hkcu-run").SetSelection(0, 0);
        form->ListDblClick(TabOf("hkcu-run"));
        EXPECT_EQ(c.properties, form->itemDialog->state) << c.what;

        std::vector<report::Record> records;
        report::CollectRecords(m.platform, kCategories, [&](report::Record&& r) {
            if (r.category == "hkcu-run") records.push_back(std::move(r));
        });
        ASSERT_EQ(1u, records.size()) << c.what;
        EXPECT_EQ(c.enabled, records[0].enabled) << c.what;
        EXPECT_EQ(c.mark == Mark::Disabled && std::string(c.what) == "disabled" ? "2026-12-01T13:05:00Z" : "",
                  records[0].disabledAt)
            << c.what;
        EXPECT_EQ(c.reportMark, records[0].mark) << c.what;
    }
}

// The state is read where Windows keeps it for each place: the user's Run
// in HKCU, the machine's in HKLM with its 32-bit view in Run32, a startup
// file by its name in the folder's own key; and only for those places.
TEST(StartupState, EachPlaceReadsItsOwnKeyByTheNameAsStored) {
    sim::SimDesktop m;
    m.Make64Bit(true);
    m.registry.SetString(kUserRun, "Same", "C:\\u.exe");
    m.registry.SetString(kMachineRun, "Same", "C:\\m64.exe");
    m.registry.SetString(kMachineRun32, "Same", "C:\\m32.exe");
    testing::AddUserStartupShortcut(m, "Same.lnk", "C:\\s.exe");
    m.files.AddFile(m.shell.specialFolders.at(kCsidlCommonStartup) + "\\Same.lnk");
    m.registry.SetString("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "Same", "C:\\o.exe");
    // Only the 32-bit machine entry and the common startup file are disabled;
    // a value in another place's key (HKCU's StartupFolder for a Run name) says nothing.
    m.registry.SetRaw(kMachineApproved + "Run32", "Same", kRegBinary, Disabled());
    m.registry.SetRaw(kMachineApproved + "StartupFolder", "SAME.LNK", kRegBinary, Disabled());
    m.registry.SetRaw(kUserApproved + "StartupFolder", "Same", kRegBinary, Disabled());
    m.registry.SetRaw(kUserApproved + "Run", "Same.lnk", kRegBinary, Disabled());
    auto form = Started(m);
    form->SelectTab(TabOf("hklm-run"));
    const EntryList& machine = form->ListById("hklm-run");
    ASSERT_EQ(2, machine.Count());
    EXPECT_EQ(Mark::None, machine.Row(0).mark);      // the 64-bit view: Run
    EXPECT_EQ(Mark::Disabled, machine.Row(1).mark);  // the 32-bit view: Run32
    EXPECT_EQ(RegView::Registry64, machine.Row(1).startup->at.view);
    EXPECT_EQ(Mark::None, RowNamed(*form, "hkcu-run", "Same").mark);
    form->SelectTab(TabOf("startup-user"));
    EXPECT_EQ(Mark::None, RowNamed(*form, "startup-user", "Same.lnk").mark);
    form->SelectTab(TabOf("startup-common"));
    EXPECT_EQ(Mark::Disabled, RowNamed(*form, "startup-common", "Same.lnk").mark);
    form->SelectTab(TabOf("hkcu-runonce"));
    EXPECT_FALSE(form->ListById("hkcu-runonce").Row(0).startup);  // Windows keeps no state for RunOnce
    EXPECT_EQ(0, m.registry.OpenHandles());
    EXPECT_EQ(
        0u, m.registry.AllOpenAccess() & ~(kKeyQueryValue | kKeyEnumerateSubKeys | kKeyWow64_64Key | kKeyWow64_32Key));
}

// Disable then Enable on each place: after "&Yes" the value is written as
// Task Manager writes it (the key made when missing), the row's state
// changes at once, and nothing else on the machine changes.
TEST(StartupState, DisableThenEnableWritesTheValueAndNothingElse) {
    const struct {
        const char* id;
        const char* name;
        std::string key;  // where the state is kept
    } cases[] = {
        {"hkcu-run", "Tool", kUserApproved + "Run"},
        {"hklm-run", "Tool", kMachineApproved + "Run"},
        {"startup-user", "tool.lnk", kUserApproved + "StartupFolder"},
        {"startup-common", "tool.lnk", kMachineApproved + "StartupFolder"},
    };
    for (const auto& c : cases) {
        sim::SimDesktop m;
        m.registry.SetString(kUserRun, "Tool", "C:\\tool.exe");
        m.registry.SetString(kMachineRun, "Tool", "C:\\tool.exe");
        testing::AddUserStartupShortcut(m, "tool.lnk", "C:\\tool.exe");
        m.files.AddFile(m.shell.specialFolders.at(kCsidlCommonStartup) + "\\tool.lnk");
        auto form = Started(m);
        const int tab = TabOf(c.id);
        form->SelectTab(tab);
        form->ListById(c.id).SetSelection(0, 0);
        EXPECT_EQ("Disa&ble", form->StartupToggleCaption(tab)) << c.id;
        const testing::MachineState before = testing::Snapshot(m);

        m.user.answers = {DialogResult::No};
        form->ListCommandClick(tab, ListCommand::ToggleStartup);
        ASSERT_EQ(1u, m.user.shown.size()) << c.id;
        EXPECT_EQ("Disable \"" + std::string(c.name) +
                      "\"? Windows will not start it when the user logs on. The entry itself stays as it is, and "
                      "can be enabled again.",
                  m.user.shown[0].text)
            << c.id;
        EXPECT_EQ(before, testing::Snapshot(m)) << c.id;

        m.user.answers = {DialogResult::Yes};
        form->ListCommandClick(tab, ListCommand::ToggleStartup);
        testing::MachineState disabled = before;
        disabled[testing::ValueEntry(c.key, c.name)] =
            std::to_string(kRegBinary) + ":" +
            std::string(reinterpret_cast<const char*>(Disabled(m.system.fileTimeNow).data()), 12);
        disabled["key:" + LowerAscii(c.key)] = "";
        for (std::string part = c.key; part.find('\\') != std::string::npos;) {
            part = part.substr(0, part.rfind('\\'));
            if (std::count(part.begin(), part.end(), '\\') >= 1) disabled["key:" + LowerAscii(part)] = "";
        }
        EXPECT_EQ(disabled, testing::Snapshot(m)) << c.id;
        // The list is read again, so the row shows its new state (and, as
        // after any change, no row is selected).
        EXPECT_EQ(Mark::Disabled, form->ListById(c.id).Row(0).mark) << c.id;
        form->ListById(c.id).SetSelection(0, 0);
        EXPECT_EQ("&Enable", form->StartupToggleCaption(tab)) << c.id;

        m.user.answers = {DialogResult::Yes};
        form->ListCommandClick(tab, ListCommand::ToggleStartup);
        EXPECT_EQ("Enable \"" + std::string(c.name) + "\"? Windows will start it again when the user logs on.",
                  m.user.shown.back().text)
            << c.id;
        EXPECT_EQ(Bytes({2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), m.registry.Key(c.key)->Value(c.name)->data) << c.id;
        EXPECT_EQ(Mark::None, form->ListById(c.id).Row(0).mark) << c.id;
        EXPECT_EQ(0, m.registry.OpenHandles()) << c.id;
    }
}

// On 64-bit Windows the machine's 32-bit Run entries keep their state in
// Run32, and both keys are written in the 64-bit view, whatever this
// program's own bitness.
TEST(StartupState, TheMachinesThirtyTwoBitRunEntriesAreSwitchedInRun32) {
    for (bool program64 : {false, true}) {
        sim::SimDesktop m;
        m.Make64Bit(program64);
        m.registry.SetString(kMachineRun, "Same", "C:\\m64.exe");
        m.registry.SetString(kMachineRun32, "Same", "C:\\m32.exe");
        auto form = Started(m);
        const int tab = TabOf("hklm-run");
        form->SelectTab(tab);
        m.user.answers = {DialogResult::Yes, DialogResult::Yes};
        form->ListById("hklm-run").SetSelection(1, 1);  // the 32-bit view's row
        form->ListCommandClick(tab, ListCommand::ToggleStartup);
        EXPECT_EQ(Disabled(m.system.fileTimeNow), m.registry.Key(kMachineApproved + "Run32")->Value("Same")->data)
            << program64;
        EXPECT_FALSE(m.registry.HasValue(kMachineApproved + "Run", "Same")) << program64;
        EXPECT_FALSE(m.registry.Key("HKLM\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Explorer", false))
            << program64;
        EXPECT_EQ(Mark::None, form->ListById("hklm-run").Row(0).mark) << program64;
        EXPECT_EQ(Mark::Disabled, form->ListById("hklm-run").Row(1).mark) << program64;
        form->ListById("hklm-run").SetSelection(0, 0);  // the 64-bit view's row
        form->ListCommandClick(tab, ListCommand::ToggleStartup);
        EXPECT_TRUE(m.registry.HasValue(kMachineApproved + "Run", "Same")) << program64;
        EXPECT_EQ(Mark::Disabled, form->ListById("hklm-run").Row(0).mark) << program64;
    }
}

TEST(StartupState, AKeyThatRefusesTheWriteIsSaidAndNothingChanges) {
    sim::SimDesktop m;
    m.registry.SetString(kUserRun, "Tool", "C:\\tool.exe");
    m.registry.SetRaw(kUserApproved + "Run", "Other", kRegBinary, EncodeStartupState(true, 0));
    m.registry.Key(kUserApproved + "Run")->deniedAccess = kKeySetValue;
    auto form = Started(m);
    form->ListById("hkcu-run").SetSelection(0, 0);
    const std::string before = m.registry.Snapshot();
    m.user.answers = {DialogResult::Yes};
    form->ListCommandClick(TabOf("hkcu-run"), ListCommand::ToggleStartup);
    ASSERT_EQ(2u, m.user.shown.size());
    EXPECT_EQ(
        "\"Tool\" was not disabled: HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
        "StartupApproved\\Run could not be written (error 5).",
        m.user.shown[1].text);
    EXPECT_EQ(before, m.registry.Snapshot());
    EXPECT_EQ(Mark::None, form->ListById("hkcu-run").Row(0).mark);
}

// Lists without such a state offer no startup item; without a selected row
// it is there but unavailable.
TEST(StartupState, OnlyTheRunAndStartupListsOfferIt) {
    sim::SimDesktop m;
    m.registry.SetString(kUserRun, "Tool", "C:\\tool.exe");
    auto form = Started(m);
    EXPECT_EQ(std::nullopt, form->StartupToggleCaption(TabOf("hkcu-run")));  // nothing selected
    int offered = 0;
    for (int tab = 0; tab < form->TabCount(); ++tab) offered += form->CategoryOf(tab).approval != nullptr;
    EXPECT_EQ(4, offered);
    EXPECT_EQ(std::nullopt, form->StartupToggleCaption(TabOf("hkcu-runonce")));
    m.user.answers = {DialogResult::Yes};
    form->ListCommandClick(TabOf("hkcu-runonce"), ListCommand::ToggleStartup);
    EXPECT_TRUE(m.user.shown.empty());
}

// --compare names a change of state, and a baseline written before the
// report had the state compares without one.
TEST(StartupState, TheComparisonReportsAChangeOfStateButNotItsAbsenceFromAnOlderBaseline) {
    sim::SimMachine m;
    m.registry.SetString(kUserRun, "Tool", "C:\\tool.exe");
    std::vector<report::Record> enabled;
    report::CollectRecords(m.platform, kCategories, [&](report::Record&& r) { enabled.push_back(std::move(r)); });
    m.registry.SetRaw(kUserApproved + "Run", "Tool", kRegBinary, Disabled());
    std::vector<report::Record> disabled;
    report::CollectRecords(m.platform, kCategories, [&](report::Record&& r) { disabled.push_back(std::move(r)); });

    const report::Differences d = report::Compare(enabled, disabled);
    ASSERT_EQ(1u, d.changed.size());
    EXPECT_EQ(true, d.changed[0].first.enabled);
    EXPECT_EQ(false, d.changed[0].second.enabled);
    EXPECT_TRUE(d.added.empty());
    EXPECT_TRUE(d.removed.empty());

    // The same baseline as written before "enabled" and "disabled_at" were fields.
    std::string old = "{\"schema\":2,\"entries\":[\n";
    for (size_t i = 0; i < enabled.size(); ++i) {
        std::string line = report::JsonRecord(enabled[i]);
        line = line.substr(0, line.find(",\"enabled\":")) + "}";
        old += (i ? ",\n" : "") + line;
    }
    old += "\n]}\n";
    std::vector<report::Record> baseline;
    std::vector<std::uint64_t> missing;
    std::string error;
    ASSERT_TRUE(report::ReadBaseline(old, baseline, error, {}, &missing)) << error;
    EXPECT_FALSE(report::Compare(baseline, disabled, &missing).Any());
    EXPECT_EQ(1u, report::Compare(baseline, disabled).changed.size());  // read as "no state" otherwise
}

TEST(StartupState, TimesReadAsTheCalendarHasThem) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "1601-01-01T00:00:00Z"},
        {kDisabledAt, "2026-12-01T13:05:00Z"},
        {126227808000000000ull, "2001-01-01T00:00:00Z"},
        {125911584000000000ull, "2000-01-01T00:00:00Z"},
        {125962560000000000ull, "2000-02-29T00:00:00Z"},  // a leap day of a year divisible by 400
        {135301586000000000ull, "2029-10-03T01:23:20Z"},
    };
    for (const auto& [fileTime, text] : cases) EXPECT_EQ(text, report::Iso8601Utc(fileTime)) << fileTime;
    EXPECT_EQ(Bytes({3, 0, 0, 0, 0x80, 0x3a, 0x09, 0x10, 0x4e, 0x8b, 0xdd, 0x01}), Disabled(0x01dd8b4e10093a80ull));
}

}  // namespace
}  // namespace qm
