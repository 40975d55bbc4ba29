// Compiled with the platform's include path alone: the simulated machine needs no layer above it.
#include "platform/sim/sim.h"
