// Opening a folder in a shell window, from Jump To and from "&Find Target...".
#pragma once
#include <string>

#include "platform/platform.h"

namespace qm {

// Opens `folder` in a window of explorer.exe, started by its full path in
// the Windows directory with the folder as its argument, but only when it is
// an existing local folder: a path that is not a folder could name a program
// ("c:\\evil.exe" derived from "c:\\evil.exe\\x.exe"). The shell's "open"
// verb is not used: it follows the file-class registrations, and the user's
// own (HKCU\Software\Classes) apply to this elevated program too, so any
// program of the user's could have run with its rights.
void OpenFolder(Platform& platform, const std::string& folder);

// The folder part of a path: up to its last backslash or colon, leaving out
// that backslash unless a backslash or colon comes right before it ("c:\\a.exe"
// gives "c:\\"); empty when there is neither, and when that backslash is
// the path's first character ("\\x.exe" gives no folder, where keeping the
// backslash would name the root of whatever drive is current).
std::string ExtractFileDir(const std::string& path);

}  // namespace qm
