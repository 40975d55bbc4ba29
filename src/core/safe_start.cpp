#include "core/safe_start.h"

#include "core/errors.h"

namespace qm {

std::optional<std::string> ReasonNotToRun(ISystemInfo& system) {
    if (system.DllSearchRestricted()) return std::nullopt;
    return "This version of Windows cannot keep the program from loading DLLs out of the folder it was saved in "
           "(SetDefaultDllDirectories is missing: install update KB2533623), where any program could have put "
           "one to run with administrator rights. The program does not run here.";
}

bool MayRun(Platform& platform) {
    const std::optional<std::string> reason = ReasonNotToRun(platform.system);
    if (reason) platform.dialogs.Show({DialogKind::Error, kAppTitle, *reason});
    return !reason;
}

}  // namespace qm
