#include "contract/env.h"
#include "contract/service_env.h"
#include "platform/sim/sim.h"

namespace qm::contract {

namespace {
sim::SimServices& Services() { return static_cast<sim::SimServices&>(Machine().services); }
constexpr const char* kProgram = "C:\\tests\\qm_scratch_service.exe";
}  // namespace

std::string CreateScratchService(const std::string& name, const std::string& displayName, std::uint32_t startType,
                                 const std::string& arguments) {
    if (Services().Find(name)) return "";
    sim::SimService s;
    s.name = name;
    s.displayName = displayName;
    s.state = kServiceStopped;
    s.startType = startType;
    s.commandLine = std::string("\"") + kProgram + "\" " + arguments;
    return Services().Add(s).commandLine;
}

bool StartScratchService(const std::string& name) {
    sim::SimService* s = Services().Find(name);
    if (!s || s->startType == kServiceDisabled || s->markedForDelete) return false;
    s->state = kServiceRunning;
    return true;
}

bool StopScratchService(const std::string& name) {
    if (!Services().Find(name)) return false;
    Services().Stop(name);
    return true;
}

void RemoveScratchService(const std::string& name) {
    if (sim::SimService* s = Services().Find(name)) s->markedForDelete = true;
    Services().Stop(name);
}

bool ScratchServiceExists(const std::string& name) { return Services().Find(name) != nullptr; }

std::uint32_t ScratchServiceStartType(const std::string& name) {
    const sim::SimService* s = Services().Find(name);
    return s ? s->startType : 0;
}

}  // namespace qm::contract
