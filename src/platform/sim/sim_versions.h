// Simulated version resources, read from the files that carry them.
#pragma once
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_files.h"

namespace qm::sim {

class SimVersions : public IVersionResources {
public:
    explicit SimVersions(SimFileSystem& files) : files_(files) {}
    std::uint32_t GetFileVersionInfoSize(const std::string& path) override;
    bool GetFileVersionInfo(const std::string& path, std::uint32_t size, std::vector<std::uint8_t>& block) override;
    bool VerQueryValue(const std::vector<std::uint8_t>& block, const std::string& subBlock,
                       std::vector<std::uint8_t>& value) override;

    int reads = 0;                     // GetFileVersionInfo calls on a file with a resource
    bool failReads = false;            // every such read fails
    std::vector<std::string> queries;  // every VerQueryValue sub-block, in order

private:
    SimFileSystem& files_;
};


}  // namespace qm::sim
