// Scratch services for the contract tests: each runs the scratch service
// program in a process of its own (on the simulated machine, a service added
// to its database). Names begin with "QmScratch".
#pragma once
#include <cstdint>
#include <string>

namespace qm::contract {

// Creates the service, stopped, with a display name and the start type;
// its command line is the quoted program path followed by " " + arguments.
// Returns the command line, empty when the service could not be created.
std::string CreateScratchService(const std::string& name, const std::string& displayName, std::uint32_t startType,
                                 const std::string& arguments);
// Starts it and waits until it runs.
bool StartScratchService(const std::string& name);
// Stops it and waits until it has stopped.
bool StopScratchService(const std::string& name);
// Stops and deletes it if it exists and waits until it has left the database.
void RemoveScratchService(const std::string& name);
// Whether the service is in the database (marked for deletion or not).
bool ScratchServiceExists(const std::string& name);
// The configured start type; 0 when it cannot be read.
std::uint32_t ScratchServiceStartType(const std::string& name);

}  // namespace qm::contract
