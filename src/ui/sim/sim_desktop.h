// The simulated machine with what the user sees of the program on it: the
// scripted toolkit that shows the forms' dialogs and the virtual clock that
// runs the main form's deletion report timer. Host tests drive the forms on it as a user
// would.
#pragma once
#include "platform/sim/sim.h"
#include "ui/sim/sim_clock.h"
#include "ui/sim/sim_toolkit.h"

namespace qm::sim {

class SimDesktop : public SimMachine {
public:
    SimToolkit toolkit;
    SimClock clock;  // drives the main form's deletion report once attached
};

}  // namespace qm::sim
