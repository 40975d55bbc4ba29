// The two startup-folder tabs: which files are listed, in which order, and
// what each row holds.
#include <gtest/gtest.h>

#include "forms/main_form.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

// A shortcut file naming `target`, and a plain file, with the given attributes.
sim::SimFile Shortcut(const std::string& target, std::uint32_t attributes = kFileAttributeArchive) {
    sim::SimFile file;
    file.attributes = attributes;
    file.shortcutTarget = target;
    return file;
}
sim::SimFile Plain(std::uint32_t attributes) {
    sim::SimFile file;
    file.attributes = attributes;
    return file;
}

constexpr int kCommonTab = TabOf("startup-common"), kUserTab = TabOf("startup-user");

std::vector<std::string> Names(const EntryList& list) {
    std::vector<std::string> names;
    for (const auto& row : list.Rows()) names.push_back(row.name);
    return names;
}

// The same files in both folders, in this creation order (the order the
// search returns them).
void PutFiles(sim::SimDesktop& m, const std::string& folder) {
    m.files.AddFile(folder + "\\b.lnk", Shortcut("C:\\Tools\\t.exe"));
    m.files.AddFile(folder + "\\app.exe");
    m.files.AddFile(folder + "\\tool.exe.lnk", Shortcut("C:\\Program Files\\Tool\\Tool.EXE"));
    m.files.AddFile(folder + "\\desktop.ini", Plain(kFileAttributeHidden | kFileAttributeSystem));
    m.files.AddFile(folder + "\\Hidden.LNK", Shortcut("C:\\h.exe", kFileAttributeHidden | kFileAttributeReadonly));
    m.files.AddFile(folder + "\\sys.lnk", Shortcut("C:\\s.exe", kFileAttributeSystem));
    m.files.AddFile(folder + "\\notes.txt");
    m.files.AddFolder(folder + "\\nested.lnk");  // a folder named like a shortcut
    m.files.AddFile(folder + "\\nested.lnk\\inner.lnk", Shortcut("C:\\i.exe"));
    m.files.AddFile(folder + "\\broken.lnk");  // not a shortcut at all
    m.files.AddFile(folder + "\\evil.vbs");    // started by the script host
    m.files.AddFile(folder + "\\Evil.BAT");
    m.files.AddFile(folder + "\\site.url");
    m.files.AddFile(folder + "\\Desktop.INI.vbs");  // not the folder's settings
}

// Windows starts every file of the folders, so every file is listed, in the
// order the search gives them: hidden and system files too, folders and the
// folder's desktop.ini never, each file once.
TEST(StartupFolders, EachFolderListsEveryFileWithHiddenAndSystemFilesButNoFolders) {
    struct Case {
        int tab;
        int csidl;
        std::vector<std::string> names;
        const char* caption;
    } cases[] = {
        {kCommonTab,
         kCsidlCommonStartup,
         {"b.lnk", "app.exe", "tool.exe.lnk", "Hidden.LNK", "sys.lnk", "notes.txt", "broken.lnk", "evil.vbs",
          "Evil.BAT", "site.url", "Desktop.INI.vbs"},
         "Startup (common) - (11)"},
        {kUserTab,
         kCsidlStartup,
         {"b.lnk", "app.exe", "tool.exe.lnk", "Hidden.LNK", "sys.lnk", "notes.txt", "broken.lnk", "evil.vbs",
          "Evil.BAT", "site.url", "Desktop.INI.vbs"},
         "Startup (user) - (11)"},
    };
    for (const Case& c : cases) {
        sim::SimDesktop m;
        const std::string folder = m.shell.specialFolders.at(c.csidl);
        PutFiles(m, folder);
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        const EntryList& list = form.ListOf(c.tab);
        EXPECT_EQ(c.names, Names(list)) << c.caption;
        EXPECT_EQ(c.caption, form.TabCaptions[c.tab]);
        for (const Entry& row : list.Rows()) {
            EXPECT_EQ("Windows AutoRun", ShownCell("startup-user", row, 2));
            EXPECT_EQ(folder + "\\", ShownCell("startup-user", row, 3));
            EXPECT_TRUE(m.files.Exists(ShownCell("startup-user", row, 3) + row.name)) << row.name;
            EXPECT_EQ(m.shell.IconIndexOf(row.name), row.image) << row.name;
        }
        // The other folder is empty, so its tab shows nothing.
        const int other = c.tab == kCommonTab ? kUserTab : kCommonTab;
        EXPECT_EQ(0, form.ListOf(other).Count());
    }
}

// Each tab is captioned for the folder it lists, before its first count
// (the design caption, seen when the start-up scan failed early) and after;
// the image agrees with the caption: two users for all users, a folder for
// the current user.
TEST(StartupFolders, EachTabIsCaptionedForTheFolderItListsBeforeAndAfterItsCount) {
    struct Case {
        int tab;
        int csidl;
        const char* design;
        const char* count;
        int image;
    } cases[] = {
        {kCommonTab, kCsidlCommonStartup, "Startup (comon)", "Startup (common) - (1)", 3},
        {kUserTab, kCsidlStartup, "Startup (User)", "Startup (user) - (1)", 1},
    };
    for (const Case& c : cases) {
        sim::SimDesktop m;
        m.files.AddFile(m.shell.specialFolders.at(c.csidl) + "\\mine.lnk", Shortcut("C:\\m.exe"));
        // Data that cannot be read stops the start-up scan at the first tab.
        m.registry.SetString("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Flags", "f.exe");
        m.registry.Key("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run")->unreadable.insert("flags");
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        EXPECT_EQ(c.design, form.TabCaptions[c.tab]);
        EXPECT_EQ(c.image, kCategories[static_cast<size_t>(c.tab)].tabImage) << c.design;
        form.SelectTab(c.tab);
        EXPECT_EQ(std::vector<std::string>{"mine.lnk"}, Names(form.ListOf(c.tab))) << c.design;
        EXPECT_EQ(c.count, form.TabCaptions[c.tab]);
    }
}

// A shortcut starts what it points to; any other file is started itself.
TEST(StartupFolders, TargetIsTheShortcutsPathAsStoredAndTheFileItselfForOtherFiles) {
    sim::SimDesktop m;
    const std::string folder = m.shell.specialFolders.at(kCsidlCommonStartup) + "\\";
    PutFiles(m, m.shell.specialFolders.at(kCsidlCommonStartup));
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    std::map<std::string, std::string> targets;
    for (const auto& row : form.ListById("startup-common").Rows()) targets[row.name] = row.command;
    EXPECT_EQ("C:\\Tools\\t.exe", targets["b.lnk"]);
    EXPECT_EQ("C:\\Program Files\\Tool\\Tool.EXE", targets["tool.exe.lnk"]);  // not lower-cased
    EXPECT_EQ("C:\\h.exe", targets["Hidden.LNK"]);
    EXPECT_EQ(folder + "app.exe", targets["app.exe"]);
    EXPECT_EQ(folder + "evil.vbs", targets["evil.vbs"]);
    EXPECT_EQ(folder + "Evil.BAT", targets["Evil.BAT"]);
    EXPECT_EQ(folder + "site.url", targets["site.url"]);
    EXPECT_EQ(folder + "notes.txt", targets["notes.txt"]);
    EXPECT_EQ("", targets["broken.lnk"]);  // a shortcut that points nowhere
}

TEST(StartupFolders, FolderPathGetsExactlyOneTrailingBackslash) {
    for (const char* folder : {"C:\\Start", "C:\\Start\\"}) {
        sim::SimDesktop m;
        m.shell.specialFolders[kCsidlStartup] = folder;
        m.files.AddFile("C:\\Start\\a.lnk", Shortcut("C:\\a.exe"));
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        ASSERT_EQ(1, form.ListById("startup-user").Count()) << folder;
        EXPECT_EQ("C:\\Start\\", ShownCell("startup-user", form.ListById("startup-user").Row(0), 3)) << folder;
        EXPECT_EQ("C:\\a.exe", form.ListById("startup-user").Row(0).command) << folder;
    }
}

TEST(StartupFolders, AFolderTheShellCannotGiveListsNothing) {
    sim::SimDesktop m;
    PutFiles(m, "C:\\Elsewhere");
    m.shell.specialFolders.erase(kCsidlCommonStartup);             // no such folder on this system
    m.shell.specialFolders[kCsidlStartup] = "C:\\Missing\\Start";  // named, but never created
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_EQ("Startup (common) - (0)", form.TabCaptions[kCommonTab]);
    EXPECT_EQ("Startup (user) - (0)", form.TabCaptions[kUserTab]);
    EXPECT_FALSE(m.files.FolderExists("C:\\Missing\\Start"));  // looking it up did not create it
    EXPECT_TRUE(m.user.shown.empty());
}

TEST(StartupFolders, CountCaptionCountsRowsAlreadyInTheList) {
    sim::SimDesktop m;
    m.files.AddFile(m.shell.specialFolders.at(kCsidlStartup) + "\\a.lnk", Shortcut("C:\\a.exe"));
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    form.ScanTab(kUserTab);  // the list was not emptied first
    EXPECT_EQ((std::vector<std::string>{"a.lnk", "a.lnk"}), Names(form.ListById("startup-user")));
    EXPECT_EQ("Startup (user) - (2)", form.TabCaptions[kUserTab]);
}

TEST(StartupFolders, ShowingTheTabReadsTheFolderAgain) {
    sim::SimDesktop m;
    const std::string folder = m.shell.specialFolders.at(kCsidlCommonStartup);
    m.files.AddFile(folder + "\\old.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    m.files.DeleteFile(folder + "\\old.exe");
    m.files.AddFile(folder + "\\new.lnk", Shortcut("C:\\n.exe"));
    form.SelectTab(kCommonTab);
    EXPECT_EQ((std::vector<std::string>{"new.lnk"}), Names(form.ListById("startup-common")));
    EXPECT_EQ("Startup (common) - (1)", form.TabCaptions[kCommonTab]);
}

TEST(StartupFolders, WithoutTheShellLinkObjectTheScanStopsAtTheFirstFileAndReports) {
    sim::SimDesktop m;
    const std::string folder = m.shell.specialFolders.at(kCsidlCommonStartup);
    m.files.AddFile(folder + "\\a.lnk", Shortcut("C:\\a.exe"));
    m.files.AddFile(folder + "\\b.lnk", Shortcut("C:\\b.exe"));
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    ASSERT_EQ("Startup (common) - (2)", form.TabCaptions[kCommonTab]);
    m.shell.comAvailable = false;
    form.SelectTab(kCommonTab);
    ASSERT_EQ(1u, m.user.shown.size());
    EXPECT_EQ("Quellmark", m.user.shown[0].title);
    EXPECT_NE(std::string::npos, m.user.shown[0].text.find("CoInitialize"));
    // The row being filled stays with its name only; the caption is not rewritten.
    ASSERT_EQ(1, form.ListById("startup-common").Count());
    EXPECT_EQ("a.lnk", form.ListById("startup-common").Row(0).name);
    EXPECT_EQ("", form.ListById("startup-common").Row(0).command);
    EXPECT_EQ("Startup (common) - (2)", form.TabCaptions[kCommonTab]);
}

}  // namespace
}  // namespace qm
