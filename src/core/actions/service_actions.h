// The two service control manager routines behind a services list's
// "&Delete Items..." and "&Disable Items...".
#pragma once
#include <string>

#include "platform/platform.h"

namespace qm {

// Marks the service for deletion; true only when the manager accepted it.
bool DeleteServiceByName(IServices& services, const std::string& serviceName);
// Sets the service's start type to disabled and changes nothing else; true
// only when the manager accepted it.
bool DisableServiceByName(IServices& services, const std::string& serviceName);

}  // namespace qm
