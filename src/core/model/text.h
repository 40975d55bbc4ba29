// Text routines of the rows: the target path a command line starts, and the
// small helpers it and the row marks use.
#pragma once
#include <string>

#include "platform/platform.h"
#include "platform/text_case.h"

namespace qm {

std::string ReplaceAll(const std::string& text, const std::string& sub, const std::string& replacement);
std::string TrimControl(const std::string& text);  // drops leading/trailing chars <= 32
bool StartsWithNoCase(const std::string& text, const std::string& prefix);
// The lower-case path of the program a command line starts: quotes removed,
// cut after `marker` and the one character that follows, trimmed. Letters
// are lowered by the system's rules (`system`), every alphabet's.
std::string ExtractTargetPath(ISystemInfo& system, const std::string& commandLine, const std::string& marker);

// A path on another machine or a device rather than a local file:
// \\server\share\..., \\.\pipe\..., \\?\UNC\... (any path that starts with
// two separators, either slash) and the NT form \??\... . Such a path from
// an entry is never opened: that would send the user's credentials to the
// server, or wait on a pipe.
bool IsNetworkOrDevicePath(const std::string& path);

}  // namespace qm
