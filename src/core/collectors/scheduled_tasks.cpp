// Every scheduled task, in every task folder, read from the XML file the
// Task Scheduler keeps for it below <windows>\System32\Tasks: the folder is
// the one source that Windows and Wine both fill (Wine's scheduler interface
// registers tasks but enumerates none). The files are written by whoever
// registered the task, so they are read as hostile input: bounded in size
// and nesting, and a file that cannot be read is a row saying so.
#include "core/collectors/scheduled_tasks.h"
#include "core/collectors/collector.h"
#include "core/model/hook_list.h"
#include "core/model/native_path.h"

namespace qm {

namespace {

constexpr std::uint32_t kAllEntries =
    kFileAttributeDirectory | kFileAttributeHidden | kFileAttributeSystem | kFileAttributeReadonly | 0x8u;

const char* TriggerKind(const std::string& element) {
    if (element == "LogonTrigger") return "logon";
    if (element == "BootTrigger") return "boot";
    if (element == "TimeTrigger" || element == "CalendarTrigger") return "time";
    if (element == "EventTrigger") return "event";
    return "other";
}

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
    return text;
}

struct Walker {
    ScanContext& context;
    RowReader& rows;
    std::string windows;

    void Task(const std::string& folder, const std::string& taskFolder, const std::string& name) {
        Entry& row = rows.Start();
        row.name = TaskPathIn(taskFolder, name);
        TaskLocation where{.folder = folder, .taskFolder = taskFolder, .name = name};
        const long error = context.platform.files.ReadFileBytes(NativePath(context.platform, folder + name),
                                                                kMaxTaskFileBytes, where.listed);
        where.read = error == kErrorSuccess;
        TaskDefinition task;
        std::string problem;
        if (error == kErrorFileTooLarge) problem = "larger than a task file";
        else if (error != kErrorSuccess) problem = "error " + std::to_string(error);
        else task = ReadTaskDefinition(context.platform, where.listed, problem);
        std::vector<std::string> actions;
        for (const TaskAction& action : task.actions)
            actions.push_back(action.arguments.empty() ? action.command : action.command + " " + action.arguments);
        row.task.actions = problem.empty() ? Joined(actions, "; ") : "(could not be read: " + problem + ")";
        row.task.triggers = Joined(task.triggers, ", ");
        if (problem.empty()) row.task.enabled = task.enabled;
        if (row.task.enabled == false) row.mark = Mark::Disabled;
        const std::string file =
            task.actions.empty() || task.actions[0].command.empty()
                ? std::string()
                : HookFileOf("\"" + task.actions[0].command + "\"", HookFile::CommandLine, windows);
        row.command = file;
        row.where = std::move(where);
        rows.Finish(context, IconSource{file});
    }

    void Folder(const std::string& folder, const std::string& taskFolder, int depth) {
        std::vector<FoundFile> found;
        context.platform.files.FindFiles(NativePath(context.platform, folder + "*"), kAllEntries, found);
        std::vector<std::string> subFolders;
        for (const FoundFile& entry : found) {
            if (entry.name == "." || entry.name == "..") continue;
            if (!(entry.attributes & kFileAttributeDirectory)) {
                Task(folder, taskFolder, entry.name);
                continue;
            }
            // A folder that is a link leads elsewhere, perhaps back up: not followed.
            if (!(entry.attributes & kFileAttributeReparsePoint)) subFolders.push_back(entry.name);
        }
        if (depth >= kMaxTaskFolderDepth) return;
        for (const std::string& sub : subFolders) Folder(folder + sub + "\\", TaskPathIn(taskFolder, sub), depth + 1);
    }
};

}  // namespace

TaskDefinition ReadTaskDefinition(Platform& platform, const std::vector<std::uint8_t>& document, std::string& problem) {
    TaskDefinition task;
    std::vector<XmlEvent> events;
    if (!platform.tasks.ReadXml(document, events, problem)) {
        if (problem.empty()) problem = "not well-formed XML";
        return task;
    }
    // Whatever the reader let through: a document is one element, closed,
    // and a task definition's is <Task>.
    int open = 0;
    for (const XmlEvent& e : events) open += e.kind == XmlEvent::Start ? 1 : e.kind == XmlEvent::End ? -1 : 0;
    if (events.empty() || events.front().kind != XmlEvent::Start) {
        problem = "no XML element";
        return task;
    }
    if (open != 0) {
        problem = "the document ends inside an element";
        return task;
    }
    if (events.front().name != "Task") {
        problem = "not a task definition (<" + events.front().name + ">)";
        return task;
    }
    std::vector<std::string> path;  // the open elements' names
    const auto at = [&](std::initializer_list<const char*> names) {
        if (path.size() != names.size()) return false;
        size_t i = 0;
        for (const char* name : names)
            if (path[i++] != name) return false;
        return true;
    };
    for (const XmlEvent& e : events) {
        switch (e.kind) {
            case XmlEvent::Start:
                path.push_back(e.name);
                if (at({"Task", "Actions", "Exec"})) task.actions.push_back({});
                if (at({"Task", "Actions", "ComHandler"})) task.actions.push_back({"(COM handler)", ""});
                if (path.size() == 3 && path[0] == "Task" && path[1] == "Triggers") {
                    const std::string kind = TriggerKind(e.name);
                    bool seen = false;
                    for (const std::string& t : task.triggers) seen |= t == kind;
                    if (!seen) task.triggers.push_back(kind);
                }
                break;
            case XmlEvent::End:
                if (!path.empty()) path.pop_back();
                break;
            case XmlEvent::Text:
                if (at({"Task", "Actions", "Exec", "Command"}) && !task.actions.empty())
                    task.actions.back().command += e.text;
                else if (at({"Task", "Actions", "Exec", "Arguments"}) && !task.actions.empty())
                    task.actions.back().arguments += e.text;
                else if (at({"Task", "Actions", "ComHandler", "ClassId"}) && !task.actions.empty())
                    task.actions.back().command = "(COM handler " + e.text + ")";
                else if (at({"Task", "Settings", "Enabled"})) task.enabled = e.text.find("false") == std::string::npos;
                break;
        }
    }
    return task;
}

void ScanScheduledTasks(ScanContext& context, RowReader& rows) {
    Walker walker{context, rows, {}};
    if (!context.platform.system.GetWindowsDirectory(walker.windows) || walker.windows.empty()) return;
    while (walker.windows.size() > 3 && walker.windows.back() == '\\') walker.windows.pop_back();
    walker.Folder(walker.windows + "\\System32\\Tasks\\", "\\", 0);
}

}  // namespace qm
