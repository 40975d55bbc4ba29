// The Changes window on the simulated machine, driven as a user drives it:
// entries deleted through the main window's lists, then the window opened
// from the main form, a record selected, Restore or Forget pressed and the
// question answered. What the machine, the journal and the main window's
// tabs hold afterwards is checked.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/errors.h"
#include "forms/changes_form.h"
#include "forms/main_form.h"
#include "machine_snapshot.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

using testing::MachineState;
using testing::Snapshot;

constexpr const char* kHKCURun = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kNtWindows = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr const char* kTasks = "C:\\windows\\System32\\Tasks\\";

std::string TaskXml(const std::string& command) {
    return "<?xml version=\"1.0\"?><Task version=\"1.2\" "
           "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"><Triggers><LogonTrigger/></Triggers>"
           "<Settings><Enabled>true</Enabled></Settings><Actions Context=\"Author\"><Exec><Command>" +
           command + "</Command></Exec></Actions></Task>";
}

// A place of an entry, with two entries in it: the one deleted and
// restored, and one beside it that nothing touches.
struct Place {
    const char* tab;      // the category id
    const char* row;      // the deleted row's name
    const char* caption;  // the tab's caption while both entries are listed
    std::function<void(sim::SimDesktop&)> put;
};

std::vector<Place> Places() {
    auto shortcut = [](const std::string& target) {
        sim::SimFile file;
        file.shortcutTarget = target;
        file.content = "L\1\2\3 shell link of " + target;
        file.creationTime = 0x01D0000000000001;
        file.lastWriteTime = 0x01D0000000000002;
        file.lastAccessTime = 0x01D0000000000003;
        return file;
    };
    return {
        {"hkcu-run", "QmTool", "HKCU / Run (2)",
         [](sim::SimDesktop& m) {
             m.registry.SetString(kHKCURun, "QmTool", "\"C:\\qm\\tool.exe\" /tray");
             m.registry.SetString(kHKCURun, "QmKeep", "C:\\qm\\keep.exe");
         }},
        {"startup-user", "qm-tool.lnk", "Startup (user) - (2)",
         [shortcut](sim::SimDesktop& m) {
             const std::string folder = m.shell.specialFolders.at(kCsidlStartup) + "\\";
             m.files.AddFile(folder + "qm-tool.lnk", shortcut("C:\\qm\\tool.exe"));
             m.files.AddFile(folder + "qm-keep.lnk", shortcut("C:\\qm\\keep.exe"));
         }},
        // One DLL of two: the value is written back as it was stored, separator and all.
        {"system-hooks", "C:\\hooks\\qmtool.dll", "System Hooks (2)",
         [](sim::SimDesktop& m) {
             m.registry.SetString(kNtWindows, "AppInit_DLLs", "C:\\hooks\\qmkeep.dll, C:\\hooks\\qmtool.dll");
             m.registry.SetDword(kNtWindows, "LoadAppInit_DLLs", 1);
         }},
        {"tasks", "\\QmTool", "Scheduled Tasks (2)",
         [](sim::SimDesktop& m) {
             for (const char* name : {"QmTool", "QmKeep"}) {
                 sim::SimFile file;
                 file.content = TaskXml(std::string("C:\\qm\\") + name + ".exe");
                 m.files.AddFile(kTasks + std::string(name), file);
             }
         }},
    };
}

// The machine apart from the journal's own folder (ProgramData\Quellmark).
MachineState WithoutJournal(MachineState state, const Journal& journal) {
    const std::string folder = journal.FolderPath();  // ...\Quellmark\Changes\ once written
    if (folder.size() < 2) return state;
    const std::string root = testing::FileEntry(folder.substr(0, folder.rfind('\\', folder.size() - 2)));
    for (auto it = state.begin(); it != state.end();)
        it = it->first.rfind(root, 0) == 0 ? state.erase(it) : std::next(it);
    return state;
}

int RowNamed(const EntryList& list, const std::string& name) {
    for (int i = 0; i < list.Count(); ++i)
        if (list.Row(i).name == name) return i;
    return -1;
}

// The machine with its entries, a main form that has scanned it and shown
// its first tab, and the user who deleted the place's entry with "&Yes".
struct Desktop {
    explicit Desktop(const Place& place) : tab(TabOf(place.tab)) {
        place.put(m);
        form.ScanAtStart();
        form.FirstShow();
        form.SelectTab(tab);
        before = Snapshot(m);
        const int row = RowNamed(form.ListOf(tab), place.row);
        form.ListOf(tab).SetSelection(row, row);
        m.user.answers = {DialogResult::Yes};
        form.ListCommandClick(tab, ListCommand::Delete);
        m.user.shown.clear();
    }
    // Opens the Changes window; `user` acts in it while it is open.
    void InChanges(const std::function<void(ChangesForm&)>& user) {
        m.toolkit.onChanges = user;
        form.ShowChanges();
        m.toolkit.onChanges = nullptr;
    }
    sim::SimDesktop m;
    MainForm form{m.platform, m.toolkit};
    const int tab;
    MachineState before;
};

TEST(ChangesWindow, ADeletedEntryIsListedAndRestoredExactlyWhereItWas) {
    for (const Place& place : Places()) {
        SCOPED_TRACE(place.tab);
        Desktop d(place);
        ASSERT_EQ(-1, RowNamed(d.form.ListOf(d.tab), place.row)) << "not deleted";
        ASSERT_NE(d.before, WithoutJournal(Snapshot(d.m), d.form.journal));
        const std::string restoredFile = place.tab == std::string("startup-user")
                                             ? d.m.shell.specialFolders.at(kCsidlStartup) + "\\qm-tool.lnk"
                                             : std::string();
        bool shown = false;
        d.InChanges([&](ChangesForm& changes) {
            shown = true;
            ASSERT_EQ(1, changes.RowCount());
            ASSERT_TRUE(changes.Items()[0].record);
            EXPECT_EQ(place.row, changes.Cells()[0].entry);
            EXPECT_FALSE(changes.Cells()[0].when.empty());
            EXPECT_FALSE(changes.Cells()[0].done.empty());
            EXPECT_FALSE(changes.Cells()[0].where.empty());
            EXPECT_TRUE(changes.Problem().empty());
            EXPECT_FALSE(changes.CanAct()) << "nothing is selected yet";
            const std::string recordFile = changes.Items()[0].file;

            changes.Select(0);
            EXPECT_TRUE(changes.CanAct());
            d.m.user.answers = {DialogResult::Yes};
            changes.RestoreClick();
            // The core asked, naming the entry.
            ASSERT_FALSE(d.m.user.shown.empty());
            EXPECT_EQ(DialogKind::Confirmation, d.m.user.shown[0].kind);
            EXPECT_NE(std::string::npos, d.m.user.shown[0].text.find(place.row)) << d.m.user.shown[0].text;
            for (const DialogRequest& r : d.m.user.shown) EXPECT_NE(DialogKind::Error, r.kind) << r.text;

            // Read again: the restore is a record of its own, newest first,
            // and the selection stays on the record that was put back.
            ASSERT_EQ(2, changes.RowCount());
            EXPECT_NE(recordFile, changes.Items()[0].file);
            EXPECT_EQ(recordFile, changes.Items()[1].file);
            EXPECT_EQ(1, changes.SelectedIndex());
            EXPECT_NE(changes.Cells()[0].done, changes.Cells()[1].done);
            // While the window is still open the main window's tab lists the entry again.
            EXPECT_NE(-1, RowNamed(d.form.ListOf(d.tab), place.row));
            EXPECT_EQ(place.caption, d.form.TabCaptions[static_cast<size_t>(d.tab)]);
            changes.CloseClick();
            EXPECT_TRUE(changes.Closed);
        });
        EXPECT_TRUE(shown);
        EXPECT_EQ(d.before, WithoutJournal(Snapshot(d.m), d.form.journal));
        // The shortcut comes back byte for byte, with its times.
        if (!restoredFile.empty()) {
            const sim::SimFile* file = d.m.files.Find(restoredFile);
            ASSERT_NE(nullptr, file);
            EXPECT_EQ("L\1\2\3 shell link of C:\\qm\\tool.exe", file->content);
            EXPECT_EQ(0x01D0000000000001u, file->creationTime);
            EXPECT_EQ(0x01D0000000000002u, file->lastWriteTime);
            EXPECT_EQ(0x01D0000000000003u, file->lastAccessTime);
        }
        EXPECT_EQ(0, d.m.registry.OpenHandles());
        EXPECT_EQ(0, d.m.files.OpenEntries());
    }
}

TEST(ChangesWindow, RestoreAnsweredNoChangesNothingAndTheRecordStays) {
    for (const Place& place : Places()) {
        SCOPED_TRACE(place.tab);
        Desktop d(place);
        const MachineState deleted = Snapshot(d.m);
        const std::string caption = d.form.TabCaptions[static_cast<size_t>(d.tab)];
        d.InChanges([&](ChangesForm& changes) {
            changes.Select(0);
            d.m.user.answers = {DialogResult::No};
            changes.RestoreClick();
            ASSERT_EQ(1u, d.m.user.shown.size());
            EXPECT_EQ(DialogKind::Confirmation, d.m.user.shown[0].kind);
            EXPECT_EQ(1, changes.RowCount());
            EXPECT_EQ(0, changes.SelectedIndex());
        });
        EXPECT_EQ(deleted, Snapshot(d.m));
        EXPECT_EQ(-1, RowNamed(d.form.ListOf(d.tab), place.row));
        EXPECT_EQ(caption, d.form.TabCaptions[static_cast<size_t>(d.tab)]);
    }
}

TEST(ChangesWindow, ForgetRemovesTheRecordOnlyWhenConfirmedAndPutsNothingBack) {
    for (DialogResult answer : {DialogResult::No, DialogResult::Yes}) {
        const bool yes = answer == DialogResult::Yes;
        SCOPED_TRACE(yes ? "Yes" : "No");
        Desktop d(Places()[0]);
        const MachineState deleted = WithoutJournal(Snapshot(d.m), d.form.journal);
        d.InChanges([&](ChangesForm& changes) {
            ASSERT_EQ(1, changes.RowCount());
            changes.Select(0);
            d.m.user.answers = {answer};
            changes.ForgetClick();
            ASSERT_EQ(1u, d.m.user.shown.size());
            EXPECT_EQ(DialogKind::Confirmation, d.m.user.shown[0].kind);
            EXPECT_EQ(yes ? 0 : 1, changes.RowCount());
            EXPECT_EQ(yes ? -1 : 0, changes.SelectedIndex());
            EXPECT_EQ(!yes, changes.CanAct()) << "Restore and Forget need a selected record";
        });
        // The entry stays deleted either way, and the journal holds what the window showed.
        EXPECT_EQ(deleted, WithoutJournal(Snapshot(d.m), d.form.journal));
        EXPECT_EQ(-1, RowNamed(d.form.ListOf(d.tab), "QmTool"));
        std::vector<JournalItem> items;
        std::string why;
        ASSERT_TRUE(d.form.journal.List(items, why)) << why;
        EXPECT_EQ(yes ? 0u : 1u, items.size());
        // Opened again, the window lists what the journal holds.
        d.InChanges([&](ChangesForm& changes) { EXPECT_EQ(yes ? 0 : 1, changes.RowCount()); });
    }
}

TEST(ChangesWindow, ADamagedRecordIsListedCannotBeRestoredAndCanBeForgotten) {
    // Files of the journal that hold no record: one cut short, as a full
    // disk or a crash while writing could leave it, and one that is not
    // named as the journal names its records.
    struct Case {
        const char* file;
        const char* content;
    } cases[] = {
        {"20991231-235959-0000000-00.json", "{\"version\": 1, \"kind\": \"deleted-va"},
        {"notes.txt", "{}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Desktop d(Places()[0]);
        const std::string folder = d.form.journal.FolderPath();
        ASSERT_FALSE(folder.empty());
        sim::SimFile damaged;
        damaged.content = c.content;
        d.m.files.AddFile(folder + c.file, damaged);
        const MachineState deleted = Snapshot(d.m);
        d.InChanges([&](ChangesForm& changes) {
            ASSERT_EQ(2, changes.RowCount());
            int row = -1;
            for (int i = 0; i < changes.RowCount(); ++i)
                if (!changes.Items()[static_cast<size_t>(i)].record) row = i;
            ASSERT_NE(-1, row) << "the damaged file is listed";
            const JournalItem item = changes.Items()[static_cast<size_t>(row)];
            EXPECT_EQ(c.file, item.file);
            EXPECT_FALSE(item.damage.empty());
            const ChangeCells& cells = changes.Cells()[static_cast<size_t>(row)];
            EXPECT_EQ("Damaged record", cells.done);
            EXPECT_EQ(c.file, cells.entry);
            EXPECT_EQ(item.damage, cells.where);
            EXPECT_NE(std::string::npos, changes.StatusText().find("2 changes (1 damaged)")) << changes.StatusText();

            // Restore says why and asks nothing.
            changes.Select(row);
            d.m.user.answers = {DialogResult::Yes};
            changes.RestoreClick();
            ASSERT_EQ(1u, d.m.user.shown.size());
            EXPECT_EQ(DialogKind::Error, d.m.user.shown[0].kind);
            EXPECT_NE(std::string::npos, d.m.user.shown[0].text.find(item.damage)) << d.m.user.shown[0].text;
            EXPECT_EQ(deleted, Snapshot(d.m));
            ASSERT_EQ(2, changes.RowCount());
            EXPECT_EQ(row, changes.SelectedIndex());

            // Forget removes it, after the question.
            d.m.user.shown.clear();
            d.m.user.answers = {DialogResult::Yes};
            changes.ForgetClick();
            ASSERT_EQ(1u, d.m.user.shown.size());
            EXPECT_EQ(DialogKind::Confirmation, d.m.user.shown[0].kind);
            ASSERT_EQ(1, changes.RowCount());
            EXPECT_TRUE(changes.Items()[0].record);
        });
        EXPECT_FALSE(d.m.files.Exists(folder + c.file));
    }
}

TEST(ChangesWindow, AJournalThatCannotBeReadSaysWhyInsteadOfListingNothing) {
    struct Case {
        const char* label;
        std::function<void(sim::SimDesktop&, const std::string& folder)> spoil;
    } cases[] = {
        {"the folder refuses listing",
         [](sim::SimDesktop& m, const std::string& folder) {
             m.files.unlistable.insert(LowerAscii(folder.substr(0, folder.size() - 1)));
             m.files.unlistable.insert(LowerAscii(folder));
         }},
        {"another owner took the folder",
         [](sim::SimDesktop& m, const std::string& folder) {
             sim::SimFile* record = m.files.FindFolder(folder.substr(0, folder.size() - 1));
             ASSERT_NE(nullptr, record);
             record->security.owner = Trustee::Other;
             record->security.ownerSid = "S-1-5-21-1-2-3-1001";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Desktop d(Places()[0]);
        const std::string folder = d.form.journal.FolderPath();
        ASSERT_FALSE(folder.empty());
        c.spoil(d.m, folder);
        d.InChanges([&](ChangesForm& changes) {
            EXPECT_EQ(0, changes.RowCount());
            EXPECT_FALSE(changes.Problem().empty());
            EXPECT_EQ("The journal cannot be read: " + changes.Problem(), changes.StatusText());
            EXPECT_FALSE(changes.CanAct());
            changes.RestoreClick();
            changes.ForgetClick();
            EXPECT_TRUE(d.m.user.shown.empty());
        });
    }
}

TEST(ChangesWindow, StatusLineCountsTheRecordsAndNamesTheFolder) {
    Desktop d(Places()[0]);
    d.InChanges([&](ChangesForm& changes) {
        EXPECT_EQ("1 change, kept in " + d.form.journal.FolderPath(), changes.StatusText());
        changes.Select(0);
        d.m.user.answers = {DialogResult::Yes};
        changes.ForgetClick();
        EXPECT_EQ("No changes recorded.", changes.StatusText());
    });
}

// Another program may send the window messages while a question is open:
// whatever it selects or presses meanwhile, the record confirmed is the one
// acted on, and nothing else is asked or done.
TEST(ChangesWindow, WhatHappensWhileTheQuestionIsOpenDoesNotSteerTheCommand) {
    Desktop d(Places()[0]);
    // A second change: the other Run value deleted too (the list is newest first).
    d.form.ListOf(d.tab).SetSelection(0, 0);
    ASSERT_EQ("QmKeep", d.form.ListOf(d.tab).Row(0).name);
    d.m.user.answers = {DialogResult::Yes};
    d.form.ListCommandClick(d.tab, ListCommand::Delete);
    d.m.user.shown.clear();
    d.InChanges([&](ChangesForm& changes) {
        ASSERT_EQ(2, changes.RowCount());
        ASSERT_EQ("QmKeep", changes.Cells()[0].entry);
        ASSERT_EQ("QmTool", changes.Cells()[1].entry);
        changes.Select(1);
        int questions = 0;
        d.m.user.whileShown = [&](const DialogRequest&) {
            if (++questions > 1) return;
            changes.Select(0);
            changes.ForgetClick();
            changes.RestoreClick();
            d.form.ShowChanges();
        };
        d.m.user.answers = {DialogResult::Yes, DialogResult::Yes, DialogResult::Yes};
        changes.RestoreClick();
        d.m.user.whileShown = nullptr;
        EXPECT_EQ(1, questions);
        ASSERT_EQ(1u, d.m.user.shown.size());
        EXPECT_NE(std::string::npos, d.m.user.shown[0].text.find("QmTool")) << d.m.user.shown[0].text;
        // Both records are still there (and the restore's), the selection on the one restored.
        EXPECT_EQ(3, changes.RowCount());
        ASSERT_NE(nullptr, changes.Selected());
        ASSERT_TRUE(changes.Selected()->record);
        EXPECT_EQ("QmTool", changes.Selected()->record->entry);
    });
    EXPECT_EQ(1, d.m.toolkit.changesShown) << "no second window while the first is open";
    EXPECT_TRUE(d.m.registry.HasValue(kHKCURun, "QmTool"));
    EXPECT_FALSE(d.m.registry.HasValue(kHKCURun, "QmKeep"));
}

// A failure inside a command is shown in the program's error box; the
// window goes on, and its next command runs.
TEST(ChangesWindow, AFailureInACommandIsShownAndTheWindowGoesOn) {
    Desktop d(Places()[0]);
    d.InChanges([&](ChangesForm& changes) {
        changes.Select(0);
        bool thrown = false;
        d.m.user.whileShown = [&](const DialogRequest& r) {
            if (r.kind == DialogKind::Confirmation && !thrown) {
                thrown = true;
                throw std::runtime_error("The disk went away");
            }
        };
        EXPECT_NO_THROW(changes.ForgetClick());
        d.m.user.whileShown = nullptr;
        ASSERT_EQ(2u, d.m.user.shown.size());
        EXPECT_EQ(DialogKind::Error, d.m.user.shown[1].kind);
        EXPECT_EQ(kAppTitle, d.m.user.shown[1].title);
        EXPECT_EQ("The disk went away.", d.m.user.shown[1].text);
        ASSERT_EQ(1, changes.RowCount());
        EXPECT_TRUE(changes.CanAct());
        d.m.user.shown.clear();
        d.m.user.answers = {DialogResult::Yes};
        changes.ForgetClick();
        EXPECT_EQ(0, changes.RowCount());
    });
}

TEST(ChangesWindow, SelectingOutsideTheRowsSelectsNothing) {
    Desktop d(Places()[0]);
    d.InChanges([&](ChangesForm& changes) {
        for (int row : {-5, 1, 7}) {
            changes.Select(0);
            changes.Select(row);
            EXPECT_EQ(-1, changes.SelectedIndex()) << row;
            EXPECT_EQ(nullptr, changes.Selected());
            changes.RestoreClick();
            changes.ForgetClick();
        }
        EXPECT_TRUE(d.m.user.shown.empty());
    });
}

}  // namespace
}  // namespace qm
