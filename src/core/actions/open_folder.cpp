#include "core/actions/open_folder.h"

#include "core/actions/jump_to.h"
#include "core/model/text.h"

namespace qm {

void OpenFolder(Platform& platform, const std::string& folder) {
    // A folder on another machine is not asked about (nor opened).
    if (folder.empty() || IsNetworkOrDevicePath(folder)) return;
    const std::uint32_t attributes = platform.files.GetFileAttributes(folder);
    if (attributes == kInvalidFileAttributes || !(attributes & kFileAttributeDirectory)) return;
    std::string windows;
    if (!platform.system.GetWindowsDirectory(windows) || windows.empty()) return;
    if (windows.back() != '\\') windows += '\\';
    // Quoted, without its trailing backslash; a drive's root keeps it,
    // doubled, so that the closing quote is not read as part of the name.
    std::string argument = folder;
    while (argument.size() > 3 && argument.back() == '\\') argument.pop_back();
    if (argument.back() == '\\') argument += '\\';
    RunProcess(platform, "\"" + windows + "explorer.exe\" \"" + argument + "\"", false, false);
}

std::string ExtractFileDir(const std::string& path) {
    const size_t last = path.find_last_of("\\:");
    if (last == std::string::npos) return {};
    if (path[last] == ':') return path.substr(0, last + 1);
    if (last > 0 && (path[last - 1] == '\\' || path[last - 1] == ':')) return path.substr(0, last + 1);
    return path.substr(0, last);
}

}  // namespace qm
