// The "Scheduled Tasks" tab: every task file below System32\Tasks, in every
// folder, read as hostile input; Delete goes through the Task Scheduler and
// only while the task file still holds what was listed.
#include <gtest/gtest.h>

#include "core/categories/row_marks.h"
#include "core/collectors/scheduled_tasks.h"
#include "forms/item_form.h"
#include "forms/main_form.h"
#include "machine_snapshot.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr int kTab = TabOf("tasks");
constexpr const char* kTasks = "C:\\windows\\System32\\Tasks\\";
constexpr std::uint32_t kSilver = 12632256;

// A task file as the scheduler writes it: UTF-16 with its byte-order mark.
std::string Utf16(const std::string& text) {
    std::string out("\xFF\xFE", 2);
    for (char c : text) out += std::string{c, '\0'};
    return out;
}

std::string TaskXml(const std::string& triggers, const std::string& actions, bool enabled = true) {
    return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
           "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
           "<RegistrationInfo><Author>qm</Author></RegistrationInfo>"
           "<Triggers>" +
           triggers + "</Triggers><Settings><Enabled>" + (enabled ? "true" : "false") +
           "</Enabled></Settings><Actions Context=\"Author\">" + actions + "</Actions></Task>";
}

std::string Exec(const std::string& command, const std::string& arguments = "") {
    return "<Exec><Command>" + command + "</Command>" +
           (arguments.empty() ? "" : "<Arguments>" + arguments + "</Arguments>") + "</Exec>";
}

void AddTask(sim::SimMachine& m, const std::string& path, const std::string& content) {
    sim::SimFile file;
    file.content = content;
    m.files.AddFile(kTasks + path, file);
}

std::vector<std::vector<std::string>> Rows(const EntryList& list) {
    std::vector<std::vector<std::string>> rows;
    for (const Entry& row : list.Rows()) {
        std::vector<std::string> cells{row.name};
        for (const std::string& s : CellsAfterName("tasks", row)) cells.push_back(s);
        rows.push_back(cells);
    }
    return rows;
}

TEST(TaskDefinition, ActionsTriggersAndTheEnabledSettingAreRead) {
    sim::SimMachine m;
    struct Case {
        std::string document;
        std::vector<std::string> actions, triggers;
        bool enabled;
    } cases[] = {
        {Utf16(TaskXml("<LogonTrigger><Enabled>true</Enabled></LogonTrigger>",
                       Exec("C:\\qm\\one.exe", "-a &amp; b") + Exec("\"C:\\Program Files\\qm\\two.exe\""))),
         {"C:\\qm\\one.exe|-a & b", "\"C:\\Program Files\\qm\\two.exe\"|"},
         {"logon"},
         true},
        {TaskXml("<BootTrigger/><CalendarTrigger/><TimeTrigger/><EventTrigger/><IdleTrigger/><RegistrationTrigger/>",
                 Exec("%windir%\\system32\\x.exe"), false),
         {"%windir%\\system32\\x.exe|"},
         {"boot", "time", "event", "other"},
         false},
        {TaskXml("", "<ComHandler><ClassId>{0-1}</ClassId></ComHandler>"), {"(COM handler {0-1})|"}, {}, true},
        // Elements of the same names elsewhere are no action, trigger or setting.
        {"<Task><RegistrationInfo><Exec><Command>no.exe</Command></Exec><Enabled>false</Enabled></RegistrationInfo>"
         "<Actions><Exec><Command>yes.exe</Command></Exec></Actions></Task>",
         {"yes.exe|"},
         {},
         true},
    };
    for (const Case& c : cases) {
        std::string problem;
        const TaskDefinition task =
            ReadTaskDefinition(m.platform, std::vector<std::uint8_t>(c.document.begin(), c.document.end()), problem);
        EXPECT_EQ("", problem) << c.document;
        std::vector<std::string> actions;
        for (const TaskAction& a : task.actions) actions.push_back(a.command + "|" + a.arguments);
        EXPECT_EQ(c.actions, actions) << c.document;
        EXPECT_EQ(c.triggers, task.triggers) << c.document;
        EXPECT_EQ(c.enabled, task.enabled) << c.document;
    }
}

TEST(TaskDefinition, ADocumentTheReaderRefusesSaysWhyAndNeverFails) {
    sim::SimMachine m;
    std::string deep;
    for (int i = 0; i < 200; ++i) deep += "<a>";
    const std::string cases[] = {
        "",
        "<Task><Actions>",
        "<Task></Actions></Task>",
        "<!DOCTYPE Task [<!ENTITY x \"y\">]><Task>&x;</Task>",
        "<Task>&unknown;</Task>",
        "<Task/><Task/>",
        "<Task" + deep,
        "<Task>" + deep,
        std::string("\xFF\xFE<\x01", 4),
    };
    for (const std::string& document : cases) {
        std::string problem;
        ReadTaskDefinition(m.platform, std::vector<std::uint8_t>(document.begin(), document.end()), problem);
        EXPECT_NE("", problem) << document;
    }
}

// A reader that takes anything, as Wine's does a file of plain text: what
// it lets through is still no task definition.
class LenientReader : public sim::SimTasks {
public:
    using SimTasks::SimTasks;
    std::vector<XmlEvent> events;
    bool ReadXml(const std::vector<std::uint8_t>&, std::vector<XmlEvent>& out, std::string&) override {
        out = events;
        return true;
    }
};

TEST(TaskDefinition, WhatALenientReaderLetsThroughIsNoTaskUnlessItIsOneClosedTaskElement) {
    sim::SimMachine m;
    LenientReader reader(m.files);
    Platform platform{m.registry,  m.services, m.shell, m.files, m.versions,
                      m.processes, m.system,   m.token, m.user,  reader};
    using E = XmlEvent;
    struct Case {
        std::vector<XmlEvent> events;
        const char* problem;
    } cases[] = {
        {{}, "no XML element"},
        {{{E::Text, 0, "", "MZ this is no task"}}, "no XML element"},
        {{{E::Start, 0, "Task", ""}, {E::Start, 1, "Actions", ""}}, "the document ends inside an element"},
        {{{E::Start, 0, "Other", ""}, {E::End, 0, "Other", ""}}, "not a task definition (<Other>)"},
        {{{E::Start, 0, "Task", ""}, {E::End, 0, "Task", ""}}, ""},
    };
    for (const Case& c : cases) {
        reader.events = c.events;
        std::string problem;
        ReadTaskDefinition(platform, {}, problem);
        EXPECT_EQ(c.problem, problem);
    }
}

TEST(ScheduledTasks, EveryTaskOfEveryFolderIsARow) {
    sim::SimDesktop m;
    AddTask(m, "Root Task", TaskXml("<TimeTrigger/>", Exec("C:\\qm\\root.exe")));
    AddTask(m, "Sub\\Logon Task",
            Utf16(TaskXml("<LogonTrigger/>", Exec("C:\\qm\\one.exe", "-x") + Exec("notepad.exe", "C:\\a.txt"))));
    AddTask(m, "Sub\\Deeper\\Off", TaskXml("<BootTrigger/>", Exec("C:\\qm\\off.exe"), false));
    AddTask(m, "Sub\\Broken", "<Task><Actions>");
    sim::SimFile huge;
    huge.content = std::string(kMaxTaskFileBytes + 1, ' ');
    m.files.AddFile(std::string(kTasks) + "Huge", huge);
    // A folder that is a link is not followed: it could lead anywhere, back up included.
    m.files.AddFolder("C:\\Elsewhere");
    AddTask(m, "..\\..\\..\\Elsewhere\\Hidden", TaskXml("", Exec("C:\\qm\\hidden.exe")));
    m.files.AddFolderLink(std::string(kTasks) + "Link", "C:\\Elsewhere");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    const EntryList& list = form.ListOf(kTab);
    const std::string t = kTasks;
    const std::vector<std::vector<std::string>> expected{
        {"\\Root Task", "C:\\qm\\root.exe", "time", "yes", "C:\\qm\\root.exe", t + "Root Task"},
        {"\\Huge", "(could not be read: larger than a task file)", "", "", "", t + "Huge"},
        {"\\Sub\\Logon Task", "C:\\qm\\one.exe -x; notepad.exe C:\\a.txt", "logon", "yes", "C:\\qm\\one.exe",
         t + "Sub\\Logon Task"},
        {"\\Sub\\Broken", "(could not be read: the document ends inside an element)", "", "", "", t + "Sub\\Broken"},
        {"\\Sub\\Deeper\\Off", "C:\\qm\\off.exe", "boot", "no", "C:\\qm\\off.exe", t + "Sub\\Deeper\\Off"},
    };
    EXPECT_EQ(expected, Rows(list));
    EXPECT_EQ("Scheduled Tasks (5)", form.TabCaptions[kTab]);
    EXPECT_TRUE(m.user.shown.empty());
    // The disabled task is drawn in silver, the others as the list draws them.
    for (int i = 0; i < list.Count(); ++i) {
        const std::uint32_t colour = MarkColour(list.Row(i).mark).value_or(0u);
        EXPECT_EQ(i == 4 ? kSilver : 0u, colour) << i;
    }
}

TEST(ScheduledTasks, AThirtyTwoBitProgramOnSixtyFourBitWindowsReadsTheRealTasksFolder) {
    sim::SimDesktop m;
    m.Make64Bit();
    AddTask(m, "Real", TaskXml("<LogonTrigger/>", Exec("C:\\qm\\real.exe")));
    sim::SimFile decoy;
    decoy.content = TaskXml("", Exec("C:\\qm\\decoy.exe"));
    m.files.AddFile("C:\\windows\\SysWOW64\\Tasks\\Decoy", decoy);
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    ASSERT_EQ(1, form.ListOf(kTab).Count());
    EXPECT_EQ("\\Real", form.ListOf(kTab).Row(0).name);
    EXPECT_EQ(std::string(kTasks) + "Real", ShownCell("tasks", form.ListOf(kTab).Row(0), 5));
}

class ScheduledTaskActions : public ::testing::Test {
protected:
    void SetUp() override {
        AddTask(m, "Sub\\Logon Task", Utf16(TaskXml("<LogonTrigger/>", Exec("C:\\qm\\one.exe", "-x"))));
        AddTask(m, "Sub\\Other", TaskXml("<BootTrigger/>", Exec("C:\\qm\\two.exe")));
        m.files.AddFolder("C:\\qm");
        m.files.AddFile("C:\\qm\\one.exe");
        form = std::make_unique<MainForm>(m.platform, m.toolkit);
        form->ScanAtStart();
        ASSERT_EQ(2, form->ListOf(kTab).Count());
        form->ListOf(kTab).SetSelection(0, 1);  // the focus on the other row
    }
    std::vector<std::string> Captions() {
        std::vector<std::string> captions;
        for (const Entry& row : form->ListOf(kTab).Rows()) captions.push_back(row.name);
        return captions;
    }

    sim::SimDesktop m;
    std::unique_ptr<MainForm> form;
};

TEST_F(ScheduledTaskActions, NoChangesNothingAndYesDeletesTheTaskThroughTheScheduler) {
    const testing::MachineState before = testing::Snapshot(m);
    m.user.answers = {DialogResult::No};
    form->ListCommandClick(kTab, ListCommand::Delete);
    ASSERT_EQ(1u, m.user.shown.size());
    EXPECT_EQ("Are you sure want to delete autorun \"\\Sub\\Logon Task\" ?", m.user.shown[0].text);
    EXPECT_EQ(before, testing::Snapshot(m));
    EXPECT_TRUE(m.tasks.deletions.empty());

    form->ListOf(kTab).SetSelection(0, 1);
    m.user.answers = {DialogResult::Yes};
    form->ListCommandClick(kTab, ListCommand::Delete);
    EXPECT_EQ(std::vector<std::string>{"\\Sub|Logon Task"}, m.tasks.deletions);
    testing::MachineState expected = before;
    expected.erase(testing::FileEntry(std::string(kTasks) + "Sub\\Logon Task"));
    EXPECT_EQ(expected, testing::Snapshot(m));
    EXPECT_EQ(std::vector<std::string>{"\\Sub\\Other"}, Captions());
    EXPECT_EQ("Scheduled Tasks (1)", form->TabCaptions[kTab]);
    EXPECT_EQ(2u, m.user.shown.size());
}

TEST_F(ScheduledTaskActions, ATaskRewrittenWhileTheQuestionIsOpenOrRefusedIsLeftAlone) {
    struct Case {
        const char* what;
        bool rewrite;
        long schedulerResult;
        const char* error;
    } cases[] = {
        {"rewritten", true, 0, "\"\\Sub\\Logon Task\" was not deleted: its task file changed since it was listed."},
        {"refused", false, static_cast<long>(0x80070005u),
         "\"\\Sub\\Logon Task\" was not deleted: the Task Scheduler refused (error 0x80070005)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m.user.shown.clear();
        m.tasks.deletions.clear();
        m.tasks.deleteResult = c.schedulerResult;
        m.user.whileShown = [&](const DialogRequest& request) {
            if (c.rewrite && request.kind == DialogKind::Confirmation)
                m.files.Find(std::string(kTasks) + "Sub\\Logon Task")->content =
                    TaskXml("<LogonTrigger/>", Exec("C:\\evil.exe"));
        };
        form->ListOf(kTab).SetSelection(0, 1);
        m.user.answers = {DialogResult::Yes};
        form->ListCommandClick(kTab, ListCommand::Delete);
        ASSERT_EQ(2u, m.user.shown.size());
        EXPECT_EQ(DialogKind::Error, m.user.shown[1].kind);
        EXPECT_EQ(c.error, m.user.shown[1].text);
        EXPECT_EQ(c.rewrite ? 0u : 1u, m.tasks.deletions.size());
        EXPECT_TRUE(m.files.Exists(std::string(kTasks) + "Sub\\Logon Task"));
        EXPECT_EQ(2, form->ListOf(kTab).Count());
    }
}

// Disable and Enable go through the Task Scheduler's own switch, which
// writes the change into the task's file; the row is silver while the task
// is disabled. As for a deletion, a task rewritten while the question is
// open, or one the scheduler refuses, is left alone and the user told why.
TEST_F(ScheduledTaskActions, DisableAndEnableGoThroughTheSchedulerWhileTheFileIsAsListed) {
    const auto other = [&]() -> const Entry& { return form->ListOf(kTab).Row(1); };
    form->ListOf(kTab).SetSelection(1, 1);
    EXPECT_EQ("Disa&ble", form->StartupToggleCaption(kTab));
    const testing::MachineState before = testing::Snapshot(m);
    m.user.answers = {DialogResult::No};
    form->ListCommandClick(kTab, ListCommand::ToggleStartup);
    ASSERT_EQ(1u, m.user.shown.size());
    EXPECT_EQ(
        "Disable the task \"\\Sub\\Other\"? The Task Scheduler will not start it; the task stays as it is, "
        "and can be enabled again.",
        m.user.shown[0].text);
    EXPECT_EQ(before, testing::Snapshot(m));
    EXPECT_TRUE(m.tasks.enablings.empty());

    m.user.answers = {DialogResult::Yes};
    form->ListCommandClick(kTab, ListCommand::ToggleStartup);
    EXPECT_EQ(std::vector<std::string>{"\\Sub|Other|off"}, m.tasks.enablings);
    EXPECT_EQ(Mark::Disabled, other().mark);
    form->ListOf(kTab).SetSelection(1, 1);
    EXPECT_EQ("&Enable", form->StartupToggleCaption(kTab));
    m.user.answers = {DialogResult::Yes};
    form->ListCommandClick(kTab, ListCommand::ToggleStartup);
    EXPECT_EQ("Enable the task \"\\Sub\\Other\"? The Task Scheduler will start it again when its triggers come.",
              m.user.shown.back().text);
    EXPECT_EQ((std::vector<std::string>{"\\Sub|Other|off", "\\Sub|Other|on"}), m.tasks.enablings);
    EXPECT_EQ(Mark::None, other().mark);
    EXPECT_EQ(3u, m.user.shown.size());

    struct Case {
        const char* what;
        bool rewrite;
        long schedulerResult;
        bool fileLeft;  // the scheduler says it did and leaves the file as it was
        const char* error;
    } cases[] = {
        {"rewritten", true, 0, false, "\"\\Sub\\Other\" was not disabled: its task file changed since it was listed."},
        {"refused", false, static_cast<long>(0x80004001u), false,
         "\"\\Sub\\Other\" was not disabled: the Task Scheduler refused (error 0x80004001)."},
        {"accepted, file left", false, 0, true,
         "\"\\Sub\\Other\" was not disabled: the Task Scheduler accepted the change, but the task's file does not "
         "say so."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m.user.shown.clear();
        m.tasks.enablings.clear();
        m.tasks.enableResult = c.schedulerResult;
        m.tasks.enableLeavesFile = c.fileLeft;
        m.user.whileShown = [&](const DialogRequest& request) {
            if (c.rewrite && request.kind == DialogKind::Confirmation)
                m.files.Find(std::string(kTasks) + "Sub\\Other")->content =
                    TaskXml("<BootTrigger/>", Exec("C:\\evil.exe"));
        };
        form->ListOf(kTab).SetSelection(1, 1);
        m.user.answers = {DialogResult::Yes};
        form->ListCommandClick(kTab, ListCommand::ToggleStartup);
        ASSERT_EQ(2u, m.user.shown.size());
        EXPECT_EQ(c.error, m.user.shown[1].text);
        EXPECT_EQ(c.rewrite ? 0u : 1u, m.tasks.enablings.size());
        EXPECT_EQ(Mark::None, other().mark);
        m.user.whileShown = nullptr;
        AddTask(m, "Sub\\Other", TaskXml("<BootTrigger/>", Exec("C:\\qm\\two.exe")));
        form->Refill(kTab);
    }
}

TEST_F(ScheduledTaskActions, JumpToAndPropertiesShowTheTasksFolderAndProgram) {
    form->ListCommandClick(kTab, ListCommand::JumpTo);
    std::vector<std::string> started;
    for (const auto& call : m.processes.calls)
        if (call.kind == sim::WindowCall::Start) started.push_back(call.text);
    EXPECT_EQ(std::vector<std::string>{"\"C:\\windows\\explorer.exe\" \"C:\\windows\\System32\\Tasks\\Sub\""}, started);
    form->ListOf(kTab).SetSelection(0, 1);
    form->ListDblClick(kTab);
    EXPECT_EQ("\\Sub\\Logon Task", form->itemDialog->title);
    EXPECT_EQ("C:\\qm\\one.exe", form->itemDialog->command);
    EXPECT_EQ("C:\\windows\\System32\\Tasks\\Sub\\", form->itemDialog->location);
    EXPECT_TRUE(m.user.shown.empty());
}

}  // namespace
}  // namespace qm
