// What the two programs make sure of before anything else: that no DLL can
// be loaded from where they were saved. Both run elevated from wherever the
// user put them (a Downloads folder), and Windows looks for a DLL that is
// not one of its known DLLs in the program's own folder first unless the
// program restricts the search (SetDefaultDllDirectories, which Windows
// Vista and 7 lack without update KB2533623). Where it cannot be
// restricted, a DLL saved beside the program would run with administrator
// rights, so neither program runs there.
#pragma once
#include <optional>
#include <string>

#include "platform/platform.h"

namespace qm {

// Why the program must not run on this machine, for a message; none when
// it may.
std::optional<std::string> ReasonNotToRun(ISystemInfo& system);

// The window program's check: false, after an error box saying why, when
// it must not run.
bool MayRun(Platform& platform);

}  // namespace qm
