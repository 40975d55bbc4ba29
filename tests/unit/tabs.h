// The main window's tabs by position, as the host tests name them.
#pragma once

namespace qm::testing {

enum Tab {
    HKCURun,
    HKLMRun,
    CommonStartup,
    UserStartup,
    HKCURunOnce,
    HKLMRunOnce,
    ShellObject,
    RunOnceEx,
    Services,
    ActiveX,
    WinLogon,
    LoadRun,
    HKLMExplorer,
    HKCUExplorer,
    Desktop,
    ScheduledTasks,
    SystemHooks,
    ServicesAndDrivers
};

}  // namespace qm::testing
