// The privileges of the program's own access token.
#pragma once
#include <string>

#include "platform/platform.h"

namespace qm {

// The privilege that opens any process and thread whatever its security.
// Nothing the program does needs it: the shell's icon lookups and image
// lists, the version reader and the file type text (a table of its own)
// open no process, and the one process it does open, the Registry
// Editor's, is opened only to read its program's name, which Windows grants
// without it. So it is never enabled, and the window program turns it off
// as it starts, in case whoever started it left it on: every program it
// starts (the Registry Editor, explorer.exe) inherits its token as it then
// is.
inline constexpr const char* kDebugPrivilege = "SeDebugPrivilege";

// AdjustTokenPrivileges of one privilege of the program's token; false when
// the token cannot be opened, the name is unknown or the call fails.
bool EnablePrivilege(Platform& platform, const std::string& name, bool enable);

}  // namespace qm
