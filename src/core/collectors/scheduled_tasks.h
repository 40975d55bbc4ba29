// The pieces of the scheduled-task collector that the tests reach directly.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace qm {

// A task file larger than this is not read: the system's own are a few kilobytes.
inline constexpr std::uint32_t kMaxTaskFileBytes = 1u << 20;
// Task folders deeper than this are not walked.
inline constexpr int kMaxTaskFolderDepth = 16;

// A task's path in the Task Scheduler: "\\Name" in the root folder "\\",
// "\\Sub\\Name" below it.
inline std::string TaskPathIn(const std::string& taskFolder, const std::string& name) {
    return (taskFolder == "\\" ? std::string() : taskFolder) + "\\" + name;
}

struct TaskAction {
    std::string command;
    std::string arguments;
};

struct TaskDefinition {
    std::vector<TaskAction> actions;    // each Exec action (and each COM handler), in order
    std::vector<std::string> triggers;  // "logon", "boot", "time", "event", "other", each once, in order
    bool enabled = true;                // Settings/Enabled is not "false"
};

// What a task file defines. `problem` says why it is not a document the
// reader takes (the definition then holds what came before the fault).
TaskDefinition ReadTaskDefinition(Platform& platform, const std::vector<std::uint8_t>& document, std::string& problem);

}  // namespace qm
