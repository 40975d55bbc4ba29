#include <algorithm>

#include "model.h"
#include "platform/sim/sim.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_system.h"

namespace qm::sim {

namespace {

bool Matches(const SimWindow& w, const std::string* className, const std::string* title) {
    // Window class names are compared without regard to case, titles exactly.
    if (className && LowerAscii(*className) != LowerAscii(w.className)) return false;
    return !title || *title == w.title;
}

}  // namespace

Handle SimProcesses::AddWindow(Handle parent, const std::string& className, const std::string& title) {
    windows_.push_back({nextWindow_, parent, className, title, parent != 0});
    nextWindow_ += 0x10;
    return windows_.back().handle;
}

const SimWindow* SimProcesses::Window(Handle h) const {
    for (const SimWindow& w : windows_)
        if (w.handle == h) return &w;
    return nullptr;
}

Handle SimProcesses::OpenRegistryEditor(bool treeIsGrandchild) {
    Handle main = AddWindow(0, "RegEdit_RegEdit", "Registry Editor");
    Handle treeParent = treeIsGrandchild ? AddWindow(main, "RegEdit_Frame") : main;
    AddWindow(treeParent, "SysTreeView32");
    AddWindow(treeParent, "SysListView32");
    AddWindow(main, "msctls_statusbar32");
    return main;
}

Handle SimProcesses::RegistryEditorTree() const {
    for (const SimWindow& w : windows_)
        if (w.className == "SysTreeView32") return w.handle;
    return 0;
}

std::string SimProcesses::RegistryEditorPath() const {
    std::string windows;
    if (!system_.GetWindowsDirectory(windows)) return {};
    return windows + (!windows.empty() && windows.back() == '\\' ? "" : "\\") + "regedit.exe";
}

bool SimProcesses::ProgramExists(const std::string& path) const {
    if (LowerAscii(path) == LowerAscii(RegistryEditorPath())) return registryEditorInstalled;
    return files_.Find(path) != nullptr;
}

std::string SimProcesses::FindProgram(const std::string& commandLine) const {
    std::string program;
    if (!commandLine.empty() && commandLine[0] == '"') {
        const size_t end = commandLine.find('"', 1);
        program = commandLine.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    } else {
        program = commandLine.substr(0, commandLine.find(' '));
    }
    if (program.empty()) return {};
    if (program.find('\\') != std::string::npos) return ProgramExists(program) ? program : std::string();
    const std::string module = system_.ModuleFileName();
    std::string windows;
    system_.GetWindowsDirectory(windows);
    while (!windows.empty() && windows.back() == '\\') windows.pop_back();
    for (const std::string& folder : {module.substr(0, module.find_last_of('\\')), currentDirectory,
                                      windows + "\\system32", windows}) {
        const std::string candidate = folder + "\\" + program;
        if (!folder.empty() && ProgramExists(candidate)) return candidate;
    }
    return {};
}

bool SimProcesses::CreateProcess(const std::string& commandLine, std::uint32_t creationFlags, ProcessInfo& info) {
    calls.push_back({WindowCall::Start, 0, 0, 0, 0, creationFlags, commandLine, nowMs});
    const std::string program = FindProgram(commandLine);
    if (program.empty()) {
        lastError = kErrorFileNotFound;
        return false;
    }
    started.push_back(program);
    if (LowerAscii(program) == LowerAscii(RegistryEditorPath())) OpenRegistryEditor(registryEditorTreeIsGrandchild);
    info.process = nextHandle_++;
    info.thread = nextHandle_++;
    info.processId = 4242;
    liveHandles_.push_back(info.process);
    liveHandles_.push_back(info.thread);
    openHandles_ += 2;
    return true;
}

std::uint32_t SimProcesses::WaitForInputIdle(Handle process, std::uint32_t milliseconds) {
    calls.push_back({WindowCall::WaitIdle, process, 0, 0, 0, milliseconds, {}, nowMs});
    return 0;
}

std::uint32_t SimProcesses::WaitForSingleObject(Handle h, std::uint32_t milliseconds) {
    calls.push_back({WindowCall::WaitExit, h, 0, 0, 0, milliseconds, {}, nowMs});
    return waitForSingleObjectResult;
}

bool SimProcesses::GetExitCodeProcess(Handle, std::uint32_t& code) {
    code = exitCode;
    return true;
}

bool SimProcesses::CloseHandle(Handle h) {
    calls.push_back({WindowCall::CloseHandle, h, 0, 0, 0, 0, {}, nowMs});
    auto it = std::find(liveHandles_.begin(), liveHandles_.end(), h);
    if (it == liveHandles_.end()) {
        lastError = kErrorInvalidHandle;
        return false;
    }
    liveHandles_.erase(it);
    --openHandles_;
    return true;
}

Handle SimProcesses::FindWindow(const std::string* className, const std::string* title) {
    for (const SimWindow& w : windows_)
        if (w.parent == 0 && Matches(w, className, title)) return w.handle;
    return 0;
}

Handle SimProcesses::FindWindowEx(Handle parent, Handle after, const std::string* className, const std::string* title) {
    // Children in creation order, starting after `after`.
    bool passed = after == 0;
    for (const SimWindow& w : windows_) {
        if (w.parent != parent) continue;
        if (!passed) {
            passed = w.handle == after;
            continue;
        }
        if (Matches(w, className, title)) return w.handle;
    }
    return 0;
}

bool SimProcesses::ShowWindow(Handle window, int show) {
    calls.push_back({WindowCall::Show, window, 0, static_cast<std::uintptr_t>(show), 0, 0, {}, nowMs});
    for (SimWindow& w : windows_)
        if (w.handle == window) {
            const bool was = w.visible;
            w.visible = show != 0;
            return was;
        }
    return false;
}

bool SimProcesses::SetForegroundWindow(Handle window) {
    calls.push_back({WindowCall::Foreground, window, 0, 0, 0, 0, {}, nowMs});
    return Window(window) != nullptr;
}

Handle SimProcesses::SetFocus(Handle window) {
    calls.push_back({WindowCall::Focus, window, 0, 0, 0, 0, {}, nowMs});
    Handle previous = focus_;
    if (Window(window)) focus_ = window;
    return previous;
}

std::intptr_t SimProcesses::SendWindowMessage(Handle window, std::uint32_t message, std::uintptr_t wParam,
                                              std::intptr_t lParam) {
    calls.push_back({WindowCall::Send, window, message, wParam, lParam, 0, {}, nowMs});
    return 0;
}

void SimProcesses::Sleep(std::uint32_t milliseconds) {
    calls.push_back({WindowCall::Sleep, 0, 0, 0, 0, milliseconds, {}, nowMs});
    sleptMs += milliseconds;
    nowMs += milliseconds;
}

}  // namespace qm::sim
