// Simulated processes and other programs' windows: what was started and
// which messages were sent where.
#pragma once
#include <string>
#include <vector>

#include "platform/platform.h"

namespace qm::sim {

class SimProcesses : public IProcesses {
public:
    bool CreateProcess(const std::string& commandLine, std::uint32_t creationFlags, ProcessInfo& info) override;
    std::uint32_t WaitForInputIdle(Handle process, std::uint32_t milliseconds) override;
    std::uint32_t WaitForSingleObject(Handle h, std::uint32_t milliseconds) override;
    bool GetExitCodeProcess(Handle process, std::uint32_t& code) override;
    bool CloseHandle(Handle h) override;
    Handle FindWindow(const std::string* className, const std::string* title) override;
    Handle FindWindowEx(Handle parent, Handle after, const std::string* className, const std::string* title) override;
    bool ShowWindow(Handle window, int show) override;
    bool SetForegroundWindow(Handle window) override;
    Handle SetFocus(Handle window) override;
    std::intptr_t SendWindowMessage(Handle window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
    void Sleep(std::uint32_t milliseconds) override;

    std::vector<std::string> started;  // command lines
    std::uint32_t sleptMs = 0;
};

}  // namespace qm::sim
