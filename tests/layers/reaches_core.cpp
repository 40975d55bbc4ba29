// Must not compile with the platform's include path: the platform never includes the core.
#include "core/model/rows.h"
