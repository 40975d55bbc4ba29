#include "core/actions/open_folder.h"

#include "core/model/text.h"

namespace qm {

namespace {
constexpr int kSwShowNormal = 1;
}

void OpenFolder(Platform& platform, const std::string& folder, ShellOwner owner) {
    // A folder on another machine is not asked about (nor opened).
    if (folder.empty() || IsNetworkOrDevicePath(folder)) return;
    const std::uint32_t attributes = platform.files.GetFileAttributes(folder);
    if (attributes == kInvalidFileAttributes || !(attributes & kFileAttributeDirectory)) return;
    platform.shell.ShellExecute(owner, "open", folder, "", "", kSwShowNormal);
}

std::string ExtractFileDir(const std::string& path) {
    const size_t last = path.find_last_of("\\:");
    if (last == std::string::npos) return {};
    if (path[last] == ':') return path.substr(0, last + 1);
    if (last > 0 && (path[last - 1] == '\\' || path[last - 1] == ':')) return path.substr(0, last + 1);
    return path.substr(0, last);
}

}  // namespace qm
