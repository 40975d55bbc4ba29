// Every command of every list, with no row, with a selected row that is not
// the focused one, and with a caption edited in place, answered "&No" where
// the program asks: nothing may change on the machine, nothing may escape as
// a failure, and only the defined error box may appear.
#include <gtest/gtest.h>

#include "forms/main_form.h"
#include "machine_snapshot.h"
#include "ui/sim/sim_desktop.h"

namespace qm {
namespace {

constexpr const char* kHKCURun = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kHKLMRun = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

void Populate(sim::SimDesktop& m) {
    for (const char* key : {kHKCURun, kHKLMRun, "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                            "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                            "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad",
                            "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx",
                            "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run",
                            "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run"}) {
        m.registry.SetString(key, "First", "\"C:\\Program Files\\One\\one.exe\" /a");
        m.registry.SetString(key, "Second", "C:\\two.exe");
    }
    m.registry.SetString("HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "Shell", "explorer.exe");
    m.registry.SetString("HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", "Load", "C:\\l.exe");
    m.registry.SetString("HKCU\\Control Panel\\Desktop", "SCRNSAVE.EXE", "C:\\s.scr");
    for (const char* id : {"{one}", "{two}"})
        m.registry.SetString(std::string("HKLM\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\") + id,
                             "StubPath", "C:\\stub.exe");
    for (const auto& [csidl, folder] : m.shell.specialFolders) {
        m.files.AddFile(folder + "\\app.exe");
        sim::SimFile link;
        link.shortcutTarget = "C:\\Tools\\t.exe";
        m.files.AddFile(folder + "\\tool.lnk", link);
    }
    m.files.AddFile("C:\\Tools\\t.exe");
    m.registry.SetString("HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows", "AppInit_DLLs",
                         "C:\\one.dll, C:\\two.dll");
    m.registry.SetString(
        "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\calc.exe", "Debugger",
        "C:\\Tools\\t.exe -x");
    for (const char* task : {"C:\\windows\\System32\\Tasks\\First", "C:\\windows\\System32\\Tasks\\Second"}) {
        sim::SimFile file;
        file.content = "<Task><Actions><Exec><Command>C:\\Tools\\t.exe</Command></Exec></Actions></Task>";
        m.files.AddFile(task, file);
    }
    for (const char* name : {"AlphaSvc", "BetaSvc"}) {
        sim::SimService s;
        s.name = name;
        s.displayName = std::string(name) + " display";
        s.commandLine = "C:\\svc\\" + std::string(name) + ".exe -k";
        s.startType = kServiceAutoStart;  // listed on both services tabs
        m.services.Add(s);
    }
}

std::string Services(sim::SimDesktop& m) {
    std::string out;
    for (const char* name : {"AlphaSvc", "BetaSvc"}) {
        sim::SimService* s = m.services.Find(name);
        out += s ? std::string(name) + ":" + std::to_string(s->startType) + (s->markedForDelete ? "x" : "") + ";"
                 : std::string(name) + ":gone;";
    }
    return out;
}

enum class Selection { None, SelectedIsNotFocused, EditedCaption };

TEST(HostileCommands, NothingChangesWithoutAYesAndNoFailureEscapes) {
    for (Selection selection : {Selection::None, Selection::SelectedIsNotFocused, Selection::EditedCaption}) {
        for (ListCommand command : {ListCommand::Delete, ListCommand::JumpTo, ListCommand::Properties}) {
            for (int tab = 0; tab < kCategoryCount; ++tab) {
                sim::SimDesktop m;
                Populate(m);
                MainForm form(m.platform, m.toolkit);
                form.ScanAtStart();
                form.FirstShow();
                form.SelectTab(tab);
                EntryList& list = form.ListOf(tab);
                const std::string what = std::string("tab ") + std::to_string(tab) + " command " +
                                         std::to_string(static_cast<int>(command)) + " selection " +
                                         std::to_string(static_cast<int>(selection));
                ASSERT_GE(list.Count(), 1) << what;
                if (selection == Selection::SelectedIsNotFocused && list.Count() >= 2) list.SetSelection(1, 0);
                if (selection == Selection::EditedCaption) {
                    list.EditCaption(0, "Edited \"caption\"");
                    list.SetSelection(0, 0);
                }
                const auto before = testing::Snapshot(m);
                const std::string servicesBefore = Services(m);
                m.user.shown.clear();
                form.ListCommandClick(tab, command);  // every dialog is answered "&No" or "OK"
                const bool disables = form.CategoryOf(tab).canDisable;
                if (command == ListCommand::Delete && disables) form.ListCommandClick(tab, ListCommand::Disable);
                EXPECT_EQ(before, testing::Snapshot(m)) << what;
                if (!(command == ListCommand::Delete && disables && selection != Selection::None)) {
                    EXPECT_EQ(servicesBefore, Services(m)) << what;
                }
                for (const DialogRequest& shown : m.user.shown) {
                    const bool allowed = (shown.kind == DialogKind::Confirmation && shown.title == "Confirm") ||
                                         (shown.kind == DialogKind::Error && shown.title == "Error" &&
                                          shown.text == "No item selected for deletion!!!");
                    EXPECT_TRUE(allowed) << what << ": " << shown.title << ": " << shown.text;
                }
            }
        }
    }
}

}  // namespace
}  // namespace qm
