// On 64-bit Windows: both registry views of the redirected HKLM keys, each
// row acted on in its own view, and files looked at in the real System32 by
// the 32-bit and the 64-bit program alike.
#include <gtest/gtest.h>

#include "core/categories/row_marks.h"
#include "forms/item_form.h"
#include "forms/main_form.h"
#include "machine_snapshot.h"
#include "platform/sim/version_block.h"
#include "platform/text_utf.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

using testing::MachineState;
using testing::Snapshot;
using testing::ValueEntry;

// A redirected key's list: where its two views keep their values, and the
// location columns of their rows.
struct ViewCase {
    int tab;
    const char* caption;     // the count caption with one value in each view
    const char* native;      // the 64-bit view's key, as fixtures write it
    const char* wow;         // the 32-bit view's key, by its real path
    const char* nativeName;  // the key name a 64-bit row shows (Properties, Jump To)
    const char* wowName;     // ... and a 32-bit row
};

const std::string kLm = "HKEY_LOCAL_MACHINE\\";

const ViewCase kValueLists[] = {
    {TabOf("hklm-run"), "HKLM / Run (2)", "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
     "HKLM\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
     "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {TabOf("hklm-runonce"), "HKLM / Run Once (2)", "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
     "HKLM\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
     "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
     "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
    {TabOf("hklm-shell-service-objects"), "HKLM / ShellObject (2)",
     "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad",
     "HKLM\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad",
     "Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad",
     "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad"},
    {TabOf("hklm-runonceex"), "HKLM / Run OnceEx (2)", "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx",
     "HKLM\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx",
     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx",
     "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx"},
};

constexpr const char* kComponents = "HKLM\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\{Q}";
constexpr const char* kWowComponents =
    "HKLM\\SOFTWARE\\WOW6432Node\\Microsoft\\Active Setup\\Installed Components\\{Q}";
constexpr const char* kWinlogon = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kWowWinlogon = "HKLM\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

// Both views hold a value of the same name, "Same", with a command of their own.
void PutBothViews(sim::SimDesktop& m) {
    for (const ViewCase& c : kValueLists) {
        m.registry.SetString(c.native, "Same", "C:\\native64.exe");
        m.registry.SetString(c.wow, "Same", "C:\\wow32.exe");
    }
    for (const auto& [key, stub] : {std::pair{kComponents, "C:\\native64.exe"}, {kWowComponents, "C:\\wow32.exe"}}) {
        m.registry.SetString(key, "", "Same");
        m.registry.SetString(key, "StubPath", stub);
    }
    m.registry.SetString(kWinlogon, "Shell", "C:\\native64.exe");
    m.registry.SetString(kWowWinlogon, "Shell", "C:\\wow32.exe");
}

std::unique_ptr<MainForm> Started(sim::SimDesktop& m) {
    auto form = std::make_unique<MainForm>(m.platform, m.toolkit);
    form->ScanAtStart();
    form->FirstShow();
    return form;
}

// Each row as its cells (up to the last that shows anything), a component's
// own key, and the view it carries.
std::vector<std::string> Rows(const EntryList& list) {
    std::vector<std::string> out;
    for (const Entry& row : list.Rows()) {
        std::vector<std::string> cells = CellsAfterName(list.id, row);
        while (!cells.empty() && cells.back().empty()) cells.pop_back();
        std::string line = row.name;
        for (const std::string& cell : cells) line += "|" + cell;
        if (const auto* at = std::get_if<RegistryLocation>(&row.where); at && !at->subKey.empty())
            line += "|" + at->subKey;
        if (const auto* at = std::get_if<RegistryLocation>(&row.where))
            line += at->view == RegView::Registry64 ? " @64" : at->view == RegView::Registry32 ? " @32" : " @default";
        out.push_back(line);
    }
    return out;
}

TEST(Wow64, RedirectedValueListsShowTheNativeViewThenTheWowViewWithItsRealLocation) {
    for (bool program64 : {false, true}) {
        sim::SimDesktop m;
        m.Make64Bit(program64);
        PutBothViews(m);
        auto form = Started(m);
        for (const ViewCase& c : kValueLists) {
            form->SelectTab(c.tab);
            const std::string nativeKey = std::string(c.nativeName), wowKey = std::string(c.wowName);
            const std::vector<std::string> expected{
                "Same|C:\\native64.exe|HKEY_LOCAL_MACHINE|" + kLm + nativeKey + "|\\" + nativeKey + " @64",
                "Same|C:\\wow32.exe|HKEY_LOCAL_MACHINE|" + kLm + wowKey + "|\\" + wowKey + " @32"};
            EXPECT_EQ(expected, Rows(form->ListOf(c.tab))) << c.caption << " program64=" << program64;
            EXPECT_EQ(c.caption, form->TabCaptions[c.tab]) << program64;
        }
        form->SelectTab(TabOf("components"));
        EXPECT_EQ((std::vector<std::string>{"Same|Suspect Malware|C:\\native64.exe|{Q} @64",
                                            "Same|Suspect Malware|C:\\wow32.exe|{Q} @32"}),
                  Rows(form->ListOf(TabOf("components"))))
            << program64;
        EXPECT_EQ("ActiveX (2)", form->TabCaptions[TabOf("components")]);
        // The fixed places of the native view, then the one place the other view fills.
        form->SelectTab(TabOf("winlogon"));
        const std::vector<std::string> winlogon = Rows(form->ListOf(TabOf("winlogon")));
        ASSERT_EQ(10u, winlogon.size()) << program64;
        EXPECT_EQ("Shell|C:\\native64.exe @64", winlogon[2]);
        EXPECT_EQ("Userinit|No Autorun Entry @64", winlogon[0]);
        EXPECT_EQ("Shell|C:\\wow32.exe @32", winlogon[9]);
        EXPECT_EQ("WinLogon (10)", form->TabCaptions[TabOf("winlogon")]);
    }
}

TEST(Wow64, SharedKeysAreListedOnceAndThirtyTwoBitWindowsHasOneViewOnly) {
    constexpr const char* kHKCURun = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    constexpr const char* kPolicy = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run";
    for (bool windows64 : {false, true}) {
        sim::SimDesktop m;
        if (windows64) m.Make64Bit();
        m.registry.SetString(kHKCURun, "User", "C:\\user.exe");
        m.registry.SetString(kPolicy, "Policy", "C:\\policy.exe");
        m.registry.SetString(kLm + ("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"), "Machine", "C:\\machine.exe");
        auto form = Started(m);
        form->SelectTab(TabOf("hkcu-run"));
        EXPECT_EQ(1, form->ListOf(TabOf("hkcu-run")).Count()) << windows64;
        form->SelectTab(TabOf("hklm-explorer-run"));
        ASSERT_EQ(1, form->ListOf(TabOf("hklm-explorer-run")).Count()) << windows64;
        EXPECT_EQ("Policy", form->ListOf(TabOf("hklm-explorer-run")).Rows()[0].name);
        form->SelectTab(TabOf("hklm-run"));
        EXPECT_EQ("HKLM / Run (1)", form->TabCaptions[TabOf("hklm-run")]) << windows64;
        ASSERT_EQ(1, form->ListOf(TabOf("hklm-run")).Count()) << windows64;
        const auto& at = std::get<RegistryLocation>(form->ListOf(TabOf("hklm-run")).Rows()[0].where);
        EXPECT_EQ(windows64 ? RegView::Registry64 : RegView::Default, at.view);
    }
}

TEST(Wow64, DeletingARowRemovesItsOwnViewsValueOnly) {
    struct Case {
        int tab;
        int row;                 // 0: the native row, 1: the WOW row
        std::string key, value;  // the one value that goes
        const char* after;       // the command of the row left
    };
    std::vector<Case> cases;
    for (const ViewCase& c : kValueLists) {
        cases.push_back({c.tab, 0, c.native, "Same", "C:\\wow32.exe"});
        cases.push_back({c.tab, 1, c.wow, "Same", "C:\\native64.exe"});
    }
    cases.push_back({TabOf("components"), 0, kComponents, "StubPath", "C:\\wow32.exe"});
    cases.push_back({TabOf("components"), 1, kWowComponents, "StubPath", "C:\\native64.exe"});
    for (bool program64 : {false, true}) {
        for (const Case& c : cases) {
            sim::SimDesktop m;
            m.Make64Bit(program64);
            PutBothViews(m);
            auto form = Started(m);
            form->SelectTab(c.tab);
            form->ListOf(c.tab).SetSelection(c.row, c.row);
            MachineState expected = Snapshot(m);
            ASSERT_EQ(1u, expected.erase(ValueEntry(c.key, c.value))) << c.key;
            m.user.answers = {DialogResult::Yes};
            form->ListCommandClick(c.tab, ListCommand::Delete);
            ASSERT_EQ(1u, m.user.shown.size());
            EXPECT_EQ("Are you sure want to delete autorun \"Same\" ?", m.user.shown[0].text);
            EXPECT_EQ(expected, Snapshot(m)) << c.key << " row " << c.row << " program64=" << program64;
            const EntryList& list = form->ListOf(c.tab);
            ASSERT_EQ(1, list.Count()) << c.key;
            EXPECT_EQ(c.after, list.Rows()[0].command) << c.key;
            EXPECT_EQ(0, m.registry.OpenHandles());
        }
    }
}

// The characters Jump To typed into the Registry Editor's key tree.
std::string Typed(const sim::SimProcesses& p) {
    std::u16string out;
    for (const sim::WindowCall& c : p.calls) {
        if (c.kind == sim::WindowCall::Send && c.message == 0x102) out += static_cast<char16_t>(c.wParam);
        if (c.kind == sim::WindowCall::Sleep && c.value == 750) out += u'\\';
    }
    return Utf8FromUtf16(out);
}

TEST(Wow64, JumpToAndPropertiesNameTheKeyOfTheRowsView) {
    std::vector<std::tuple<int, int, std::string>> cases;
    for (const ViewCase& c : kValueLists) {
        cases.emplace_back(c.tab, 0, kLm + c.nativeName);
        cases.emplace_back(c.tab, 1, kLm + c.wowName);
    }
    cases.emplace_back(9, 1, kLm + ("SOFTWARE\\WOW6432Node\\Microsoft\\Active Setup\\Installed Components\\{Q}"));
    cases.emplace_back(10, 9, kLm + ("SOFTWARE\\WOW6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"));
    for (const auto& [tab, row, key] : cases) {
        sim::SimDesktop m;
        m.Make64Bit();
        PutBothViews(m);
        auto form = Started(m);
        form->SelectTab(tab);
        form->ListOf(tab).SetSelection(row, row);
        form->ListCommandClick(tab, ListCommand::JumpTo);
        // The walk climbs to the tree's top and then types the key name
        // with a pause for every backslash.
        EXPECT_EQ(key, Typed(m.processes)) << tab << " row " << row;
        form->ListDblClick(tab);
        if (tab != TabOf("winlogon")) {
            EXPECT_EQ(key, form->itemDialog->location) << tab << " row " << row;
        }
    }
}

// A program in the real System32 and another under the same name in
// SysWOW64, each with a version resource of its own.
void AddProgram(sim::SimDesktop& m, const std::string& path, const std::string& version) {
    sim::VersionFixture f;
    f.fixed = sim::FixedFileFixture{};
    f.translations = {{0x0409, 0x04B0}};
    f.stringTables = {{"040904B0", {{"CompanyName", "Native"}, {"FileDescription", "x"}, {"FileVersion", version}}}};
    sim::SimFile file;
    file.typeName = "Application";
    file.exeType = 0x00004550;
    file.versionResource = sim::BuildVersionResource(f);
    m.files.AddFile(path, file);
}

TEST(Wow64, FilesNamedInSystem32AreInspectedInTheRealSystem32) {
    struct Case {
        bool windows64, program64, wowCopy;
        const char* version;  // what Properties shows
    } cases[] = {
        {true, false, true, "64.0"},    // the 32-bit program: through Sysnative, never the SysWOW64 copy
        {true, false, false, "64.0"},   // ... and a 64-bit-only program is found at all
        {true, true, true, "64.0"},     // the 64-bit program sees System32 as it is
        {false, false, false, "64.0"},  // 32-bit Windows: one System32, the path unchanged
    };
    for (const Case& c : cases) {
        sim::SimDesktop m;
        if (c.windows64) m.Make64Bit(c.program64);
        AddProgram(m, "C:\\windows\\System32\\native.exe", "64.0");
        if (c.wowCopy) AddProgram(m, "C:\\windows\\SysWOW64\\native.exe", "32.0");
        m.registry.SetString("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Native",
                             "C:\\WINDOWS\\system32\\native.exe /run");
        auto form = Started(m);
        form->ListById("hkcu-run").SetSelection(0, 0);
        form->ListDblClick(TabOf("hkcu-run"));
        const ItemForm& item = *form->itemDialog;
        EXPECT_EQ(c.version, item.version) << c.program64 << c.wowCopy;
        EXPECT_EQ("Native", item.company);
        EXPECT_TRUE(item.icon.Icon()) << c.program64 << c.wowCopy;
        // The row shows the command as stored.
        EXPECT_EQ("C:\\WINDOWS\\system32\\native.exe /run", item.command);
    }
}

}  // namespace
}  // namespace qm
