// Compiled with the core's include path alone: the collectors, the actions
// and the inspection need nothing above the core.
#include "core/actions/actions.h"
#include "core/collectors/collector.h"
#include "core/inspect/file_version.h"
#include "core/inspect/properties.h"
