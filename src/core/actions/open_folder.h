// Opening a folder in a shell window, from Jump To and from "&Find Target...".
#pragma once
#include <string>

#include "platform/platform.h"

namespace qm {

// Opens `folder` with the shell's "open" verb, the shell's window owned by
// `owner`, but only when it is an existing folder: for a path that is not a
// folder "open" would start the program it names ("c:\\evil.exe" derived
// from "c:\\evil.exe\\x.exe").
void OpenFolder(Platform& platform, const std::string& folder, ShellOwner owner);

// The folder part of a path: up to its last backslash or colon, leaving out
// that backslash unless a backslash or colon comes right before it ("c:\\a.exe"
// gives "c:\\"); empty when there is neither, and when that backslash is
// the path's first character ("\\x.exe" gives no folder, where keeping the
// backslash would name the root of whatever drive is current).
std::string ExtractFileDir(const std::string& path);

}  // namespace qm
