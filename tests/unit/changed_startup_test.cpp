// A startup file is deleted only while its row's name still leads to the
// file that was listed, in the folder that was listed. Anyone who can write
// the user's folders can change them while the confirmation is open; the
// program runs elevated, so a name that then leads elsewhere must not
// delete there.
#include <gtest/gtest.h>

#include <functional>

#include "forms/main_form.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr int kUserTab = TabOf("startup-user");
constexpr const char* kVictim = "C:\\Program Files\\Victim\\victim.exe";

std::string UserFolder(sim::SimDesktop& m) { return m.shell.specialFolders[kCsidlStartup]; }

std::vector<std::string> Names(const EntryList& list) {
    std::vector<std::string> names;
    for (const auto& row : list.Rows()) names.push_back(row.name);
    return names;
}

// The user's folder holds victim.exe, and so does the victim's folder.
void PutVictims(sim::SimDesktop& m) {
    m.files.AddFile(UserFolder(m) + "\\victim.exe");
    m.files.AddFile(kVictim);
}

struct Change {
    const char* what;
    std::function<void(sim::SimDesktop&)> apply;
    const char* listed;  // where the listed file is afterwards, below the user's folder
    const char* said;    // the start of what the error box says after the name
};

// Changes made while the confirmation is open, each leading the row's name
// to another file. Both ways of opening a link are tried: as itself
// (Windows), and through it (Wine 8).
TEST(ChangedStartup, AChangeWhileTheQuestionIsOpenDeletesNothingAndSaysWhat) {
    const Change changes[] = {
        {"folder swapped for a link",
         [](sim::SimDesktop& m) {
             m.files.Rename(UserFolder(m), UserFolder(m) + ".old");
             m.files.AddFolderLink(UserFolder(m), "C:\\Program Files\\Victim");
         },
         ".old\\victim.exe", "the folder "},
        {"folder swapped for another folder",
         [](sim::SimDesktop& m) {
             m.files.Rename(UserFolder(m), UserFolder(m) + ".old");
             m.files.AddFile(UserFolder(m) + "\\victim.exe");
         },
         ".old\\victim.exe", "the folder "},
        {"file swapped for another",
         [](sim::SimDesktop& m) {
             m.files.Rename(UserFolder(m) + "\\victim.exe", UserFolder(m) + "\\moved.exe");
             m.files.AddFile(UserFolder(m) + "\\victim.exe");
         },
         "\\moved.exe", "it is no longer the file that was listed ("},
    };
    for (const bool follows : {false, true}) {
        for (const Change& change : changes) {
            const std::string what = std::string(change.what) + (follows ? " (links followed)" : "");
            sim::SimDesktop m;
            m.files.openFollowsLinks = follows;
            PutVictims(m);
            MainForm form(m.platform, m.toolkit);
            form.ScanAtStart();
            form.SelectTab(kUserTab);
            ASSERT_EQ(std::vector<std::string>{"victim.exe"}, Names(form.ListById("startup-user"))) << what;
            form.ListById("startup-user").SetSelection(0, 0);
            m.user.answers = {DialogResult::Yes};
            bool changed = false;
            m.user.whileShown = [&](const DialogRequest& request) {
                if (request.kind == DialogKind::Confirmation && !changed) change.apply(m);
                changed = true;
            };
            form.ListCommandClick(kUserTab, ListCommand::Delete);
            EXPECT_TRUE(m.files.Exists(kVictim)) << what;
            EXPECT_TRUE(m.files.Exists(UserFolder(m) + change.listed)) << what;
            ASSERT_EQ(2u, m.user.shown.size()) << what;
            EXPECT_EQ(DialogKind::Error, m.user.shown[1].kind) << what;
            const std::string said = "\"victim.exe\" was not deleted: " + std::string(change.said);
            EXPECT_EQ(0u, m.user.shown[1].text.rfind(said, 0)) << what << ": " << m.user.shown[1].text;
            EXPECT_EQ(std::vector<std::string>{"victim.exe"}, Names(form.ListById("startup-user"))) << what;
            EXPECT_EQ(0, m.files.OpenEntries()) << what;
        }
    }
}

// Nothing changed: the file listed is the file deleted, and only it.
TEST(ChangedStartup, TheListedFileIsDeletedThroughItsOwnHandle) {
    sim::SimDesktop m;
    PutVictims(m);
    m.files.AddFile(UserFolder(m) + "\\a.b.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    form.SelectTab(kUserTab);
    form.ListById("startup-user").SetSelection(1, 1);
    ASSERT_EQ("a.b.exe", form.ListById("startup-user").Row(1).name);
    m.user.answers = {DialogResult::Yes};
    form.ListCommandClick(kUserTab, ListCommand::Delete);
    EXPECT_EQ(1u, m.user.shown.size());
    EXPECT_FALSE(m.files.Exists(UserFolder(m) + "\\a.b.exe"));
    EXPECT_TRUE(m.files.Exists(UserFolder(m) + "\\victim.exe"));
    EXPECT_TRUE(m.files.Exists(kVictim));
    EXPECT_EQ(std::vector<std::string>{"victim.exe"}, Names(form.ListById("startup-user")));
    EXPECT_EQ(0, m.files.OpenEntries());
}

// A row's name is a name in its folder, never a path: neither one the file
// system holds (fullwidth backslashes between ".." parts, which a best-fit
// mapping would make real ones) nor one edited in place.
TEST(ChangedStartup, ANameThatIsAPathIsRefused) {
    // U+FF3C FULLWIDTH REVERSE SOLIDUS, in UTF-8.
    const std::string fw = "\xEF\xBC\xBC";
    const std::string held =
        "qm" + fw + ".." + fw + ".." + fw + ".." + fw + "Program Files" + fw + "Victim" + fw + "victim.exe";
    struct Case {
        std::string caption;  // the row's name when "&Delete Items..." is chosen
        bool edited;
    } cases[] = {
        {held, false},
        {"qm?..?..?..?Program Files?Victim?victim.exe", true},
        {"..\\..\\..\\Program Files\\Victim\\victim.exe", true},
        {"C:\\Program Files\\Victim\\victim.exe", true},
        {"../victim.exe", true},
        {"..", true},
        {"victim.exe:payload", true},
    };
    for (const Case& c : cases) {
        sim::SimDesktop m;
        PutVictims(m);
        m.files.AddFile(UserFolder(m) + "\\" + held);
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        form.SelectTab(kUserTab);
        const int row = form.ListById("startup-user").Row(0).name == "victim.exe" ? 1 : 0;
        ASSERT_EQ(held, form.ListById("startup-user").Row(row).name);  // listed as it is held
        if (c.edited) form.ListById("startup-user").EditCaption(row, c.caption);
        form.ListById("startup-user").SetSelection(row, row);
        m.user.answers = {DialogResult::Yes};
        form.ListCommandClick(kUserTab, ListCommand::Delete);
        EXPECT_TRUE(m.files.Exists(kVictim)) << c.caption;
        EXPECT_EQ(3u, m.files.FilesIn(UserFolder(m)).size() + m.files.FilesIn("C:\\Program Files\\Victim").size())
            << c.caption;
        ASSERT_EQ(2u, m.user.shown.size()) << c.caption;
        EXPECT_EQ("\"" + c.caption + "\" was not deleted: its name is not a plain file name.", m.user.shown[1].text);
        EXPECT_EQ(2, form.ListById("startup-user").Count()) << c.caption;
    }
}

// A caption edited to the name of another file in the same folder: that
// file is not the one listed on the row.
TEST(ChangedStartup, ACaptionEditedToAnotherFilesNameDeletesNeither) {
    sim::SimDesktop m;
    PutVictims(m);
    m.files.AddFile(UserFolder(m) + "\\other.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    form.SelectTab(kUserTab);
    form.ListById("startup-user").EditCaption(0, "other.exe");
    form.ListById("startup-user").SetSelection(0, 0);
    m.user.answers = {DialogResult::Yes};
    form.ListCommandClick(kUserTab, ListCommand::Delete);
    EXPECT_TRUE(m.files.Exists(UserFolder(m) + "\\victim.exe"));
    EXPECT_TRUE(m.files.Exists(UserFolder(m) + "\\other.exe"));
    ASSERT_EQ(2u, m.user.shown.size());
    EXPECT_EQ(
        "\"other.exe\" was not deleted: it is no longer the file that was listed (it was replaced, renamed or "
        "made a link).",
        m.user.shown[1].text);
}

// A startup folder that is a link before the list is read is one row that
// says where it leads; the files there are not listed, and that row deletes
// nothing.
TEST(ChangedStartup, AStartupFolderThatIsALinkIsShownAsOne) {
    for (const bool follows : {false, true}) {
        sim::SimDesktop m;
        m.files.openFollowsLinks = follows;
        m.files.AddFile(kVictim);
        m.files.AddFolderLink(UserFolder(m), "C:\\Program Files\\Victim");
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        form.SelectTab(kUserTab);
        ASSERT_EQ(1, form.ListById("startup-user").Count());
        const Entry& row = form.ListById("startup-user").Row(0);
        EXPECT_EQ("Folder is a link to C:\\Program Files\\Victim", row.name);
        EXPECT_EQ("C:\\Program Files\\Victim", row.command);
        EXPECT_EQ(UserFolder(m) + "\\", ShownCell("startup-user", row, 3));
        EXPECT_EQ("Startup (user) - (1)", form.TabCaptions[kUserTab]);
        form.ListById("startup-user").SetSelection(0, 0);
        m.user.answers = {DialogResult::Yes};
        form.ListCommandClick(kUserTab, ListCommand::Delete);
        EXPECT_TRUE(m.user.shown.empty());
        EXPECT_TRUE(m.files.Exists(kVictim));
    }
}

}  // namespace
}  // namespace qm
