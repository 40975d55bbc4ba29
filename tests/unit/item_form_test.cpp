// The Item Properties dialog on the simulated machine, driven as a user
// drives it: pick a row, double-click it or choose its properties item,
// read the dialog, type into it, press its buttons.
#include <gtest/gtest.h>

#include "core/actions/open_folder.h"
#include "core/model/icons.h"
#include "forms/item_form.h"
#include "forms/main_form.h"
#include "platform/sim/version_block.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr const char* kHKCURun = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kWinlogonKey = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

// A program with a version resource naming its company, description and version.
void AddProgram(sim::SimDesktop& m, const std::string& path, const std::string& company) {
    sim::VersionFixture f;
    f.fixed = sim::FixedFileFixture{};
    f.translations = {{0x0409, 0x04B0}};
    f.stringTables = {
        {"040904B0", {{"CompanyName", company}, {"FileDescription", company + " tool"}, {"FileVersion", "1.0"}}}};
    sim::SimFile file;
    file.typeName = "Application";
    file.exeType = 0x04004550;
    file.versionResource = sim::BuildVersionResource(f);
    m.files.AddFile(path, file);
}

// Replaces a list's rows with the given ones and selects one of them.
void PutRows(EntryList& list, const std::vector<Entry>& rows, int selected, int focused) {
    list.Clear();
    for (const Entry& row : rows) list.Add() = row;
    list.SetSelection(selected, focused);
}

// The command lines of the programs started, in order.
std::vector<std::string> Started(sim::SimDesktop& m) {
    std::vector<std::string> lines;
    for (const auto& call : m.processes.calls)
        if (call.kind == sim::WindowCall::Start) lines.push_back(call.text);
    return lines;
}

Entry Row(const std::string& caption, const std::string& command) {
    Entry row;
    row.name = caption;
    row.command = command;
    return row;
}

TEST(ItemForm, IsCreatedHiddenWithItsDesignCaptions) {
    sim::SimDesktop m;
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    ASSERT_TRUE(form.itemDialog);
    const ItemForm& item = *form.itemDialog;
    EXPECT_FALSE(item.Visible);
    EXPECT_EQ("<name>", item.title);
    EXPECT_EQ("<root>", item.company);
    EXPECT_EQ("<key>", item.description);
    EXPECT_EQ("<type>", item.version);
    EXPECT_FALSE(item.icon.Icon());
    EXPECT_EQ(0, m.toolkit.itemFormShown);
}

TEST(ItemForm, RunEntryShowsNameCommandKeyIconAndVersionOfItsProgram) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "Other", "C:\\other.exe");
    m.registry.SetString(kHKCURun, "Tool", "\"C:\\Program Files\\Tool\\tool.exe\" /min");
    AddProgram(m, "C:\\Program Files\\Tool\\tool.exe", "Acme");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    form.FirstShow();
    // The user had focused another row before selecting this one.
    form.ListById("hkcu-run").SetSelection(1, 0);
    form.ListDblClick(TabOf("hkcu-run"));
    const ItemForm& item = *form.itemDialog;
    EXPECT_TRUE(m.user.shown.empty());
    EXPECT_EQ(1, m.toolkit.itemFormShown);
    EXPECT_TRUE(item.Visible);
    EXPECT_EQ(ItemForm::Control::Command, item.ActiveControl);
    EXPECT_EQ("Tool", item.title);
    EXPECT_EQ("Tool", item.name);
    EXPECT_EQ("\"C:\\Program Files\\Tool\\tool.exe\" /min", item.command);
    EXPECT_EQ("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", item.location);
    EXPECT_EQ("Acme", item.company);
    EXPECT_EQ("Acme tool", item.description);
    EXPECT_EQ("1.0", item.version);
    EXPECT_TRUE(item.icon.Icon());
    EXPECT_EQ(1, m.shell.LiveIcons());
}

RegistryLocation At(RegRoot root, const char* key, std::string subKey = "") {
    return RegistryLocation{.root = root, .key = key, .subKey = std::move(subKey), .value = "Entry"};
}

TEST(ItemForm, EachListShowsTheEntrysCommandAndWhereTheRowLives) {
    const std::string first = "C:\\A\\a.exe,", second = "\"C:\\B\\b.exe\" /x";
    const std::string folder = "C:\\Users\\Start\\";
    using R = RegRoot;
    struct Case {
        int tab;
        Location where;
        std::string edit1, edit3, company;
    } cases[] = {
        // A trailing comma stays in the target unless the list removes commas:
        // then "c:\a\a.exe," names no file and the version labels stay empty.
        {TabOf("hkcu-run"), At(R::CurrentUser, keys::kRun), first,
         "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", ""},
        {TabOf("hklm-run"), At(R::LocalMachine, keys::kRun), first,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", ""},
        {TabOf("startup-common"), FileLocation{.folder = folder, .name = "a.lnk"}, first, folder, ""},
        {TabOf("startup-user"), FileLocation{.folder = folder, .name = "a.lnk"}, first, folder, ""},
        {TabOf("hkcu-runonce"), At(R::CurrentUser, keys::kRunOnce), first,
         "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", ""},
        {TabOf("hklm-runonce"), At(R::LocalMachine, keys::kRunOnce), first,
         "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", ""},
        {TabOf("hklm-shell-service-objects"), At(R::LocalMachine, keys::kShellServiceObjects), first,
         "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad", ""},
        {TabOf("hklm-runonceex"), At(R::LocalMachine, keys::kRunOnceEx), first,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx", ""},
        // A service shows its description where the others show their location.
        {TabOf("services-running"), ServiceLocation{"Entry"}, second, first, "B"},
        {TabOf("components"), At(R::LocalMachine, keys::kInstalledComponents, "Key"), second,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\Key", "B"},
        {TabOf("winlogon"), At(R::LocalMachine, keys::kWinlogon), first,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "A"},
        {TabOf("load-run"), At(R::CurrentUser, keys::kWindows), first,
         "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\", "A"},
        {TabOf("hklm-explorer-run"), At(R::LocalMachine, keys::kExplorerRun), first,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run", ""},
        {TabOf("hkcu-explorer-run"), At(R::CurrentUser, keys::kExplorerRun), first,
         "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run", ""},
        {TabOf("screensaver"), At(R::CurrentUser, keys::kDesktop), first, "HKEY_CURRENT_USER\\Control Panel\\Desktop",
         ""},
    };
    for (const Case& c : cases) {
        sim::SimDesktop m;
        AddProgram(m, "C:\\A\\a.exe", "A");
        AddProgram(m, "C:\\B\\b.exe", "B");
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        // The dialog shows where the row lives, and a service's description.
        Entry row = Row("Entry", c.edit1);
        row.service.displayName = first;
        row.where = c.where;
        PutRows(form.ListOf(c.tab), {row}, 0, 0);
        // The double-click and the popup menu's properties item are one handler.
        if (c.tab % 2) form.ListDblClick(c.tab);
        else form.ListCommandClick(c.tab, ListCommand::Properties);
        const ItemForm& item = *form.itemDialog;
        EXPECT_TRUE(item.Visible) << c.tab;
        EXPECT_EQ("Entry", item.title) << c.tab;
        EXPECT_EQ("Entry", item.name) << c.tab;
        EXPECT_EQ(c.edit1, item.command) << c.tab;
        EXPECT_EQ(c.edit3, item.location) << c.tab;
        EXPECT_EQ(c.company, item.company) << c.tab;
        EXPECT_EQ(c.company.empty(), !item.icon.Icon()) << c.tab;
        EXPECT_TRUE(m.user.shown.empty()) << c.tab;
    }
}

TEST(ItemForm, WinlogonValueWithTrailingCommaNamesItsProgram) {
    sim::SimDesktop m;
    m.registry.SetString(kWinlogonKey, "Userinit", "C:\\Windows\\system32\\userinit.exe,");
    AddProgram(m, "c:\\windows\\system32\\userinit.exe", "Logon");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    form.SelectTab(TabOf("winlogon"));
    ASSERT_EQ("Userinit", form.ListById("winlogon").Row(0).name);
    form.ListById("winlogon").SetSelection(0, 0);
    form.ListDblClick(TabOf("winlogon"));
    const ItemForm& item = *form.itemDialog;
    EXPECT_EQ("C:\\Windows\\system32\\userinit.exe,", item.command);
    EXPECT_EQ("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", item.location);
    EXPECT_EQ("Logon", item.company);
    EXPECT_EQ("1.0", item.version);
}

TEST(ItemForm, WithoutASelectedRowNothingIsShown) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "Tool", "C:\\tool.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    for (int focused : {-1, 0}) {
        form.ListById("hkcu-run").SetSelection(-1, focused);
        form.ListDblClick(TabOf("hkcu-run"));
        form.ListCommandClick(TabOf("hkcu-run"), ListCommand::Properties);
    }
    PutRows(form.ListById("screensaver"), {}, -1, -1);
    form.ListDblClick(TabOf("screensaver"));
    EXPECT_EQ(0, m.toolkit.itemFormShown);
    EXPECT_FALSE(form.itemDialog->Visible);
    EXPECT_EQ("<name>", form.itemDialog->title);
    EXPECT_TRUE(m.user.shown.empty());
}

TEST(ItemForm, ARowLeftWithoutItsCommandShowsEmptyFields) {
    sim::SimDesktop m;
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    PutRows(form.ListById("hkcu-run"), {Row("Flags", "")}, 0, 0);
    form.ListDblClick(TabOf("hkcu-run"));
    const ItemForm& item = *form.itemDialog;
    EXPECT_TRUE(m.user.shown.empty());
    EXPECT_TRUE(item.Visible);
    EXPECT_EQ("Flags", item.title);
    EXPECT_EQ("", item.command);
    EXPECT_EQ("", item.location);
    EXPECT_EQ("", item.company);
    EXPECT_EQ("", item.version);
}

TEST(ItemForm, ASecondRequestReplacesEveryFieldAndTheIcon) {
    sim::SimDesktop m;
    AddProgram(m, "C:\\A\\a.exe", "A");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    Entry first = Row("First", "C:\\A\\a.exe");
    first.where = At(RegRoot::LocalMachine, "KeyA");
    Entry second = Row("Second", "C:\\missing\\b.exe");
    second.where = At(RegRoot::LocalMachine, "KeyB");
    PutRows(form.ListById("hklm-run"), {first, second}, 0, 0);
    form.ListDblClick(TabOf("hklm-run"));
    ItemForm& item = *form.itemDialog;
    ASSERT_EQ("A", item.company);
    const IconHandle firstIcon = item.icon.Icon();
    ASSERT_TRUE(firstIcon);
    item.ActiveControl = ItemForm::Control::FindTarget;  // the user tabbed on
    form.ListById("hklm-run").SetSelection(1, 1);
    form.ListDblClick(TabOf("hklm-run"));  // while the dialog is still visible
    EXPECT_EQ(2, m.toolkit.itemFormShown);
    EXPECT_EQ("Second", item.title);
    EXPECT_EQ("Second", item.name);
    EXPECT_EQ("C:\\missing\\b.exe", item.command);
    EXPECT_EQ("HKEY_LOCAL_MACHINE\\KeyB", item.location);
    EXPECT_EQ("", item.company);
    EXPECT_EQ("", item.description);
    EXPECT_EQ("", item.version);
    EXPECT_FALSE(item.icon.Icon());     // the shell has no icon for a missing file
    EXPECT_EQ(0, m.shell.LiveIcons());  // and the first one was released
    // Still visible: the focus stays where the user left it.
    EXPECT_EQ(ItemForm::Control::FindTarget, item.ActiveControl);
    // The dialog keeps its copies when the list changes under it.
    form.ListById("hklm-run").Clear();
    EXPECT_EQ("Second", item.title);
}

TEST(ItemForm, ClosingHidesAndTheNextShowFocusesEdit1Again) {
    sim::SimDesktop m;
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    ItemForm& item = *form.itemDialog;
    PutRows(form.ListById("hkcu-run"), {Row("Tool", "C:\\tool.exe")}, 0, 0);
    for (void (ItemForm::*close)() : {&ItemForm::OkClick, &ItemForm::CancelClick, &ItemForm::CloseFrame}) {
        form.ListDblClick(TabOf("hkcu-run"));
        ASSERT_TRUE(item.Visible);
        EXPECT_EQ(ItemForm::Control::Command, item.ActiveControl);
        item.ActiveControl = ItemForm::Control::Location;
        (item.*close)();
        EXPECT_FALSE(item.Visible);
        EXPECT_EQ("Tool", item.title);  // hidden, not emptied
    }
    EXPECT_EQ(3, m.toolkit.itemFormShown);
}

TEST(ItemForm, PropertiesDropsCommasBeforeTheCutAndFindTargetKeepsThem) {
    sim::SimDesktop m;
    m.files.AddFolder("C:\\my,tools");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    PutRows(form.ListById("hkcu-run"), {Row("Tool", "c:\\my,tools\\a.exe")}, 0, 0);
    form.ListDblClick(TabOf("hkcu-run"));
    ItemForm& item = *form.itemDialog;
    item.ShowShellProperties();
    item.FindTarget();
    ASSERT_EQ(1u, m.shell.executions.size());
    const auto& properties = m.shell.executions[0];
    EXPECT_EQ(ShellOwner::MainWindow, properties.owner);  // the application's window, not the dialog
    EXPECT_EQ("properties", properties.operation);
    EXPECT_EQ("c:\\mytools\\a.exe", properties.file);
    EXPECT_EQ(0x44Cu, properties.mask);
    EXPECT_EQ("", properties.parameters);
    EXPECT_EQ("", properties.directory);
    EXPECT_EQ(0, properties.show);
    // The folder opens in the Windows directory's explorer.exe, never through the shell's "open" verb.
    EXPECT_EQ(std::vector<std::string>{"\"C:\\windows\\explorer.exe\" \"c:\\my,tools\""}, Started(m));
    EXPECT_TRUE(item.Visible);  // neither button closes the dialog
}

TEST(ItemForm, ButtonsWorkOnWhatTheUserTypedIntoEdit1) {
    sim::SimDesktop m;
    m.files.AddFolder("D:\\Typed");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    PutRows(form.ListById("hkcu-run"), {Row("Tool", "C:\\Row\\tool.exe")}, 0, 0);
    form.ListDblClick(TabOf("hkcu-run"));
    ItemForm& item = *form.itemDialog;
    item.command = "\"D:\\Typed\\New.EXE\" -a";
    item.FindTarget();
    item.ShowShellProperties();
    ASSERT_EQ(1u, m.shell.executions.size());
    EXPECT_EQ(std::vector<std::string>{"\"C:\\windows\\explorer.exe\" \"d:\\typed\""}, Started(m));
    EXPECT_EQ("d:\\typed\\new.exe", m.shell.executions[0].file);
}

TEST(ItemForm, FindTargetOpensOnlyAnExistingFolderAndNeverStartsAProgram) {
    struct Case {
        const char* edit1;
        const char* opened;  // nullptr: nothing is opened
    } cases[] = {
        {"c:\\tools\\a.exe /s", "c:\\tools"},
        {"C:\\a.exe", "c:\\\\"},           // the root keeps its backslash, doubled before the quote
        {"c:\\evil.exe\\x.exe", nullptr},  // the "folder" is a program
        {"c:\\missing\\a.exe", nullptr},
        {"a.exe", nullptr},    // no folder at all
        {"\\x.exe", nullptr},  // not the root of whatever drive is current
        {"", nullptr},
    };
    for (const Case& c : cases) {
        sim::SimDesktop m;
        m.files.AddFolder("C:\\Tools");
        m.files.AddFile("C:\\evil.exe");
        ItemForm item(m.platform, m.toolkit);
        item.command = c.edit1;
        item.FindTarget();
        EXPECT_TRUE(m.shell.executions.empty()) << c.edit1;
        if (!c.opened) {
            EXPECT_TRUE(Started(m).empty()) << c.edit1;
            continue;
        }
        EXPECT_EQ(std::vector<std::string>{"\"C:\\windows\\explorer.exe\" \"" + std::string(c.opened) + "\""},
                  Started(m))
            << c.edit1;
        EXPECT_EQ(std::vector<std::string>{"C:\\windows\\explorer.exe"}, m.processes.started) << c.edit1;
        EXPECT_EQ(0, m.processes.OpenHandles()) << c.edit1;
    }
}

// The one folder rule of "&Find Target..." and of the services' Jump To.
TEST(ExtractFileDir, CutsAtTheLastSeparatorAndKeepsARootsBackslash) {
    const std::pair<const char*, const char*> cases[] = {
        {"c:\\tools\\a.exe", "c:\\tools"},
        {"c:\\program files\\svc\\svc.exe", "c:\\program files\\svc"},
        {"c:\\a.exe", "c:\\"},
        {"c:a.exe", "c:"},
        // A leading backslash alone names no folder of the path's own.
        {"\\a.exe", ""},
        {"a.exe", ""},
        {"", ""},
        {"\\\\server\\a.exe", "\\\\server"},
        {"\\\\server\\share\\svc.exe", "\\\\server\\share"},
        {"c:\\dir\\\\a.exe", "c:\\dir\\\\"},
        {"c:\\my,tools\\a.exe", "c:\\my,tools"},
    };
    for (const auto& [path, folder] : cases) EXPECT_EQ(folder, ExtractFileDir(path)) << path;
}

TEST(ItemForm, TheIconShownIsReleasedOnlyAfterItsControlHasTheNext) {
    sim::SimDesktop m;
    m.files.AddFile("C:\\a.exe");
    m.files.AddFile("C:\\b.dll");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    PutRows(form.ListById("hkcu-run"), {Row("A", "C:\\a.exe"), Row("B", "C:\\b.dll"), Row("Gone", "C:\\missing.exe")},
            0, 0);
    // The toolkit hands the form's icon to the control: the one the control
    // held until now must still be alive at that moment.
    IconHandle inControl;
    std::vector<std::string> problems;
    m.toolkit.onItemForm = [&](ItemForm& item) {
        if (inControl && !m.shell.IconIsLive(inControl)) problems.push_back("the control held a destroyed icon");
        if (item.icon.Icon() && !m.shell.IconIsLive(item.icon.Icon())) problems.push_back("handed a destroyed icon");
        inControl = item.icon.Icon();
    };
    for (int row : {0, 1, 0, 2, 1}) {
        form.ListById("hkcu-run").SetSelection(row, row);
        form.ListDblClick(TabOf("hkcu-run"));
        EXPECT_EQ(std::vector<std::string>{}, problems) << row;
        // Afterwards only the icon shown is kept.
        EXPECT_EQ(inControl ? 1 : 0, m.shell.LiveIcons()) << row;
    }
}

TEST(ItemForm, Image1ReleasesEveryIconItWasGiven) {
    sim::SimDesktop m;
    m.files.AddFile("C:\\a.exe");
    {
        ItemForm item(m.platform, m.toolkit);
        const IconHandle first = GetFileIcon(m.platform, "C:\\a.exe", false);
        const IconHandle second = GetFileIcon(m.platform, "C:\\a.exe", false);
        item.icon.SetIcon(first);
        item.icon.SetIcon(first);  // the same icon again stays
        EXPECT_EQ(2, m.shell.LiveIcons());
        item.icon.SetIcon(second);
        EXPECT_EQ(1, m.shell.LiveIcons());
        EXPECT_EQ(second, item.icon.Icon());
    }
    EXPECT_EQ(0, m.shell.LiveIcons());
}

}  // namespace
}  // namespace qm
