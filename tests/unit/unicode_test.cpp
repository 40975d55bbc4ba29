// Names in any script, from the machine to the lists and back: Cyrillic,
// CJK, an emoji beyond the Basic Multilingual Plane, a right-to-left mark,
// and a Latin look-alike beside them. Every row shows its name and command
// whole, a deletion removes exactly the value or file it names, Jump To
// types the key's name, Item Properties shows version texts in any script.
//
// The same machine with one of its parts called through the ANSI functions
// (`ansiCalls`, sim_text.h) shows what each check guards against: the names
// come back as '?' or as their look-alike, and the calls by them miss or hit
// another entry.
#include <gtest/gtest.h>

#include <algorithm>

#include "forms/item_form.h"
#include "forms/main_form.h"
#include "machine_snapshot.h"
#include "platform/sim/version_block.h"
#include "platform/text_utf.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr const char* kHKCURun = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kHKLMRun = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kComponents = "HKLM\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components";

// U+0421 and U+0430: a Cyrillic capital Es and small a, which best-fit
// mapping turns into the Latin "C" and "a" of the look-alike.
const std::string kCyrillic = "\u0421\u0430lc";
const std::string kLookAlike = "Calc";
const std::string kCjk = "\u4E2D\u6587\u66F4\u65B0";
const std::string kEmoji = "Up\U0001F600date";
const std::string kRlm = "\u200F\u05E2\u05D3\u05DB\u05D5\u05DF";  // a right-to-left mark, then Hebrew

struct Entry {
    std::string name;
    std::string command;
};

std::vector<Entry> Entries(const std::string& where) {
    return {{kCyrillic, "C:\\\u041F\u0440\u043E\u0433\\" + where + "\u0436\u0443\u043A.exe /\u0445"},
            {kLookAlike, "C:\\calc-" + where + ".exe"},
            {kCjk, "C:\\\u4E2D\\" + where + ".exe"},
            {kEmoji, "C:\\\U0001F600\\" + where + ".exe"},
            {kRlm, "C:\\\u200F\\" + where + ".exe"}};
}

void PutRunValues(sim::SimDesktop& m) {
    for (const auto& [key, where] : {std::pair{kHKCURun, "user"}, std::pair{kHKLMRun, "machine"}})
        for (const Entry& e : Entries(where)) m.registry.SetString(key, e.name, e.command);
}

std::vector<std::string> Captions(EntryList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Row(i).name);
    return out;
}

int RowNamed(EntryList& list, const std::string& caption) {
    for (int i = 0; i < list.Count(); ++i)
        if (list.Row(i).name == caption) return i;
    return -1;
}

TEST(Unicode, RunValuesInAnyScriptAreListedWholeAndDeletedExactly) {
    for (const auto& [tab, key, where] :
         {std::tuple{TabOf("hkcu-run"), kHKCURun, "user"}, std::tuple{TabOf("hklm-run"), kHKLMRun, "machine"}}) {
        sim::SimDesktop m;
        PutRunValues(m);
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        form.SelectTab(tab);
        EntryList& list = form.ListOf(tab);
        ASSERT_EQ(5, list.Count()) << where;
        for (const Entry& e : Entries(where)) {
            const int row = RowNamed(list, e.name);
            ASSERT_GE(row, 0) << e.name;
            EXPECT_EQ(e.command, list.Row(row).command) << e.name;
        }
        const int cyrillic = RowNamed(list, kCyrillic);
        list.SetSelection(cyrillic, cyrillic);
        m.user.answers = {DialogResult::Yes};
        form.ListCommandClick(tab, ListCommand::Delete);
        ASSERT_EQ(1u, m.user.shown.size());
        EXPECT_EQ("Are you sure want to delete autorun \"" + kCyrillic + "\" ?", m.user.shown[0].text);
        EXPECT_FALSE(m.registry.HasValue(key, kCyrillic)) << where;
        EXPECT_EQ("C:\\calc-" + std::string(where) + ".exe", m.registry.StringValue(key, kLookAlike)) << where;
        for (const std::string& other : {kCjk, kEmoji, kRlm}) EXPECT_TRUE(m.registry.HasValue(key, other)) << other;
        EXPECT_EQ((std::vector<std::string>{kLookAlike, kCjk, kEmoji, kRlm}), Captions(list)) << where;
    }
}

// What the same machine does when its registry is called through the ANSI
// functions: the names come back spelled in the code page, the commands read
// empty, and the Cyrillic row deletes its Latin look-alike.
TEST(Unicode, ThroughTheAnsiCallsTheNamesAreLostAndTheLookAlikeIsDeleted) {
    sim::SimDesktop m;
    PutRunValues(m);
    m.registry.ansiCalls = true;
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    form.SelectTab(TabOf("hkcu-run"));
    EXPECT_EQ((std::vector<std::string>{"Calc", "Calc", "????", "Up?date", "??????"}),
              Captions(form.ListById("hkcu-run")));
    EXPECT_EQ("", form.ListById("hkcu-run").Row(2).command);  // "????" names no value
    form.ListById("hkcu-run").SetSelection(0, 0);
    m.user.answers = {DialogResult::Yes};
    form.ListCommandClick(TabOf("hkcu-run"), ListCommand::Delete);
    EXPECT_TRUE(m.registry.HasValue(kHKCURun, kCyrillic));
    EXPECT_FALSE(m.registry.HasValue(kHKCURun, kLookAlike));
}

TEST(Unicode, StartupFilesInAnyScriptAreListedWholeAndDeletedExactly) {
    const std::vector<std::string> names{"\u4E2D\u03B1.lnk", "\u4E2Da.lnk", "\u0416\u0443\u043A.lnk", "\U0001F600.lnk",
                                         "\u200F\u05D0.lnk"};
    for (const bool ansi : {false, true}) {
        sim::SimDesktop m;
        std::string folder;
        m.shell.GetSpecialFolderPath(kCsidlCommonStartup, false, folder);
        for (const std::string& name : names) {
            sim::SimFile link;
            link.shortcutTarget = "C:\\" + name + ".exe";
            m.files.AddFile(folder + "\\" + name, link);
        }
        m.files.ansiCalls = ansi;
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        form.SelectTab(TabOf("startup-common"));
        std::vector<std::string> listed = Captions(form.ListById("startup-common")), expected = names;
        if (ansi) expected = {"?a.lnk", "?a.lnk", "???.lnk", "?.lnk", "??.lnk"};  // the alpha: its look-alike
        std::sort(listed.begin(), listed.end());
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(expected, listed) << ansi;
        const int first = ansi ? RowNamed(form.ListById("startup-common"), "?a.lnk")
                               : RowNamed(form.ListById("startup-common"), names[0]);
        form.ListById("startup-common").SetSelection(first, first);
        const testing::MachineState before = testing::Snapshot(m);
        m.user.answers = {DialogResult::Yes};
        form.ListCommandClick(TabOf("startup-common"), ListCommand::Delete);
        if (ansi) {
            // "?" is a wildcard: the name the code page made names no file.
            ASSERT_EQ(2u, m.user.shown.size());
            EXPECT_EQ("\"?a.lnk\" was not deleted: it could not be opened (error 123).", m.user.shown[1].text);
            EXPECT_EQ(before, testing::Snapshot(m));
            continue;
        }
        EXPECT_EQ(1u, m.user.shown.size());
        EXPECT_FALSE(m.files.Exists(folder + "\\" + names[0]));
        for (size_t i = 1; i < names.size(); ++i) EXPECT_TRUE(m.files.Exists(folder + "\\" + names[i])) << names[i];
        EXPECT_EQ(4, form.ListById("startup-common").Count());
    }
}

TEST(Unicode, ServiceDisplayNamesAndCommandsInAnyScriptAreShownWhole) {
    for (const bool ansi : {false, true}) {
        sim::SimDesktop m;
        sim::SimService service;
        service.name = "qm\u0416";
        service.displayName = "\u0421\u043B\u0443\u0436\u0431\u0430 \u4E2D \U0001F600 \u200F\u05D0";
        service.commandLine = "\"C:\\\u041F\\svc.exe\" -k";
        m.services.Add(service);
        m.services.ansiCalls = ansi;
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        form.SelectTab(TabOf("services-running"));
        EntryList& list = form.ListOf(TabOf("services-running"));
        ASSERT_EQ(1, list.Count());
        if (ansi) {
            EXPECT_EQ("qm?", list.Row(0).name);
            EXPECT_EQ("C????a ? ? ??", list.Row(0).service.displayName);
            EXPECT_EQ("-", list.Row(0).command);  // "qm?" opens no service
            continue;
        }
        EXPECT_EQ("qm\u0416", list.Row(0).name);
        EXPECT_EQ(*service.displayName, list.Row(0).service.displayName);
        EXPECT_EQ(service.commandLine, list.Row(0).command);
    }
}

// The UTF-16 units Jump To typed into the key tree, a pause standing for
// each backslash.
std::string Typed(const sim::SimProcesses& p) {
    std::u16string units;
    for (const sim::WindowCall& c : p.calls) {
        if (c.kind == sim::WindowCall::Send && c.message == 0x102) units += static_cast<char16_t>(c.wParam);
        if (c.kind == sim::WindowCall::Sleep && c.value == 750) units += u'\\';
    }
    return Utf8FromUtf16(units);
}

TEST(Unicode, JumpToTypesAKeyNamedInAnyScriptInUtf16) {
    const std::string component = "{\u0416\u4E2D\U0001F600\u200F}";
    sim::SimDesktop m;
    const std::string key = std::string(kComponents) + "\\" + component;
    m.registry.SetString(key, "", "\u041A\u043E\u043C\u043F\u043E\u043D\u0435\u043D\u0442");
    m.registry.SetString(key, "StubPath", "C:\\stub.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    form.SelectTab(TabOf("components"));
    ASSERT_EQ(1, form.ListOf(TabOf("components")).Count());
    EXPECT_EQ("\u041A\u043E\u043C\u043F\u043E\u043D\u0435\u043D\u0442", form.ListOf(TabOf("components")).Row(0).name);
    form.ListOf(TabOf("components")).SetSelection(0, 0);
    form.ListCommandClick(TabOf("components"), ListCommand::JumpTo);
    EXPECT_EQ("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\" + component,
              Typed(m.processes));
    // The emoji goes as its two surrogates, one WM_CHAR each.
    int surrogates = 0;
    for (const sim::WindowCall& c : m.processes.calls)
        if (c.kind == sim::WindowCall::Send && c.message == 0x102 && c.wParam >= 0xD800 && c.wParam <= 0xDFFF)
            ++surrogates;
    EXPECT_EQ(2, surrogates);
}

TEST(Unicode, ItemPropertiesShowsVersionTextsInAnyScript) {
    sim::SimDesktop m;
    const std::string program = "C:\\\u041F\u0440\u043E\u0433\\\u0416\u0443\u043A.exe";
    sim::VersionFixture f;
    f.fixed = sim::FixedFileFixture{};
    f.translations = {{0x0419, 0x04B0}};
    f.stringTables = {{"041904B0",
                       {{"CompanyName", "\u041E\u041E\u041E \u0416\u0443\u043A"},
                        {"FileDescription", "\u4E2D\u6587 \U0001F600 \u200F\u05D0"},
                        {"FileVersion", "1.0 \u0431\u0435\u0442\u0430"}}}};
    sim::SimFile file;
    file.typeName = "Application";
    file.exeType = 0x04004550;
    file.versionResource = sim::BuildVersionResource(f);
    m.files.AddFile(program, file);
    // Written in capitals: the lower-cased target still names the program.
    m.registry.SetString(kHKCURun, kCyrillic, "\"C:\\\u041F\u0420\u041E\u0413\\\u0416\u0423\u041A.EXE\" /x");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    form.FirstShow();
    form.ListById("hkcu-run").SetSelection(0, 0);
    form.ListDblClick(TabOf("hkcu-run"));
    const ItemForm& item = *form.itemDialog;
    EXPECT_EQ(kCyrillic, item.title);
    EXPECT_EQ("\u041E\u041E\u041E \u0416\u0443\u043A", item.company);
    EXPECT_EQ("\u4E2D\u6587 \U0001F600 \u200F\u05D0", item.description);
    EXPECT_EQ("1.0 \u0431\u0435\u0442\u0430", item.version);
}

}  // namespace
}  // namespace qm
