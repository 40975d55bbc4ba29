#include "contract/env.h"
#include "platform/sim/sim.h"

namespace qm::contract {

namespace {
sim::SimMachine& Sim() {
    static sim::SimMachine machine;
    static bool ready = [] {
        machine.files.AddFile("C:\\windows\\notepad.exe");
        return true;
    }();
    (void)ready;
    return machine;
}
}  // namespace

Platform& Machine() { return Sim().platform; }
bool IsWine() { return false; }
std::string ExistingProgram() { return "C:\\windows\\notepad.exe"; }

}  // namespace qm::contract
