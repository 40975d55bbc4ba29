// Active Setup components with a logon command, and the red drawing of
// components without an identifier.
#include <gtest/gtest.h>

#include "core/categories/row_marks.h"
#include "forms/main_form.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr const char* kComponents = "HKLM\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\";
constexpr int kActiveX = 9;

void Component(sim::SimDesktop& m, const std::string& key, const char* name, const char* id, const char* stub) {
    const std::string path = kComponents + key;
    m.registry.Key(path);
    if (name) m.registry.SetString(path, "", name);
    if (id) m.registry.SetString(path, "ComponentID", id);
    if (stub) m.registry.SetString(path, "StubPath", stub);
}

TEST(InstalledComponents, ListsComponentsWithACommandInEnumerationOrder) {
    sim::SimDesktop m;
    Component(m, "{first-no-stub}", "No command", "X", nullptr);
    Component(m, "{desktop}", "Windows Desktop Update", "DesktopUpdate",
              "C:\\WINDOWS\\system32\\rundll32.exe shell32.dll,X");
    Component(m, "{empty-stub}", "Empty", "Y", "");
    // No data of a type that is not text is no command either.
    Component(m, "{empty-binary}", "Empty binary", "Z", nullptr);
    m.registry.SetRaw(std::string(kComponents) + "{empty-binary}", "StubPath", kRegBinary, {});
    Component(m, "{empty-dword}", "Empty number", "W", nullptr);
    m.registry.SetRaw(std::string(kComponents) + "{empty-dword}", "StubPath", kRegDword, {});
    Component(m, "{suspect}", nullptr, nullptr, "%SystemRoot%\\x.exe -y");
    Component(m, "{adsi}", "Active Directory Service Interface", "ADSI", "regsvr32 /s x.dll");
    Component(m, "{adsi-case}", "active directory service interface", "ADSI2", "C:\\a.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    form.SelectTab(kActiveX);
    ASSERT_EQ(4, form.ListById("components").Count());
    const Entry& desktop = form.ListById("components").Row(0);
    EXPECT_EQ("Windows Desktop Update", desktop.name);
    EXPECT_EQ("DesktopUpdate", desktop.componentId);
    EXPECT_EQ("C:\\WINDOWS\\system32\\rundll32.exe shell32.dll,X", desktop.command);
    EXPECT_EQ("{desktop}", std::get<RegistryLocation>(desktop.where).subKey);
    EXPECT_EQ(m.shell.IconIndexOf(".exe"), desktop.image);
    const Entry& suspect = form.ListById("components").Row(1);
    EXPECT_EQ("n/a", suspect.name);
    EXPECT_EQ("Suspect Malware", suspect.componentId);
    EXPECT_EQ("%SystemRoot%\\x.exe -y", suspect.command);
    EXPECT_EQ("n/a", form.ListById("components").Row(2).name);  // that exact name is hidden
    EXPECT_EQ(m.shell.IconIndexOf(".exe"),
              form.ListById("components").Row(2).image);  // "regs" falls back to the program icon
    EXPECT_EQ("active directory service interface", form.ListById("components").Row(3).name);  // other case stays
    EXPECT_EQ("ActiveX (4)", form.TabCaptions[kActiveX]);
    EXPECT_EQ(sim::SimShell::kSmallImageList, form.ListById("components").SmallImages());
    EXPECT_EQ(0, m.registry.OpenHandles());
}

// A command whose icon the shell cannot look up shows the program icon, as
// one whose icon is that of files of no known type does.
TEST(InstalledComponents, AFailedIconLookupGivesTheProgramIcon) {
    sim::SimDesktop m;
    m.shell.unknownIcon = 5;  // not the 0 a failed lookup leaves
    m.shell.failingIconLookups = {"c:\\qm\\broken.exe"};
    Component(m, "{broken}", "Broken", "B", "C:\\qm\\broken.exe /x");
    Component(m, "{unknown}", "Unknown", "U", "C:\\qm\\tool.xyz");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    form.SelectTab(kActiveX);
    ASSERT_EQ(2, form.ListById("components").Count());
    EXPECT_EQ(m.shell.IconIndexOf(".exe"), form.ListById("components").Row(0).image);
    EXPECT_EQ(m.shell.IconIndexOf(".exe"), form.ListById("components").Row(1).image);
}

// A key name may have 255 characters; with the components key before it the
// full path is longer than an ANSI open takes under Wine, so the component is
// reached from its parent key, for listing and for deleting alike.
TEST(InstalledComponents, AComponentWithTheLongestKeyNameIsListedCountedAndDeleted) {
    sim::SimDesktop m;
    const std::string name(255, 'c');
    Component(m, name, "Long", "L", "C:\\long.exe");
    Component(m, "{short}", "Short", "S", "C:\\short.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_EQ("ActiveX (2)", form.TabCaptions[kActiveX]);
    form.SelectTab(kActiveX);
    ASSERT_EQ(2, form.ListById("components").Count());
    EXPECT_EQ("Long", form.ListById("components").Row(0).name);
    EXPECT_EQ(name, std::get<RegistryLocation>(form.ListById("components").Row(0).where).subKey);
    form.ListById("components").SetSelection(0, 0);
    m.user.answers = {DialogResult::Yes};
    form.ListCommandClick(kActiveX, ListCommand::Delete);
    ASSERT_EQ(1u, m.user.shown.size());
    EXPECT_FALSE(m.registry.HasValue(kComponents + name, "StubPath"));
    EXPECT_TRUE(m.registry.HasValue(kComponents + name, "ComponentID"));
    EXPECT_EQ(std::vector<std::string>{"Short"}, std::vector<std::string>{form.ListById("components").Row(0).name});
    EXPECT_EQ("ActiveX (1)", form.TabCaptions[kActiveX]);
    EXPECT_EQ(0, m.registry.OpenHandles());
}

// A component key that cannot be opened is skipped; the components key it
// lies in is never read in its place, for listing or for deleting.
TEST(InstalledComponents, AComponentKeyThatCannotBeOpenedIsNeverReadAsItsParent) {
    sim::SimDesktop m;
    m.registry.SetString(kComponents, "StubPath", "C:\\parent.exe");
    Component(m, "{locked}", "Locked", "X", "C:\\locked.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_EQ(1, form.ListById("components").Count());
    m.registry.Key(std::string(kComponents) + "{locked}")->deniedAccess = kKeyQueryValue;
    form.ListById("components").SetSelection(0, 0);
    m.user.answers = {DialogResult::Yes};
    form.ListCommandClick(kActiveX, ListCommand::Delete);
    EXPECT_TRUE(m.user.shown.empty());  // no key, no question
    EXPECT_TRUE(m.registry.HasValue(kComponents, "StubPath"));
    form.SelectTab(kActiveX);
    ASSERT_EQ(1, form.ListById("components").Count());  // the key that refuses reading, never its parent's value
    EXPECT_EQ("access denied", form.ListById("components").Row(0).command);
    EXPECT_EQ(0, m.registry.OpenHandles());
}

TEST(InstalledComponents, NoCommandsMeansNoRowsAndNoImageLists) {
    sim::SimDesktop m;
    Component(m, "{a}", "A", "A", nullptr);
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_EQ(0, form.ListById("components").Count());
    EXPECT_FALSE(form.ListById("components").SmallImages());
    EXPECT_EQ("ActiveX (0)", form.TabCaptions[kActiveX]);
}

TEST(InstalledComponents, AValueThatIsNotTextShowsItsTypeAndTheScanGoesOn) {
    sim::SimDesktop m;
    Component(m, "{good}", "Good", "G", "C:\\g.exe");
    Component(m, "{bad}", "Bad", nullptr, "C:\\b.exe");
    m.registry.SetDword(std::string(kComponents) + "{bad}", "ComponentID", 7);
    Component(m, "{later}", "Later", "L", "C:\\l.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_TRUE(m.user.shown.empty());
    ASSERT_EQ(3, form.ListById("components").Count());
    EXPECT_EQ("Bad", form.ListById("components").Row(1).name);
    EXPECT_EQ("(REG_DWORD, 4 bytes)", form.ListById("components").Row(1).componentId);
    EXPECT_EQ("C:\\b.exe", form.ListById("components").Row(1).command);
    EXPECT_EQ("Later", form.ListById("components").Row(2).name);
    EXPECT_EQ("ActiveX (3)", form.TabCaptions[kActiveX]);
}

TEST(InstalledComponents, RedWhenTheTrimmedIdentifierBeginsWithSuspectMalware) {
    struct Case {
        const char* id;
        std::uint32_t colour;
    } cases[] = {{"Suspect Malware", 255}, {" suspect malware!", 255}, {"DesktopUpdate", 0}, {"Suspect", 0}};
    for (const Case& c : cases) {
        sim::SimDesktop m;
        Component(m, "{c}", "Named", c.id, "C:\\c.exe");
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        ASSERT_EQ(1, form.ListById("components").Count()) << c.id;
        EXPECT_EQ(c.colour, MarkColour(form.ListById("components").Row(0).mark).value_or(0u)) << c.id;
    }
    const Entry bare;  // a row whose read failed keeps the list's colour
    EXPECT_FALSE(MarkColour(bare.mark));
}

}  // namespace
}  // namespace qm
