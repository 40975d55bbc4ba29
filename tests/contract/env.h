// What a contract test needs of the machine it runs on: the platform, a
// scratch registry key and a file known to exist. The same tests run on the
// simulated machine (host) and on the real one (under Wine).
#pragma once
#include <string>

#include "platform/platform.h"

namespace qm::contract {

Platform& Machine();
bool IsWine();  // the real platform under Wine, where some answers differ from Windows
// A key below HKEY_CURRENT_USER that tests may create and remove.
inline constexpr const char* kScratchKey = "Software\\QuellmarkTest";
// A program file that exists on the machine.
std::string ExistingProgram();
// The system library (kernel32.dll), which carries a version resource.
std::string SystemLibrary();
// This test program, with the version resource of contract_version.rc.
std::string VersionedProgram();
// Sets a variable of this test program's own environment (the simulated
// machine's program has none).
void SetOwnVariable(const std::string& name, const std::string& value);

}  // namespace qm::contract
