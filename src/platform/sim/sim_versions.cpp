#include <algorithm>

#include "errors.h"
#include "model.h"
#include "platform/sim/sim.h"

namespace qm::sim {



std::uint32_t SimVersions::GetFileVersionInfoSize(const std::string& path) {
    SimFile* file = files_.Find(path);
    return file ? static_cast<std::uint32_t>(file->versionResource.size()) : 0;
}

bool SimVersions::GetFileVersionInfo(const std::string& path, std::uint32_t size, std::vector<std::uint8_t>& block) {
    SimFile* file = files_.Find(path);
    if (!file || file->versionResource.empty()) return false;
    block.assign(file->versionResource.begin(),
                 file->versionResource.begin() + std::min<size_t>(size, file->versionResource.size()));
    return true;
}

bool SimVersions::VerQueryValue(const std::vector<std::uint8_t>&, const std::string&, std::vector<std::uint8_t>&) {
    return false;  // version blocks arrive with the file-version unit
}

}  // namespace qm::sim
