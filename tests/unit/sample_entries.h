// Entries that several tests put on the simulated machine the same way.
#pragma once
#include <string>

#include "platform/sim/sim.h"

namespace qm::testing {

// A shortcut named `name` in the user's Startup folder, leading to `target`.
inline void AddUserStartupShortcut(sim::SimMachine& m, const std::string& name, const std::string& target) {
    sim::SimFile link;
    link.shortcutTarget = target;
    m.files.AddFile(m.shell.specialFolders.at(kCsidlStartup) + "\\" + name, link);
}

// A running service of its own process.
inline void AddRunningService(sim::SimMachine& m, const std::string& name, const std::string& displayName,
                              const std::string& commandLine) {
    sim::SimService service;
    service.name = name;
    service.displayName = displayName;
    service.commandLine = commandLine;
    m.services.Add(service);
}

// A task file below the Tasks folder that starts `command` at logon.
inline void AddLogonTask(sim::SimMachine& m, const std::string& path, const std::string& command) {
    sim::SimFile task;
    task.content =
        "<?xml version=\"1.0\"?><Task xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
        "<Triggers><LogonTrigger/></Triggers><Actions><Exec><Command>" +
        command + "</Command></Exec></Actions></Task>";
    m.files.AddFile("C:\\windows\\System32\\Tasks\\" + path, task);
}

}  // namespace qm::testing
