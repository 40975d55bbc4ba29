#include <algorithm>

#include "platform/sim/sim.h"
#include "platform/sim/version_block.h"
#include "platform/text_case.h"

namespace qm::sim {

std::uint32_t SimVersions::GetFileVersionInfoSize(const std::string& path) {
    files_.reached.push_back(path);
    SimFile* file = files_.Find(path);
    if (!file || file->versionResource.empty()) return 0;
    return claimedSize.value_or(static_cast<std::uint32_t>(file->versionResource.size()));
}

bool SimVersions::GetFileVersionInfo(const std::string& path, std::uint32_t size, std::vector<std::uint8_t>& block) {
    files_.reached.push_back(path);
    SimFile* file = files_.Find(path);
    if (!file || file->versionResource.empty()) return false;
    ++reads;
    largestRead = std::max(largestRead, size);
    if (failReads) return false;
    block.assign(size, 0);
    std::copy_n(file->versionResource.begin(), std::min<size_t>(size, file->versionResource.size()), block.begin());
    return true;
}

}  // namespace qm::sim
