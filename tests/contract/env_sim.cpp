#include "contract/env.h"
#include "contract/version_fixtures.h"
#include "platform/sim/sim.h"

namespace qm::contract {

namespace {
sim::SimMachine& Sim() {
    static sim::SimMachine machine;
    static bool ready = [] {
        machine.files.AddFile("C:\\windows\\notepad.exe");
        PrepareVersionFixtures(machine);
        return true;
    }();
    (void)ready;
    return machine;
}
}  // namespace

Platform& Machine() { return Sim().platform; }
bool IsWine() { return false; }
std::string ExistingProgram() { return "C:\\windows\\notepad.exe"; }
std::string SystemLibrary() { return kSimSystemLibrary; }
std::string VersionedProgram() { return kSimVersionedProgram; }
void SetOwnVariable(const std::string&, const std::string&) {}

}  // namespace qm::contract
