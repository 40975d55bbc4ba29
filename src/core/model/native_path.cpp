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

void NativePaths::Learn() {
    if (known_) return;
    known_ = true;
    windowsKnown_ = platform_.system.GetWindowsDirectory(windows_) && !windows_.empty();
    if (!windowsKnown_) return;
    if (windows_.back() == '\\') windows_.pop_back();
    redirected_ = platform_.system.IsWow64Program();
    if (redirected_) system32_ = LowerAscii(windows_ + "\\System32\\");
}

std::optional<std::string> NativePaths::WindowsFolder() {
    Learn();
    return windowsKnown_ ? std::optional<std::string>(windows_) : std::nullopt;
}

std::string NativePaths::operator()(const std::string& path) {
    Learn();
    if (!redirected_ || path.size() <= system32_.size() || LowerAscii(path.substr(0, system32_.size())) != system32_)
        return path;
    return windows_ + "\\Sysnative\\" + path.substr(system32_.size());
}

}  // namespace qm
