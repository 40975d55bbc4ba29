// An in-memory Windows machine: registry, files with shortcuts, services,
// shell icons, token, system names and a scripted user. The host build runs
// the program's logic against it; the contract tests hold it to Windows. The
// windows that show the program's forms are the user interface's
// (ui/sim/sim_desktop.h), not the machine's.
#pragma once
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_processes.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_tasks.h"
#include "platform/sim/sim_versions.h"

namespace qm::sim {

class SimMachine {
public:
    SimMachine();
    SimRegistry registry;
    SimFileSystem files;
    SimShell shell{files};
    SimServices services;
    SimVersions versions{files};
    SimProcesses processes{files, system, token};  // system and token are bound here, used only later
    SimSystem system;
    SimToken token;
    SimUser user;
    SimTasks tasks{files};
    Platform platform{registry, services, shell, files, versions, processes, system, token, user, tasks};

    // A 64-bit Windows machine, the program a 32-bit one on it (under WOW64)
    // or a 64-bit one.
    void Make64Bit(bool program64 = false) {
        registry.windows64 = system.windows64 = true;
        registry.process64 = system.program64 = program64;
        files.wow64Program = !program64;
    }
};

}  // namespace qm::sim
