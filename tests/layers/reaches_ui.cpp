// Must not compile with the core's, the forms' or the report's include path:
// none of them includes the user interface.
#include "ui/sim/sim_toolkit.h"
