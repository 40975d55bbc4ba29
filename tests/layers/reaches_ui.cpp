// Must not compile with the core's include path: the core never includes the user interface.
#include "ui/sim/sim_toolkit.h"
