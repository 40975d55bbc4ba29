// The Item Properties dialog on the simulated machine, driven as a user
// drives it: pick a row, double-click it or choose its properties item,
// read the dialog, type into it, press its buttons.
#include <gtest/gtest.h>

#include "core/actions/open_folder.h"
#include "core/forms/item_form.h"
#include "core/forms/main_form.h"
#include "core/model/icons.h"
#include "platform/sim/version_block.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

using namespace qm::testing;  // the tabs by position

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
void PutRows(TListView& list, const std::vector<Entry>& rows, int selected, int focused) {
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
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    ASSERT_TRUE(form.ItemForm);
    const TItemForm& item = *form.ItemForm;
    EXPECT_FALSE(item.Visible);
    EXPECT_EQ("<name>", item.Label1);
    EXPECT_EQ("<root>", item.Label6);
    EXPECT_EQ("<key>", item.Label8);
    EXPECT_EQ("<type>", item.Label10);
    EXPECT_FALSE(item.Image1.Icon());
    EXPECT_EQ(0, m.toolkit.itemFormShown);
}

TEST(ItemForm, RunEntryShowsNameCommandKeyIconAndVersionOfItsProgram) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "Other", "C:\\other.exe");
    m.registry.SetString(kHKCURun, "Tool", "\"C:\\Program Files\\Tool\\tool.exe\" /min");
    AddProgram(m, "C:\\Program Files\\Tool\\tool.exe", "Acme");
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    form.FirstShow();
    // The user had focused another row before selecting this one.
    form.hku.SetSelection(1, 0);
    form.ListDblClick(HKCURun);
    const TItemForm& item = *form.ItemForm;
    EXPECT_TRUE(m.user.shown.empty());
    EXPECT_EQ(1, m.toolkit.itemFormShown);
    EXPECT_TRUE(item.Visible);
    EXPECT_EQ(TItemForm::Control::Edit1, item.ActiveControl);
    EXPECT_EQ("Tool", item.Label1);
    EXPECT_EQ("Tool", item.Edit2);
    EXPECT_EQ("\"C:\\Program Files\\Tool\\tool.exe\" /min", item.Edit1);
    EXPECT_EQ("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", item.Edit3);
    EXPECT_EQ("Acme", item.Label6);
    EXPECT_EQ("Acme tool", item.Label8);
    EXPECT_EQ("1.0", item.Label10);
    EXPECT_TRUE(item.Image1.Icon());
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
        Tab tab;
        Location where;
        std::string edit1, edit3, company;
    } cases[] = {
        // A trailing comma stays in the target unless the list removes commas:
        // then "c:\a\a.exe," names no file and the version labels stay empty.
        {HKCURun, At(R::CurrentUser, keys::kRun), first,
         "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", ""},
        {HKLMRun, At(R::LocalMachine, keys::kRun), first,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", ""},
        {CommonStartup, FileLocation{.folder = folder, .name = "a.lnk"}, first, folder, ""},
        {UserStartup, FileLocation{.folder = folder, .name = "a.lnk"}, first, folder, ""},
        {HKCURunOnce, At(R::CurrentUser, keys::kRunOnce), first,
         "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", ""},
        {HKLMRunOnce, At(R::LocalMachine, keys::kRunOnce), first,
         "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", ""},
        {ShellObject, At(R::LocalMachine, keys::kShellServiceObjects), first,
         "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad", ""},
        {RunOnceEx, At(R::LocalMachine, keys::kRunOnceEx), first,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx", ""},
        // A service shows its description where the others show their location.
        {Services, ServiceLocation{"Entry"}, second, first, "B"},
        {ActiveX, At(R::LocalMachine, keys::kInstalledComponents, "Key"), second,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\Key", "B"},
        {WinLogon, At(R::LocalMachine, keys::kWinlogon), first,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "A"},
        {LoadRun, At(R::CurrentUser, keys::kWindows), first,
         "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\", "A"},
        {HKLMExplorer, At(R::LocalMachine, keys::kExplorerRun), first,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run", ""},
        {HKCUExplorer, At(R::CurrentUser, keys::kExplorerRun), first,
         "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run", ""},
        {Desktop, At(R::CurrentUser, keys::kDesktop), first, "HKEY_CURRENT_USER\\Control Panel\\Desktop", ""},
    };
    for (const Case& c : cases) {
        sim::SimDesktop m;
        AddProgram(m, "C:\\A\\a.exe", "A");
        AddProgram(m, "C:\\B\\b.exe", "B");
        TMainForm form(m.platform, m.toolkit);
        form.FormCreate();
        // The dialog shows where the row lives, and a service's description.
        Entry row = Row("Entry", c.edit1);
        row.service.displayName = first;
        row.where = c.where;
        PutRows(form.ListOf(c.tab), {row}, 0, 0);
        // The double-click and the popup menu's properties item are one handler.
        if (c.tab % 2) form.ListDblClick(c.tab);
        else form.ListCommandClick(c.tab, ListCommand::Properties);
        const TItemForm& item = *form.ItemForm;
        EXPECT_TRUE(item.Visible) << c.tab;
        EXPECT_EQ("Entry", item.Label1) << c.tab;
        EXPECT_EQ("Entry", item.Edit2) << c.tab;
        EXPECT_EQ(c.edit1, item.Edit1) << c.tab;
        EXPECT_EQ(c.edit3, item.Edit3) << c.tab;
        EXPECT_EQ(c.company, item.Label6) << c.tab;
        EXPECT_EQ(c.company.empty(), !item.Image1.Icon()) << c.tab;
        EXPECT_TRUE(m.user.shown.empty()) << c.tab;
    }
}

TEST(ItemForm, WinlogonValueWithTrailingCommaNamesItsProgram) {
    sim::SimDesktop m;
    m.registry.SetString(kWinlogonKey, "Userinit", "C:\\Windows\\system32\\userinit.exe,");
    AddProgram(m, "c:\\windows\\system32\\userinit.exe", "Logon");
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    form.SelectTab(WinLogon);
    ASSERT_EQ("Userinit", form.logs.Row(0).name);
    form.logs.SetSelection(0, 0);
    form.ListDblClick(WinLogon);
    const TItemForm& item = *form.ItemForm;
    EXPECT_EQ("C:\\Windows\\system32\\userinit.exe,", item.Edit1);
    EXPECT_EQ("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", item.Edit3);
    EXPECT_EQ("Logon", item.Label6);
    EXPECT_EQ("1.0", item.Label10);
}

TEST(ItemForm, WithoutASelectedRowNothingIsShown) {
    sim::SimDesktop m;
    m.registry.SetString(kHKCURun, "Tool", "C:\\tool.exe");
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    for (int focused : {-1, 0}) {
        form.hku.SetSelection(-1, focused);
        form.ListDblClick(HKCURun);
        form.ListCommandClick(HKCURun, ListCommand::Properties);
    }
    PutRows(form.desktop, {}, -1, -1);
    form.ListDblClick(Desktop);
    EXPECT_EQ(0, m.toolkit.itemFormShown);
    EXPECT_FALSE(form.ItemForm->Visible);
    EXPECT_EQ("<name>", form.ItemForm->Label1);
    EXPECT_TRUE(m.user.shown.empty());
}

TEST(ItemForm, ARowLeftWithoutItsCommandShowsEmptyFields) {
    sim::SimDesktop m;
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    PutRows(form.hku, {Row("Flags", "")}, 0, 0);
    form.ListDblClick(HKCURun);
    const TItemForm& item = *form.ItemForm;
    EXPECT_TRUE(m.user.shown.empty());
    EXPECT_TRUE(item.Visible);
    EXPECT_EQ("Flags", item.Label1);
    EXPECT_EQ("", item.Edit1);
    EXPECT_EQ("", item.Edit3);
    EXPECT_EQ("", item.Label6);
    EXPECT_EQ("", item.Label10);
}

TEST(ItemForm, ASecondRequestReplacesEveryFieldAndTheIcon) {
    sim::SimDesktop m;
    AddProgram(m, "C:\\A\\a.exe", "A");
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    Entry first = Row("First", "C:\\A\\a.exe");
    first.where = At(RegRoot::LocalMachine, "KeyA");
    Entry second = Row("Second", "C:\\missing\\b.exe");
    second.where = At(RegRoot::LocalMachine, "KeyB");
    PutRows(form.LV, {first, second}, 0, 0);
    form.ListDblClick(HKLMRun);
    TItemForm& item = *form.ItemForm;
    ASSERT_EQ("A", item.Label6);
    const IconHandle firstIcon = item.Image1.Icon();
    ASSERT_TRUE(firstIcon);
    item.ActiveControl = TItemForm::Control::BitBtn1;  // the user tabbed on
    form.LV.SetSelection(1, 1);
    form.ListDblClick(HKLMRun);  // while the dialog is still visible
    EXPECT_EQ(2, m.toolkit.itemFormShown);
    EXPECT_EQ("Second", item.Label1);
    EXPECT_EQ("Second", item.Edit2);
    EXPECT_EQ("C:\\missing\\b.exe", item.Edit1);
    EXPECT_EQ("HKEY_LOCAL_MACHINE\\KeyB", item.Edit3);
    EXPECT_EQ("", item.Label6);
    EXPECT_EQ("", item.Label8);
    EXPECT_EQ("", item.Label10);
    EXPECT_FALSE(item.Image1.Icon());   // the shell has no icon for a missing file
    EXPECT_EQ(0, m.shell.LiveIcons());  // and the first one was released
    // Still visible: the focus stays where the user left it.
    EXPECT_EQ(TItemForm::Control::BitBtn1, item.ActiveControl);
    // The dialog keeps its copies when the list changes under it.
    form.LV.Clear();
    EXPECT_EQ("Second", item.Label1);
}

TEST(ItemForm, ClosingHidesAndTheNextShowFocusesEdit1Again) {
    sim::SimDesktop m;
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    TItemForm& item = *form.ItemForm;
    PutRows(form.hku, {Row("Tool", "C:\\tool.exe")}, 0, 0);
    for (void (TItemForm::*close)() : {&TItemForm::Button1Click, &TItemForm::Button2Click, &TItemForm::FormClose}) {
        form.ListDblClick(HKCURun);
        ASSERT_TRUE(item.Visible);
        EXPECT_EQ(TItemForm::Control::Edit1, item.ActiveControl);
        item.ActiveControl = TItemForm::Control::Edit3;
        (item.*close)();
        EXPECT_FALSE(item.Visible);
        EXPECT_EQ("Tool", item.Label1);  // hidden, not emptied
    }
    EXPECT_EQ(3, m.toolkit.itemFormShown);
}

TEST(ItemForm, PropertiesDropsCommasBeforeTheCutAndFindTargetKeepsThem) {
    sim::SimDesktop m;
    m.files.AddFolder("C:\\my,tools");
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    PutRows(form.hku, {Row("Tool", "c:\\my,tools\\a.exe")}, 0, 0);
    form.ListDblClick(HKCURun);
    TItemForm& item = *form.ItemForm;
    item.SpeedButton1Click();
    item.BitBtn1Click();
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
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    PutRows(form.hku, {Row("Tool", "C:\\Row\\tool.exe")}, 0, 0);
    form.ListDblClick(HKCURun);
    TItemForm& item = *form.ItemForm;
    item.Edit1 = "\"D:\\Typed\\New.EXE\" -a";
    item.BitBtn1Click();
    item.SpeedButton1Click();
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
        TItemForm item(m.platform, m.toolkit);
        item.Edit1 = c.edit1;
        item.BitBtn1Click();
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
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    PutRows(form.hku,
            {Row("A", "C:\\a.exe"), Row("B", "C:\\b.dll"),
             Row("Gone", "C:\\missing.exe")},
            0, 0);
    // The toolkit hands the form's icon to the control: the one the control
    // held until now must still be alive at that moment.
    IconHandle inControl;
    std::vector<std::string> problems;
    m.toolkit.onItemForm = [&](TItemForm& item) {
        if (inControl && !m.shell.IconIsLive(inControl)) problems.push_back("the control held a destroyed icon");
        if (item.Image1.Icon() && !m.shell.IconIsLive(item.Image1.Icon()))
            problems.push_back("handed a destroyed icon");
        inControl = item.Image1.Icon();
    };
    for (int row : {0, 1, 0, 2, 1}) {
        form.hku.SetSelection(row, row);
        form.ListDblClick(HKCURun);
        EXPECT_EQ(std::vector<std::string>{}, problems) << row;
        // Afterwards only the icon shown is kept.
        EXPECT_EQ(inControl ? 1 : 0, m.shell.LiveIcons()) << row;
    }
}

TEST(ItemForm, Image1ReleasesEveryIconItWasGiven) {
    sim::SimDesktop m;
    m.files.AddFile("C:\\a.exe");
    {
        TItemForm item(m.platform, m.toolkit);
        const IconHandle first = GetFileIcon(m.platform, "C:\\a.exe", false);
        const IconHandle second = GetFileIcon(m.platform, "C:\\a.exe", false);
        item.Image1.SetIcon(first);
        item.Image1.SetIcon(first);  // the same icon again stays
        EXPECT_EQ(2, m.shell.LiveIcons());
        item.Image1.SetIcon(second);
        EXPECT_EQ(1, m.shell.LiveIcons());
        EXPECT_EQ(second, item.Image1.Icon());
    }
    EXPECT_EQ(0, m.shell.LiveIcons());
}

}  // namespace
}  // namespace qm
