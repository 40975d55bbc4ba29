// An in-memory Windows machine: registry, files with shortcuts, services,
// shell icons, token, system names and a scripted user. The host build runs
// the program's logic against it; the contract tests hold it to Windows.
#pragma once
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_processes.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_toolkit.h"
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
    SimProcesses processes{files, system};  // system is bound here, used only later
    SimSystem system;
    SimToken token;
    SimUser user;
    SimToolkit toolkit;
    SimClock clock;  // drives the main form's Timer1 once attached
    Platform platform{registry, services, shell, files, versions, processes, system, token, user, toolkit};
};

}  // namespace qm::sim
