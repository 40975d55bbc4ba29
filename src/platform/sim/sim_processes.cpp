#include <algorithm>

#include "errors.h"
#include "model.h"
#include "platform/sim/sim.h"

namespace qm::sim {



bool SimProcesses::CreateProcess(const std::string& commandLine, std::uint32_t, ProcessInfo& info) {
    started.push_back(commandLine);
    info = {0x9001, 0x9002, 4242};
    return true;
}
std::uint32_t SimProcesses::WaitForInputIdle(Handle, std::uint32_t) { return 0; }
std::uint32_t SimProcesses::WaitForSingleObject(Handle, std::uint32_t) { return 0; }
bool SimProcesses::GetExitCodeProcess(Handle, std::uint32_t& code) {
    code = 0;
    return true;
}
bool SimProcesses::CloseHandle(Handle) { return true; }
Handle SimProcesses::FindWindow(const std::string*, const std::string*) { return 0; }
Handle SimProcesses::FindWindowEx(Handle, Handle, const std::string*, const std::string*) { return 0; }
bool SimProcesses::ShowWindow(Handle, int) { return true; }
bool SimProcesses::SetForegroundWindow(Handle) { return true; }
Handle SimProcesses::SetFocus(Handle) { return 0; }
std::intptr_t SimProcesses::SendWindowMessage(Handle, std::uint32_t, std::uintptr_t, std::intptr_t) { return 0; }
void SimProcesses::Sleep(std::uint32_t milliseconds) { sleptMs += milliseconds; }

}  // namespace qm::sim
