// The category table decides everything a tab does: a category of a known
// kind added as one more row is scanned, counted, refreshed, deleted from,
// jumped from and inspected like the others, with no other change.
#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include "forms/item_form.h"
#include "forms/main_form.h"
#include "machine_snapshot.h"
#include "report/formats.h"
#include "report/record.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr const char* kRunServices = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";

// The table and one more row: the user's RunServices key, listed like Run.
std::vector<Category> WithRunServices() {
    std::vector<Category> table(std::begin(kCategories), std::end(kCategories));
    table.push_back({.trace = "a category of a known kind",
                     .id = "hkcu-runservices",
                     .designCaption = "HKCU / RunServices",
                     .countPrefix = "HKCU / RunServices (",
                     .tabImage = 10,
                     .scanPosition = kCategoryCount,
                     .columns = columns::kRun126,
                     .source = ValueList{.root = RegRoot::CurrentUser,
                                         .key = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices"},
                     .imageListsAtStart = false,
                     .imageListsPerRow = true,
                     .group = kNoGroup,
                     .showClears = kNoGroup,
                     .removal = Removal::CaptionedValue,
                     .canDisable = false,
                     .jump = JumpTarget::RegistryKey,
                     .properties = kKeyProperties});
    return table;
}

std::vector<std::string> Captions(const EntryList& list) {
    std::vector<std::string> captions;
    for (const Entry& row : list.Rows()) captions.push_back(row.name);
    return captions;
}

TEST(CategoryTable, OneMoreCategoryOfAKnownKindNeedsOnlyItsRow) {
    const std::vector<Category> table = WithRunServices();
    const int tab = kCategoryCount;
    sim::SimDesktop m;
    m.registry.SetString(kRunServices, "Alpha", "C:\\alpha.exe");
    m.registry.SetString(kRunServices, "Beta", "\"C:\\Program Files\\Beta\\beta.exe\" -s");
    m.registry.SetString("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Tray", "tray.exe");
    MainForm form(m.platform, m.toolkit, table);
    ASSERT_EQ(kCategoryCount + 1, form.TabCount());
    EXPECT_EQ("HKCU / RunServices", form.TabCaptions[tab]);
    form.ScanAtStart();

    // Scanned at start with the others, rows as a value list makes them.
    EntryList& list = form.ListOf(tab);
    EXPECT_EQ("hkcu-runservices", list.id);
    ASSERT_EQ((std::vector<std::string>{"Alpha", "Beta"}), Captions(list));
    const Entry& beta = list.Row(1);
    EXPECT_EQ((std::vector<std::string>{"\"C:\\Program Files\\Beta\\beta.exe\" -s", "HKEY_CURRENT_USER",
                                        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices",
                                        "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices"}),
              [&] {
                  std::vector<std::string> cells;
                  for (size_t column = 1; column < form.CategoryOf(tab).columns.size(); ++column)
                      cells.push_back(CellText(form.CategoryOf(tab), beta, column));
                  return cells;
              }());
    EXPECT_EQ(m.shell.IconIndexOf(".exe"), beta.image);
    EXPECT_EQ(sim::SimShell::kSmallImageList, list.SmallImages());
    EXPECT_EQ("HKCU / RunServices (2)", form.TabCaptions[tab]);
    EXPECT_EQ("HKCU / Run (1)", form.TabCaptions[TabOf("hkcu-run")]);  // the others as before

    // Shown again: read again.
    m.registry.SetString(kRunServices, "Gamma", "C:\\gamma.exe");
    form.SelectTab(tab);
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Beta", "Gamma"}), Captions(list));
    EXPECT_EQ("HKCU / RunServices (3)", form.TabCaptions[tab]);
    EXPECT_EQ(1, form.ListById("hkcu-run").Count());  // its show empties no other list

    // Properties, Jump To and Delete of its selected row.
    list.SetSelection(1, 1);
    form.ListDblClick(tab);
    EXPECT_EQ("Beta", form.itemDialog->title);
    EXPECT_EQ("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices",
              form.itemDialog->location);
    form.ListCommandClick(tab, ListCommand::JumpTo);
    std::string typed;  // the characters typed into the Registry Editor's tree
    for (const sim::WindowCall& call : m.processes.calls)
        if (call.kind == sim::WindowCall::Send && call.message == 0x102) typed += static_cast<char>(call.wParam);
    EXPECT_EQ("HKEY_CURRENT_USERSoftwareMicrosoftWindowsCurrentVersionRunServices", typed);
    testing::MachineState expected = testing::Snapshot(m);
    expected.erase(testing::ValueEntry(kRunServices, "Beta"));
    m.user.answers = {DialogResult::Yes};
    form.ListCommandClick(tab, ListCommand::Delete);
    EXPECT_EQ("Are you sure want to delete autorun \"Beta\" ?", m.user.shown.at(0).text);
    EXPECT_EQ(expected, testing::Snapshot(m));
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Gamma"}), Captions(list));
    EXPECT_EQ("HKCU / RunServices (2)", form.TabCaptions[tab]);
    EXPECT_EQ(1u, m.user.shown.size());
    EXPECT_EQ(0, m.registry.OpenHandles());

    // The report lists it under its id and tab, with the cells the window shows.
    std::vector<report::Record> records;
    report::CollectRecords(m.platform, table, [&](report::Record&& r) {
        if (r.category == "hkcu-runservices") records.push_back(std::move(r));
    });
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ("HKCU / RunServices", records[1].tab);
    EXPECT_EQ("Gamma", records[1].name);
    EXPECT_EQ("C:\\gamma.exe", records[1].command);
    EXPECT_EQ(CellText(form.CategoryOf(tab), list.Row(1), 3), records[1].columns.at(3));
    EXPECT_NE(std::string::npos, report::JsonRecord(records[0]).find("\"category\":\"hkcu-runservices\""));
}

// A column is one more row of a category's column table: its cell is made
// from the entry, and the window and the report both show it.
std::string ViewCell(const Category&, const Entry& entry) {
    const RegistryLocation* at = RegistryOf(entry.where);
    return at ? std::string("view ") + std::to_string(static_cast<int>(at->view)) + " " + entry.name : "";
}
constexpr Column kRunServicesColumns[] = {columns::kRun126[0], columns::kRun126[1], columns::kRun126[2],
                                          columns::kRun126[3], columns::kRun126[4], {"View", 60, ViewCell}};

TEST(CategoryTable, AColumnAddedToACategoryShowsInTheWindowAndTheReport) {
    std::vector<Category> table = WithRunServices();
    table.back().columns = kRunServicesColumns;
    sim::SimDesktop m;
    m.registry.SetString(kRunServices, "Alpha", "C:\\alpha.exe");
    m.registry.SetString("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Tool", "C:\\tool.exe");
    MainForm form(m.platform, m.toolkit, table);
    form.ScanAtStart();
    const int tab = kCategoryCount;
    ASSERT_EQ(1, form.ListOf(tab).Count());
    // The window: every cell of the row, the new one last.
    const Category& category = form.CategoryOf(tab);
    ASSERT_EQ(6u, category.columns.size());
    EXPECT_EQ("View", std::string(category.columns[5].caption));
    EXPECT_EQ("view 0 Alpha", CellText(category, form.ListOf(tab).Row(0), 5));
    EXPECT_EQ("C:\\alpha.exe", CellText(category, form.ListOf(tab).Row(0), 1));

    // The report: the same cells, and the CSV is as wide as the widest list.
    std::vector<report::Record> records;
    report::CollectRecords(m.platform, table, [&](report::Record&& r) { records.push_back(std::move(r)); });
    const report::Record* alpha = nullptr;
    const report::Record* tool = nullptr;
    for (const report::Record& r : records) {
        if (r.name == "Alpha") alpha = &r;
        if (r.name == "Tool") tool = &r;
    }
    ASSERT_NE(nullptr, alpha);
    ASSERT_NE(nullptr, tool);
    EXPECT_EQ("hkcu-runservices", alpha->category);
    EXPECT_EQ("HKCU / RunServices", alpha->tab);
    EXPECT_EQ((std::vector<std::string>{"Alpha", "C:\\alpha.exe", "HKEY_CURRENT_USER",
                                        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices",
                                        "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices", "view 0 Alpha"}),
              alpha->columns);
    EXPECT_EQ("C:\\alpha.exe", alpha->command);
    EXPECT_EQ(5u, tool->columns.size());  // the other categories keep their columns
    EXPECT_NE(std::string::npos, report::JsonRecord(*alpha).find("\"view 0 Alpha\""));
    EXPECT_NE(std::string::npos, report::CsvRecord(*alpha, 7).find(",view 0 Alpha,"));
}

TEST(CategoryTable, TheScanReadsTabsInTheirScanPositions) {
    // The Run tab's key holds data that cannot be read, so the scan stops
    // there; moving a tab's position moves where it stops.
    std::vector<Category> table(std::begin(kCategories), std::end(kCategories));
    for (Category& category : table) category.scanPosition += 1;
    table[14].scanPosition = 0;  // the desktop tab first
    for (const bool desktopFirst : {false, true}) {
        sim::SimDesktop m;
        m.registry.SetString("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Bad", "b.exe");
        m.registry.Key("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run")->unreadable.insert("bad");
        m.registry.SetString("HKCU\\Control Panel\\Desktop", "SCRNSAVE.EXE", "C:\\s.scr");
        MainForm form(m.platform, m.toolkit,
                      desktopFirst ? std::span<const Category>(table) : std::span<const Category>(kCategories));
        form.ScanAtStart();
        ASSERT_EQ(1u, m.user.shown.size());
        EXPECT_EQ(desktopFirst ? "HKCU / Desktop (1)" : "HKCU / Deskstop", form.TabCaptions[TabOf("screensaver")])
            << desktopFirst;
    }
}

}  // namespace
}  // namespace qm
