#include "core/model/native_path.h"

#include "platform/text_case.h"

namespace qm {

std::string NativePath(Platform& platform, const std::string& path) {
    if (!platform.system.IsWow64Program()) return path;
    std::string windows;
    if (!platform.system.GetWindowsDirectory(windows) || windows.empty()) return path;
    if (windows.back() == '\\') windows.pop_back();
    const std::string system32 = windows + "\\System32\\";
    if (path.size() <= system32.size() || LowerAscii(path.substr(0, system32.size())) != LowerAscii(system32))
        return path;
    return windows + "\\Sysnative\\" + path.substr(system32.size());
}

}  // namespace qm
