// The change journal: every change is recorded before it is made, put back
// exactly from its record, refused when the record cannot be kept safely.
#include <gtest/gtest.h>

#include <functional>

#include "core/actions/restore.h"
#include "forms/main_form.h"
#include "machine_snapshot.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

using testing::ExactSnapshot;
using testing::MachineState;
using testing::Snapshot;

constexpr const char* kHKCURun = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kComponents = "HKLM\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components";
constexpr const char* kNtWindows = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr const char* kSessionManager = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kJournal = "C:\\ProgramData\\Quellmark\\Changes";
constexpr const char* kTasks = "C:\\windows\\System32\\Tasks";

std::string UserStartup(sim::SimMachine& m) { return m.shell.specialFolders.at(kCsidlStartup); }

// A service and every part of its configuration, as one text.
std::string ServiceText(sim::SimMachine& m, const std::string& name) {
    const sim::SimService* s = m.services.Find(name);
    if (!s) return "none";
    std::string text = s->name + "|" + s->displayName.value_or("-") + "|" + std::to_string(s->type) + "|" +
                       std::to_string(s->startType) + "|" + std::to_string(s->errorControl) + "|" + s->commandLine +
                       "|" + s->loadOrderGroup + "|" + s->account + "|" + s->description.value_or("-");
    for (const std::string& d : s->dependencies) text += "|dep:" + d;
    if (s->markedForDelete) text += "|marked for deletion";
    return text;
}

// The simulated user at the main window.
struct Desk {
    sim::SimDesktop m;
    std::unique_ptr<MainForm> form;

    void Open() {
        form = std::make_unique<MainForm>(m.platform, m.toolkit);
        form->ScanAtStart();
    }
    // Chooses `command` on the row named `name` of tab `id`, answering "&Yes".
    void Choose(const std::string& id, const std::string& name, ListCommand command) {
        const int tab = TabOf(id);
        form->SelectTab(tab);
        const EntryList& list = form->ListOf(tab);
        int row = -1;
        for (int i = 0; i < list.Count(); ++i)
            if (list.Row(i).name == name) row = i;
        ASSERT_GE(row, 0) << id << ": no row " << name;
        form->ListOf(tab).SetSelection(row, row);
        m.user.answers = {DialogResult::Yes, DialogResult::Yes};
        form->ListCommandClick(tab, command);
    }
    std::vector<JournalItem> Records() {
        std::vector<JournalItem> items;
        std::string why;
        EXPECT_TRUE(form->journal.List(items, why)) << why;
        return items;
    }
    ActionContext Context() { return {m.platform, *form->SharedRegistry, m.platform.dialogs, form->journal}; }
    bool Restore(const JournalItem& item) {
        ActionContext context = Context();
        m.user.answers = {DialogResult::Yes};
        return RestoreChange(context, item);
    }
};

std::string ErrorsShown(const sim::SimMachine& m) {
    std::string text;
    for (const DialogRequest& shown : m.user.shown)
        if (shown.kind == DialogKind::Error) text += shown.text + "\n";
    return text;
}

// Every kind of change, made through the window and put back from its
// record: the machine is as it was, byte for byte, times included.
TEST(Journal, EveryKindOfChangeIsPutBackExactly) {
    // As the scheduler writes a task's file: UTF-16LE after its mark.
    const auto utf16 = [](const std::string& ascii) {
        std::string out("\xFF\xFE", 2);
        for (char c : ascii) out += std::string{c, '\0'};
        return out;
    };
    const std::string taskText =
        ("<?xml version=\"1.0\" encoding=\"UTF-16\"?><Task><Settings><Enabled>true</Enabled></Settings><Actions><Exec>"
         "<Command>C:\\tools\\nightly.exe</Command><Arguments>--all</Arguments></Exec></Actions></Task>");
    const std::string taskXml = utf16(taskText);
    struct Case {
        const char* what;
        const char* tab;
        std::string row;
        ListCommand command;
        std::function<void(sim::SimMachine&)> put;
        ChangeKind recorded;
        std::function<void(sim::SimMachine&)> beforeRestore = {};
    } cases[] = {
        {"a Run value whose name holds a NUL", "hkcu-run", std::string("Tool\0hidden", 11), ListCommand::Delete,
         [](sim::SimMachine& m) {
             m.registry.SetString(kHKCURun, std::string("Tool\0hidden", 11), "C:\\t.exe");
             m.registry.SetString(kHKCURun, "Tool", "C:\\other.exe");
         },
         ChangeKind::DeletedValue},
        {"a REG_EXPAND_SZ Run value", "hkcu-run", "Expand", ListCommand::Delete,
         [](sim::SimMachine& m) { m.registry.SetString(kHKCURun, "Expand", "%ProgramFiles%\\x.exe", kRegExpandSz); },
         ChangeKind::DeletedValue},
        {"one AppInit DLL of two", "system-hooks", "C:\\hooks\\a.dll", ListCommand::Delete,
         [](sim::SimMachine& m) {
             m.registry.SetString(kNtWindows, "AppInit_DLLs", "C:\\hooks\\a.dll, C:\\hooks\\b.dll");
         },
         ChangeKind::RewroteValue},
        {"one BootExecute program of a REG_MULTI_SZ", "system-hooks", "autocheck autochk *", ListCommand::Delete,
         [](sim::SimMachine& m) {
             const std::string list("autocheck autochk *\0C:\\boot\\x.exe\0\0", 35);
             m.registry.SetRaw(kSessionManager, "BootExecute", kRegMultiSz,
                               std::vector<std::uint8_t>(list.begin(), list.end()));
         },
         ChangeKind::RewroteValue},
        {"a Unicode-named startup file with its times", "startup-user", "Запуск ✓.lnk", ListCommand::Delete,
         [](sim::SimMachine& m) {
             sim::SimFile file;
             file.shortcutTarget = "C:\\x.exe";
             file.content = std::string("L\0\0\0\x01\x14\x02\xff binary", 15);
             file.attributes = kFileAttributeArchive | kFileAttributeHidden | kFileAttributeSystem;
             file.creationTime = 133000000000000001ull;
             file.lastAccessTime = 133000000000000002ull;
             file.lastWriteTime = 133000000000000003ull;
             m.files.AddFile(UserStartup(m) + "\\Запуск ✓.lnk", file);
         },
         ChangeKind::DeletedFile},
        {"a task", "tasks", "\\Nightly", ListCommand::Delete,
         [&](sim::SimMachine& m) {
             sim::SimFile file;
             file.content = taskXml;
             m.files.AddFile(std::string(kTasks) + "\\Nightly", file);
         },
         ChangeKind::DeletedTask},
        {"a task disabled", "tasks", "\\Nightly", ListCommand::ToggleStartup,
         [&](sim::SimMachine& m) {
             sim::SimFile file;
             file.content = taskText;  // the simulated scheduler switches a UTF-8 file
             m.files.AddFile(std::string(kTasks) + "\\Nightly", file);
         },
         ChangeKind::SwitchedTask},
        {"a component's StubPath", "components", "Component {A}", ListCommand::Delete,
         [](sim::SimMachine& m) {
             const std::string key = std::string(kComponents) + "\\{A}";
             m.registry.SetString(key, "", "Component {A}");
             m.registry.SetString(key, "ComponentID", "IdA");
             m.registry.SetString(key, "StubPath", "C:\\stubA.exe");
         },
         ChangeKind::DeletedValue},
        {"a Run value disabled at logon", "hkcu-run", "Tool", ListCommand::ToggleStartup,
         [](sim::SimMachine& m) { m.registry.SetString(kHKCURun, "Tool", "C:\\t.exe"); }, ChangeKind::SwitchedStartup},
        {"a service with its description, dependencies and ServiceDll", "services-drivers", "Helper",
         ListCommand::Delete,
         [](sim::SimMachine& m) {
             sim::SimService s;
             s.name = "Helper";
             s.displayName = "Helper Service";
             s.type = kServiceWin32ShareProcess;
             s.startType = kServiceAutoStart;
             s.commandLine = "%SystemRoot%\\system32\\svchost.exe -k netsvcs";
             s.loadOrderGroup = "NetworkProvider";
             s.dependencies = {"RpcSs", "+TDI"};
             s.account = "NT AUTHORITY\\LocalService";
             s.description = "Helps.";
             m.services.Add(s);
             m.registry.SetString("HKLM\\SYSTEM\\CurrentControlSet\\Services\\Helper\\Parameters", "ServiceDll",
                                  "%SystemRoot%\\system32\\helper.dll", kRegExpandSz);
         },
         ChangeKind::DeletedService,
         [](sim::SimMachine& m) {
             // The manager keeps the service, marked, until it has stopped.
             m.services.Stop("Helper");
             m.registry.RemoveKey("HKLM\\SYSTEM\\CurrentControlSet\\Services\\Helper");
         }},
        {"a service disabled", "services-running", "Helper", ListCommand::Disable,
         [](sim::SimMachine& m) {
             sim::SimService s;
             s.name = "Helper";
             s.startType = kServiceAutoStart;
             s.commandLine = "C:\\svc\\helper.exe";
             m.services.Add(s);
         },
         ChangeKind::ChangedService},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Desk desk;
        c.put(desk.m);
        desk.Open();
        const MachineState before = ExactSnapshot(desk.m);
        const std::string serviceBefore = ServiceText(desk.m, "Helper");
        desk.Choose(c.tab, c.row, c.command);
        EXPECT_EQ("", ErrorsShown(desk.m));
        EXPECT_TRUE(ExactSnapshot(desk.m) != before || ServiceText(desk.m, "Helper") != serviceBefore)
            << "the change was made";
        std::vector<JournalItem> records = desk.Records();
        ASSERT_EQ(1u, records.size());
        ASSERT_TRUE(records[0].record) << records[0].damage;
        EXPECT_EQ(c.recorded, records[0].record->kind);
        EXPECT_EQ(c.tab, records[0].record->category);
        if (c.beforeRestore) c.beforeRestore(desk.m);
        desk.m.user.shown.clear();
        EXPECT_TRUE(desk.Restore(records[0])) << ErrorsShown(desk.m);
        EXPECT_EQ("", ErrorsShown(desk.m));
        EXPECT_EQ(before, ExactSnapshot(desk.m));
        EXPECT_EQ(serviceBefore, ServiceText(desk.m, "Helper"));
        // The restore is recorded too, naming the record it put back.
        records = desk.Records();
        ASSERT_EQ(2u, records.size());
        ASSERT_TRUE(records[0].record);
        EXPECT_EQ(ChangeKind::Restored, records[0].record->kind);
        EXPECT_EQ(records[1].file, records[0].record->restoredRecord);
        // Put back once, its place is no longer free.
        desk.m.user.shown.clear();
        EXPECT_FALSE(desk.Restore(records[1]));
        EXPECT_EQ(before, ExactSnapshot(desk.m));
        EXPECT_NE("", ErrorsShown(desk.m));
    }
}

// Only a free place is written: what stands there now is named, and kept.
TEST(Journal, ARestoreNeverOverwritesWhatIsThereNow) {
    Desk desk;
    desk.m.registry.SetString(kHKCURun, "Tool", "C:\\t.exe");
    desk.m.registry.SetString(kNtWindows, "AppInit_DLLs", "C:\\hooks\\a.dll, C:\\hooks\\b.dll");
    desk.Open();
    desk.Choose("hkcu-run", "Tool", ListCommand::Delete);
    desk.Choose("system-hooks", "C:\\hooks\\a.dll", ListCommand::Delete);
    desk.m.registry.SetString(kHKCURun, "Tool", "C:\\planted.exe");
    desk.m.registry.SetString(kNtWindows, "AppInit_DLLs", "C:\\hooks\\b.dll, C:\\hooks\\c.dll");
    const MachineState now = ExactSnapshot(desk.m);
    const std::vector<JournalItem> records = desk.Records();
    ASSERT_EQ(2u, records.size());
    for (const JournalItem& item : records) {
        desk.m.user.shown.clear();
        EXPECT_FALSE(desk.Restore(item));
        EXPECT_EQ(now, ExactSnapshot(desk.m));
        const std::string errors = ErrorsShown(desk.m);
        EXPECT_TRUE(errors.find("is there now") != std::string::npos ||
                    errors.find("changed since") != std::string::npos)
            << errors;
    }
    EXPECT_EQ(2u, desk.Records().size());  // a refused restore writes no record
}

// A journal folder that someone else could change is not used: nothing is
// changed, and the user is told why.
TEST(Journal, AFolderOthersCouldChangeRefusesEveryChange) {
    struct Case {
        const char* what;
        std::function<void(sim::SimMachine&)> plant;
        const char* said;
    } cases[] = {
        {"made beforehand by another owner",
         [](sim::SimMachine& m) {
             m.files.AddFolder(kJournal);
             m.files.FindFolder(kJournal)->security.owner = Trustee::Other;
             m.files.FindFolder(kJournal)->security.ownerSid = "S-1-5-21-1-2-3-1001";
         },
         "S-1-5-21-1-2-3-1001"},
        {"its parent writable by the users",
         [](sim::SimMachine& m) {
             m.files.AddFolder("C:\\ProgramData\\Quellmark");
             m.files.FindFolder("C:\\ProgramData\\Quellmark")
                 ->security.rules.push_back({Trustee::Other, "S-1-5-32-545", true, false, kFileAppendData});
         },
         "S-1-5-32-545"},
        {"no access list at all",
         [](sim::SimMachine& m) {
             m.files.AddFolder(kJournal);
             m.files.FindFolder(kJournal)->security.nullAcl = true;
         },
         "no access list"},
        {"a link in its place",
         [](sim::SimMachine& m) {
             m.files.AddFolder("C:\\users\\anna\\elsewhere");
             m.files.AddFolderLink("C:\\ProgramData\\Quellmark", "C:\\users\\anna\\elsewhere");
         },
         "link"},
        {"a file in its place", [](sim::SimMachine& m) { m.files.AddFile(kJournal); }, "not a folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Desk desk;
        desk.m.registry.SetString(kHKCURun, "Tool", "C:\\t.exe");
        c.plant(desk.m);
        desk.Open();
        const std::string before = desk.m.registry.Snapshot();
        desk.Choose("hkcu-run", "Tool", ListCommand::Delete);
        EXPECT_EQ(before, desk.m.registry.Snapshot());
        const std::string errors = ErrorsShown(desk.m);
        EXPECT_NE(std::string::npos, errors.find("was not deleted")) << errors;
        EXPECT_NE(std::string::npos, errors.find(c.said)) << errors;
        EXPECT_TRUE(desk.m.files.FilesIn("C:\\users\\anna\\elsewhere").empty());
    }
}

// A disk that fills while the record is written: the change is not made,
// and nothing of the record stays.
TEST(Journal, ARecordThatCannotBeWrittenWholeStopsTheChange) {
    Desk desk;
    const std::string folder = UserStartup(desk.m);
    desk.m.files.AddFile(folder + "\\tool.lnk").content = std::string(4096, 'x');
    desk.m.registry.SetString(kHKCURun, "Tool", "C:\\t.exe");
    desk.Open();
    desk.Choose("hkcu-run", "Tool", ListCommand::Delete);  // makes the folder, writes one record
    ASSERT_EQ(1u, desk.Records().size());
    const MachineState before = ExactSnapshot(desk.m);
    desk.m.files.freeBytes = 1000;
    desk.m.user.shown.clear();
    desk.Choose("startup-user", "tool.lnk", ListCommand::Delete);
    EXPECT_EQ(before, ExactSnapshot(desk.m));
    EXPECT_NE(std::string::npos, ErrorsShown(desk.m).find("could not be written")) << ErrorsShown(desk.m);
    EXPECT_EQ(1u, desk.Records().size());
    EXPECT_EQ(1u, desk.m.files.FilesIn(kJournal).size());
}

// A file larger than the journal keeps is not deleted.
TEST(Journal, AFileLargerThanTheJournalKeepsIsNotDeleted) {
    Desk desk;
    desk.m.files.AddFile(UserStartup(desk.m) + "\\big.exe").content = std::string(Journal::kMaxFileBytes + 1, 'x');
    desk.Open();
    desk.Choose("startup-user", "big.exe", ListCommand::Delete);
    EXPECT_TRUE(desk.m.files.Exists(UserStartup(desk.m) + "\\big.exe"));
    EXPECT_NE(std::string::npos, ErrorsShown(desk.m).find("64 MiB")) << ErrorsShown(desk.m);
    EXPECT_TRUE(desk.Records().empty());
}

// Records are hostile input: a damaged one is listed as damaged, with why,
// is never put back, and can be forgotten.
TEST(Journal, ADamagedRecordIsListedNotRestoredAndCanBeForgotten) {
    Desk desk;
    desk.m.registry.SetString(kHKCURun, "Tool", "C:\\t.exe");
    desk.m.registry.SetString(kHKCURun, "Other", "C:\\o.exe");
    desk.Open();
    desk.Choose("hkcu-run", "Tool", ListCommand::Delete);
    desk.Choose("hkcu-run", "Other", ListCommand::Delete);
    std::vector<JournalItem> records = desk.Records();
    ASSERT_EQ(2u, records.size());
    sim::SimFile* newest = desk.m.files.Find(std::string(kJournal) + "\\" + records[0].file);
    ASSERT_TRUE(newest);
    newest->content.resize(newest->content.size() / 2);  // cut short
    desk.m.files.AddFile(std::string(kJournal) + "\\notes.txt").content = "hello";
    records = desk.Records();
    ASSERT_EQ(3u, records.size());
    int damaged = 0;
    for (const JournalItem& item : records) damaged += item.record ? 0 : 1;
    EXPECT_EQ(2, damaged);
    for (const JournalItem& item : records) {
        if (item.record) continue;
        EXPECT_NE("", item.damage) << item.file;
        const ChangeCells cells = CellsOf(desk.m.platform, item);
        EXPECT_EQ(item.file, cells.entry);
        EXPECT_EQ(item.damage, cells.where);
        desk.m.user.shown.clear();
        const std::string before = desk.m.registry.Snapshot();
        EXPECT_FALSE(desk.Restore(item));
        EXPECT_EQ(before, desk.m.registry.Snapshot());
        EXPECT_NE(std::string::npos, ErrorsShown(desk.m).find("damaged"));
    }
    // Forgetting asks first, "&No" its default; answered "&Yes", the record goes.
    ActionContext context = desk.Context();
    desk.m.user.answers = {DialogResult::No};
    EXPECT_FALSE(ForgetChange(context, records[0]));
    EXPECT_TRUE(desk.m.user.shown.back().defaultNo);
    EXPECT_EQ(3u, desk.Records().size());
    desk.m.user.answers = {DialogResult::Yes};
    EXPECT_TRUE(ForgetChange(context, records[0]));
    EXPECT_EQ(2u, desk.Records().size());
}

// A journal never written is empty, not an error, and reading it makes nothing.
TEST(Journal, ReadingAJournalNeverWrittenMakesNothing) {
    Desk desk;
    desk.Open();
    EXPECT_TRUE(desk.Records().empty());
    EXPECT_FALSE(desk.m.files.FolderExists("C:\\ProgramData\\Quellmark"));
}

// The folder the program makes is the Administrators' and SYSTEM's alone.
TEST(Journal, TheFolderIsMadeForAdministratorsAndSystemOnly) {
    Desk desk;
    desk.m.registry.SetString(kHKCURun, "Tool", "C:\\t.exe");
    desk.Open();
    desk.Choose("hkcu-run", "Tool", ListCommand::Delete);
    for (const char* folder : {"C:\\ProgramData\\Quellmark", kJournal}) {
        const sim::SimFile* made = desk.m.files.FindFolder(folder);
        ASSERT_TRUE(made) << folder;
        EXPECT_EQ(Trustee::Administrators, made->security.owner);
        for (const AccessRule& rule : made->security.rules)
            EXPECT_TRUE(rule.trustee == Trustee::Administrators || rule.trustee == Trustee::LocalSystem) << rule.sid;
    }
}

TEST(JournalRecord, TextsAndBytesComeBackExactly) {
    ChangeRecord record;
    record.time = 133456789012345678ull;
    record.kind = ChangeKind::RewroteValue;
    record.category = "system-hooks";
    record.entry = std::string("a\0b\x01\x7f\"\\ \xED\xA0\x80 lone, \xF0\x9F\x98\x80 pair, Ж", 31);
    record.where = "HKEY_LOCAL_MACHINE\\SOFTWARE\\X";
    KeptValue value;
    value.root = RegRoot::LocalMachine;
    value.view = RegView::Registry32;
    value.key = "SOFTWARE\\X";
    value.subKey = "{A}";
    value.name = record.entry;
    std::vector<std::uint8_t> every;
    for (int i = 0; i < 256; ++i) every.push_back(static_cast<std::uint8_t>(i));
    value.before = RegValue{kRegMultiSz, every};
    value.after = RegValue{kRegBinary, {}};
    record.value = value;
    record.keyValues = {{"", RegValue{kRegSz, {'x', 0}}}, {"StubPath", RegValue{kRegExpandSz, {1}}}};
    record.file = KeptFile{"C:\\F\\", "n", 0x27, 1, 2, 3, {0, 1, 2}};
    record.task = KeptTask{"C:\\T\\", "\\Sub", "t", {0xFF, 0xFE, 'x', 0}, false};
    KeptService service;
    service.name = "svc";
    service.config = {1, 2, "p", 3, "g", {"a", "+b"}, "acct", "disp"};
    service.description = std::nullopt;
    service.values = {{"Parameters", "ServiceDll", RegValue{kRegExpandSz, {'d'}}}};
    service.startAfter = kServiceDisabled;
    record.service = service;
    std::string error;
    const std::optional<ChangeRecord> back = DecodeRecord(EncodeRecord(record), error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(EncodeRecord(record), EncodeRecord(*back));
    EXPECT_EQ(record.entry, back->entry);
    EXPECT_EQ(record.value->name, back->value->name);
    EXPECT_EQ(every, back->value->before->data);
    EXPECT_EQ(RegView::Registry32, back->value->view);
    EXPECT_EQ(record.service->config.dependencies, back->service->config.dependencies);
    EXPECT_FALSE(back->service->description);
    EXPECT_EQ(false, back->task->enabledAfter);
    // The file holds no raw control character and no byte that is not UTF-8.
    const std::string text = EncodeRecord(record);
    for (size_t i = 0; i + 1 < text.size(); ++i) EXPECT_GE(static_cast<unsigned char>(text[i]), 0x20u) << i;
    EXPECT_EQ(std::string::npos, text.find("\xED\xA0\x80"));
}

TEST(JournalRecord, WhatIsNoRecordOfThisVersionIsRefused) {
    ChangeRecord good;
    good.kind = ChangeKind::DeletedValue;
    good.value = KeptValue{.name = "x", .before = RegValue{kRegSz, {'a', 0}}};
    const std::string text = EncodeRecord(good);
    const auto with = [&](const std::string& from, const std::string& to) {
        std::string changed = text;
        const size_t at = changed.find(from);
        EXPECT_NE(std::string::npos, at) << from;
        return at == std::string::npos ? changed : changed.replace(at, from.size(), to);
    };
    const std::string cases[] = {
        "",
        "[]",
        text.substr(0, text.size() / 2),
        with("\"quellmark-change\"", "\"other\""),
        with("\"version\":1", "\"version\":2"),
        with("\"kind\":\"deleted-value\"", "\"kind\":\"formatted-disk\""),
        with("\"data\":\"YQA=\"", "\"data\":\"Y*A=\""),
        with("\"data\":\"YQA=\"", "\"data\":\"YQA\""),
        with("\"type\":1", "\"type\":-1"),
        with("\"type\":1", "\"type\":99999999999"),
        with(",\"before\":{\"type\":1,\"data\":\"YQA=\"}", ",\"before\":null"),
        with("\"root\":\"HKEY_CURRENT_USER\"", "\"root\":\"HKCU\""),
        std::string(200, '['),
    };
    for (const std::string& c : cases) {
        std::string error;
        EXPECT_FALSE(DecodeRecord(c, error)) << c;
        EXPECT_NE("", error) << c;
    }
    std::string error;
    EXPECT_TRUE(DecodeRecord(text, error)) << error;
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

// Wine keeps no security descriptors: a folder is owned by the one user
// every program of the prefix runs as, and grants that user and SYSTEM.
// There such a folder is used; one that grants anyone else is not.
TEST(Journal, UnderWineTheFolderIsTheOneUsersAndNoOneElses) {
    const EntrySecurity wineMade{Trustee::Other,
                                 "S-1-5-21-0-0-0-1000",
                                 false,
                                 {{Trustee::Other, "S-1-5-21-0-0-0-1000", true, false, 0x1F01FFu},
                                  {Trustee::LocalSystem, "S-1-5-18", true, false, 0x1F01FFu}}};
    for (const bool everyone : {false, true}) {
        SCOPED_TRACE(everyone ? "writable by Everyone" : "the user's and SYSTEM's");
        Desk desk;
        desk.m.system.wine = true;
        desk.m.registry.SetString(kHKCURun, "Tool", "C:\\t.exe");
        for (const char* folder : {"C:\\ProgramData\\Quellmark", kJournal}) {
            desk.m.files.AddFolder(folder);
            desk.m.files.FindFolder(folder)->security = wineMade;
        }
        if (everyone)
            desk.m.files.FindFolder(kJournal)->security.rules.push_back(
                {Trustee::Other, "S-1-1-0", true, false, kFileWriteData});
        desk.Open();
        desk.Choose("hkcu-run", "Tool", ListCommand::Delete);
        EXPECT_EQ(everyone, desk.m.registry.HasValue(kHKCURun, "Tool"));
        EXPECT_EQ(everyone ? 0u : 1u, desk.m.files.FilesIn(kJournal).size());
    }
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

// A scheduler that registers a task and writes a file without its actions
// (Wine 8's) has not put it back: under Wine, where the file is what runs,
// the file is given the definition; elsewhere the user is told.
TEST(Journal, ATaskIsPutBackOnlyWithItsActions) {
    for (const bool wine : {false, true}) {
        SCOPED_TRACE(wine ? "under Wine" : "on Windows");
        Desk desk;
        desk.m.system.wine = wine;
        desk.m.tasks.registerDropsActions = true;
        sim::SimFile file;
        file.content = "<Task><Actions><Exec><Command>C:\\tools\\nightly.exe</Command></Exec></Actions></Task>";
        desk.m.files.AddFile(std::string(kTasks) + "\\Nightly", file);
        desk.Open();
        desk.Choose("tasks", "\\Nightly", ListCommand::Delete);
        ASSERT_FALSE(desk.m.files.Exists(std::string(kTasks) + "\\Nightly"));
        const std::vector<JournalItem> records = desk.Records();
        ASSERT_EQ(1u, records.size());
        desk.m.user.shown.clear();
        EXPECT_EQ(wine, desk.Restore(records[0]));
        const sim::SimFile* back = desk.m.files.Find(std::string(kTasks) + "\\Nightly");
        ASSERT_TRUE(back);
        EXPECT_EQ(wine, back->content == file.content);
        EXPECT_EQ(wine ? std::string::npos : 0u, ErrorsShown(desk.m).find("\"\\Nightly\" was not put back"))
            << ErrorsShown(desk.m);
    }
}

}  // namespace
}  // namespace qm
