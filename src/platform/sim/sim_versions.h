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

    int reads = 0;                             // GetFileVersionInfo calls on a file with a resource
    bool failReads = false;                    // every such read fails
    std::optional<std::uint32_t> claimedSize;  // a size the files claim instead of their resource's
    std::uint32_t largestRead = 0;             // the largest size a GetFileVersionInfo call asked for

private:
    SimFileSystem& files_;
};

}  // namespace qm::sim
