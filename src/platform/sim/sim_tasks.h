// The simulated Task Scheduler: the XML reader the system offers (a small
// reader of well-formed documents that, as the system's, refuses a DTD and
// a nesting deeper than its bound) and task deletion, which removes the
// task's file below the Tasks folder as the scheduler does.
#pragma once
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_files.h"

namespace qm::sim {

class SimTasks : public ITasks {
public:
    explicit SimTasks(SimFileSystem& files) : files_(files) {}
    bool ReadXml(const std::vector<std::uint8_t>& document, std::vector<XmlEvent>& events, std::string& error) override;
    long DeleteTask(const std::string& folder, const std::string& name) override;
    long SetTaskEnabled(const std::string& folder, const std::string& name, bool enabled) override;
    // Writes the definition as the task's file, in UTF-16LE after its mark
    // as Windows keeps task files (Wine 8 writes UTF-8 of its own rendering).
    long RegisterTask(const std::string& folder, const std::string& name, const std::string& xml) override;
    long registerResult = 0;  // an HRESULT other than S_OK: the scheduler refuses and changes nothing
    // Wine 8's scheduler: the task's file is written from its own model of
    // the task, which leaves the actions out.
    bool registerDropsActions = false;

    static constexpr int kMaxDepth = 64;
    // The folder the scheduler keeps its task files in.
    std::string tasksFolder = "C:\\windows\\System32\\Tasks";
    // Every deletion asked for, as "folder|name".
    std::vector<std::string> deletions;
    // "folder|name|on" or "...|off" for each SetTaskEnabled call; the task's
    // file then says so, in its <Settings><Enabled> element.
    std::vector<std::string> enablings;
    long enableResult = 0;          // an HRESULT other than S_OK: the scheduler refuses and changes nothing
    bool enableLeavesFile = false;  // the scheduler says it did and leaves the file as it was (Wine's)
    long deleteResult = 0;          // an HRESULT other than S_OK: the scheduler refuses and changes nothing
    bool available = true;          // false: the scheduler cannot be reached (REGDB_E_CLASSNOTREG)

private:
    SimFileSystem& files_;
};

}  // namespace qm::sim
