// The path under which a file is really inspected. A 32-bit program on
// 64-bit Windows that asks for <windows>\System32\X is given SysWOW64\X,
// another file or none; the autostart entries name the real System32, which
// such a program reaches as <windows>\Sysnative. Turning the redirection off
// around the calls instead would also send the DLLs those calls load to the
// 64-bit System32.
#pragma once
#include <optional>
#include <string>

#include "platform/platform.h"

namespace qm {

// `path` itself but for a 32-bit program on 64-bit Windows, which is given
// the Sysnative path of a file in System32 (letter case ignored).
std::string NativePath(Platform& platform, const std::string& path);

// The same answer for many paths, the program's bitness and the Windows
// folder asked for once, at the first path: a report inspects a target per
// entry, and neither changes while it runs.
class NativePaths {
public:
    explicit NativePaths(Platform& platform) : platform_(platform) {}
    std::string operator()(const std::string& path);
    // The Windows folder without its trailing backslash; none when the
    // system does not say.
    std::optional<std::string> WindowsFolder();

private:
    void Learn();
    Platform& platform_;
    bool known_ = false;
    bool windowsKnown_ = false;
    bool redirected_ = false;  // a 32-bit program on 64-bit Windows
    std::string windows_;      // without its trailing backslash
    std::string system32_;  // <windows>\System32\, lower case
};

}  // namespace qm
