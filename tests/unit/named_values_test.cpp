// Winlogon, Windows Load/Run and screen-saver places: one row each, whether
// the value exists or not, and the silver drawing of empty places.
#include <gtest/gtest.h>

#include "core/categories/row_marks.h"
#include "forms/main_form.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr const char* kWinlogon = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kWindows = "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr const char* kDesktop = "HKCU\\Control Panel\\Desktop";
constexpr std::uint32_t kSilver = 12632256, kBlack = 0;
constexpr int kWinLogonTab = TabOf("winlogon"), kLoadRunTab = TabOf("load-run"), kDesktopTab = TabOf("screensaver");

std::uint32_t Colour(const Entry& row) { return MarkColour(row.mark).value_or(kBlack); }

TEST(NamedValues, EveryPlaceGetsOneRowInTableOrderWhateverTheRegistryHolds) {
    sim::SimDesktop m;
    m.registry.SetString(kWinlogon, "Shell", "explorer.exe");
    m.registry.SetString(kWindows, "Run", "C:\\r.exe");  // read as "run"
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    std::vector<std::string> names;
    for (const auto& row : form.ListById("winlogon").Rows()) names.push_back(row.name);
    EXPECT_EQ((std::vector<std::string>{"Userinit", "system", "Shell", "UIHost", "Taskman", "LsaStart", "SaveDumpStart",
                                        "AppSetup", "ServiceControllerStart"}),
              names);
    EXPECT_EQ("explorer.exe", form.ListById("winlogon").Row(2).command);
    EXPECT_EQ("No Autorun Entry", form.ListById("winlogon").Row(4).command);
    ASSERT_EQ(2, form.ListById("load-run").Count());
    EXPECT_EQ("Run", form.ListById("load-run").Row(0).name);
    EXPECT_EQ("C:\\r.exe", form.ListById("load-run").Row(0).command);
    EXPECT_EQ("Load", form.ListById("load-run").Row(1).name);
    ASSERT_EQ(1, form.ListById("screensaver").Count());
    EXPECT_EQ("Scrnsave", form.ListById("screensaver").Row(0).name);
    EXPECT_EQ(sim::SimShell::kSmallImageList, form.ListById("screensaver").SmallImages());
    EXPECT_EQ(0, m.registry.OpenHandles());
}

TEST(NamedValues, ValueTextAndTheIconTargetDerivedFromIt) {
    struct Case {
        const char* key;
        const char* value;
        const char* data;
        int row;
        int tab;
        const char* iconOf;  // the name whose icon the row gets
    } cases[] = {
        {kWinlogon, "Userinit", "C:\\WINDOWS\\system32\\userinit.exe,", 0, kWinLogonTab, ".exe"},
        // Commas go before the cut, so one character after ".exe" stays: "userinit.exec" has
        // no known type and falls back to the program icon.
        {kWinlogon, "Userinit", "C:\\a\\userinit.exe,C:\\b\\x.exe", 0, kWinLogonTab, ".exe"},
        {kDesktop, "Scrnsave.exe", "C:\\x\\saver.scr.txt", 0, kDesktopTab, ".exe"},  // cut to "saver.scr."
        {kWinlogon, "Shell", "\"C:\\Program Files\\S\\s.exe\" /x", 2, kWinLogonTab, ".exe"},
        // No marker: "rund" has no type, so the row falls back to the program icon.
        {kWinlogon, "Shell", "rundll32 shell32,Control_RunDLL", 2, kWinLogonTab, ".exe"},
        {kDesktop, "Scrnsave.exe", "C:\\WINDOWS\\System32\\logon.scr", 0, kDesktopTab, ".scr"},
        {kWindows, "Load", "C:\\x\\lib.dll", 1, kLoadRunTab, ".exe"},  // "c:\x" falls back too
    };
    for (const Case& c : cases) {
        sim::SimDesktop m;
        m.registry.SetString(c.key, c.value, c.data);
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        const Entry& row = form.ListOf(c.tab).Row(c.row);
        EXPECT_EQ(c.data, row.command) << c.data;
        EXPECT_EQ(m.shell.IconIndexOf(c.iconOf), row.image) << c.data;
    }
}

// An empty value of any type shows "No Autorun Entry" in silver; a value
// that is not text but holds data shows its type and size.
TEST(NamedValues, EmptyPlacesShowNoAutorunEntryAndKeysAreReadWhateverElseTheyDeny) {
    sim::SimDesktop m;
    m.registry.SetString(kWinlogon, "Userinit", "");
    m.registry.SetRaw(kWinlogon, "system", kRegBinary, {});
    m.registry.SetString(kWinlogon, "Shell", "   ");  // blanks are text
    m.registry.SetRaw(kWinlogon, "UIHost", kRegDword, {});
    m.registry.SetRaw(kWinlogon, "Taskman", kRegBinary, {7});
    m.registry.SetString(kDesktop, "SCRNSAVE.EXE", "x.scr");
    m.registry.Key(kDesktop)->deniedAccess = kKeySetValue | kKeyCreateLink;  // read all the same
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_EQ("No Autorun Entry", form.ListById("winlogon").Row(0).command);
    EXPECT_EQ("No Autorun Entry", form.ListById("winlogon").Row(1).command);
    EXPECT_EQ("   ", form.ListById("winlogon").Row(2).command);
    EXPECT_EQ("No Autorun Entry", form.ListById("winlogon").Row(3).command);
    EXPECT_EQ("(REG_BINARY, 1 byte)", form.ListById("winlogon").Row(4).command);
    EXPECT_EQ(kSilver, Colour(form.ListById("winlogon").Row(1)));
    EXPECT_EQ(kSilver, Colour(form.ListById("winlogon").Row(3)));
    EXPECT_EQ("x.scr", form.ListById("screensaver").Row(0).command);
    EXPECT_EQ(kSilver, Colour(form.ListById("winlogon").Row(0)));
    EXPECT_EQ(kBlack, Colour(form.ListById("winlogon").Row(2)));
}

TEST(NamedValues, AMissingWinlogonKeyGivesNineEmptyPlaces) {
    sim::SimDesktop m;
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    ASSERT_EQ(9, form.ListById("winlogon").Count());
    for (const auto& row : form.ListById("winlogon").Rows()) EXPECT_EQ("No Autorun Entry", row.command);
    EXPECT_EQ("WinLogon (9)", form.TabCaptions[TabOf("winlogon")]);
}

TEST(NamedValues, AValueThatIsNotTextShowsItsTypeAndSizeAndTheListGoesOn) {
    sim::SimDesktop m;
    m.registry.SetDword(kWinlogon, "SaveDumpStart", 1);
    m.registry.SetString(kWinlogon, "AppSetup", "setup.exe");
    m.registry.SetRaw(kWindows, "Load", kRegBinary, {1, 2, 3});
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_TRUE(m.user.shown.empty());
    ASSERT_EQ(9, form.ListById("winlogon").Count());
    const Entry& typed = form.ListById("winlogon").Row(6);
    EXPECT_EQ("SaveDumpStart", typed.name);
    EXPECT_EQ("(REG_DWORD, 4 bytes)", typed.command);
    EXPECT_EQ(kBlack, Colour(typed));  // not the silver of an empty place
    EXPECT_EQ("setup.exe", form.ListById("winlogon").Row(7).command);
    EXPECT_EQ("WinLogon (9)", form.TabCaptions[TabOf("winlogon")]);
    ASSERT_EQ(2, form.ListById("load-run").Count());
    EXPECT_EQ("(REG_BINARY, 3 bytes)", form.ListById("load-run").Row(1).command);
    EXPECT_EQ("Load - Run (2)", form.TabCaptions[TabOf("load-run")]);
}

TEST(NamedValues, SilverWhenTheTrimmedTextBeginsWithNoAutorunEntryInAnyCase) {
    struct Case {
        const char* text;
        std::uint32_t colour;
    } cases[] = {
        {"No Autorun Entry", kSilver},   {"  no autorun entry and more", kSilver},
        {"\tNO AUTORUN ENTRY", kSilver}, {"No Autorun", kBlack},
        {"C:\\x.exe", kBlack},
    };
    for (const Case& c : cases) {
        sim::SimDesktop m;
        m.registry.SetString(kWinlogon, "Shell", c.text);
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        EXPECT_EQ(c.colour, Colour(form.ListById("winlogon").Row(2))) << c.text;
    }
}

}  // namespace
}  // namespace qm
