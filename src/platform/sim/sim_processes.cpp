#include <algorithm>

#include "platform/sim/sim.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_text.h"

namespace qm::sim {

namespace {

bool Matches(const SimWindow& w, const std::string* className, const std::string* title) {
    // Window class names are compared without regard to case, titles exactly.
    if (className && SimLowerCase(*className) != SimLowerCase(w.className)) return false;
    return !title || *title == w.title;
}

}  // namespace

WindowHandle SimProcesses::AddWindow(WindowHandle parent, const std::string& className, const std::string& title,
                                     const std::string& program) {
    const SimWindow* above = parent ? Window(parent) : nullptr;
    windows_.push_back({WindowHandle{nextWindow_}, parent, className, title, static_cast<bool>(parent),
                        above ? above->program : program, above ? above->hung : false});
    nextWindow_ += 0x10;
    return windows_.back().handle;
}

const SimWindow* SimProcesses::Window(WindowHandle h) const {
    for (const SimWindow& w : windows_)
        if (w.handle == h) return &w;
    return nullptr;
}

WindowHandle SimProcesses::OpenRegistryEditor(bool treeIsGrandchild, std::string program) {
    if (program.empty()) program = RegistryEditorPath();
    WindowHandle main = AddWindow(WindowHandle{}, "RegEdit_RegEdit", "Registry Editor", program);
    WindowHandle treeParent = treeIsGrandchild ? AddWindow(main, "RegEdit_Frame") : main;
    AddWindow(treeParent, "SysTreeView32");
    AddWindow(treeParent, "SysListView32");
    AddWindow(main, "msctls_statusbar32");
    return main;
}

WindowHandle SimProcesses::RegistryEditorTree() const {
    for (const SimWindow& w : windows_)
        if (w.className == "SysTreeView32" && SimLowerCase(w.program) == SimLowerCase(RegistryEditorPath()))
            return w.handle;
    return {};
}

WindowHandle SimProcesses::TopOf(WindowHandle window) const {
    const SimWindow* w = Window(window);
    while (w && w->parent) w = Window(w->parent);
    return w ? w->handle : WindowHandle{};
}

bool SimProcesses::WasSentTo(WindowHandle top) const {
    for (const WindowCall& call : calls)
        if (call.kind == WindowCall::Send && TopOf(call.window) == top) return true;
    return false;
}

void SimProcesses::Hang(WindowHandle top) {
    for (SimWindow& w : windows_)
        if (TopOf(w.handle) == top) w.hung = true;
}

bool SimProcesses::GetWindowProgram(WindowHandle window, std::string& path) {
    const SimWindow* w = Window(window);
    if (!w || w->program.empty()) return false;
    path = w->program;
    return true;
}

std::string SimProcesses::RegistryEditorPath() const {
    std::string windows;
    if (!system_.GetWindowsDirectory(windows)) return {};
    return windows + (!windows.empty() && windows.back() == '\\' ? "" : "\\") + "regedit.exe";
}

std::string SimProcesses::ExplorerPath() const {
    std::string windows;
    if (!system_.GetWindowsDirectory(windows)) return {};
    return windows + (!windows.empty() && windows.back() == '\\' ? "" : "\\") + "explorer.exe";
}

bool SimProcesses::ProgramExists(const std::string& path) const {
    if (SimLowerCase(path) == SimLowerCase(RegistryEditorPath())) return registryEditorInstalled;
    if (SimLowerCase(path) == SimLowerCase(ExplorerPath())) return true;
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
    for (const std::string& folder :
         {module.substr(0, module.find_last_of('\\')), currentDirectory, windows + "\\system32", windows}) {
        const std::string candidate = folder + "\\" + program;
        if (!folder.empty() && ProgramExists(candidate)) return candidate;
    }
    return {};
}

bool SimProcesses::CreateProcess(const ProcessStart& start, ProcessInfo& info) {
    calls.push_back(
        {.kind = WindowCall::Start, .value = start.creationFlags, .text = start.commandLine, .atMs = nowMs});
    const std::string program = FindProgram(start.commandLine);
    if (program.empty()) {
        lastError = kErrorFileNotFound;
        return false;
    }
    started.push_back(program);
    children.push_back({start, token_.enabled});
    if (SimLowerCase(program) == SimLowerCase(RegistryEditorPath())) OpenRegistryEditor(registryEditorTreeIsGrandchild);
    info.process = ProcessHandle{nextHandle_++};
    info.thread = ThreadHandle{nextHandle_++};
    info.processId = 4242;
    liveHandles_.push_back(info.process.Value());
    liveHandles_.push_back(info.thread.Value());
    openHandles_ += 2;
    return true;
}

std::uint32_t SimProcesses::WaitForInputIdle(ProcessHandle process, std::uint32_t milliseconds) {
    calls.push_back({.kind = WindowCall::WaitIdle, .handle = process.Value(), .value = milliseconds, .atMs = nowMs});
    return 0;
}

std::uint32_t SimProcesses::WaitForSingleObject(ProcessHandle process, std::uint32_t milliseconds) {
    calls.push_back({.kind = WindowCall::WaitExit, .handle = process.Value(), .value = milliseconds, .atMs = nowMs});
    return waitForSingleObjectResult;
}

bool SimProcesses::GetExitCodeProcess(ProcessHandle, std::uint32_t& code) {
    code = exitCode;
    return true;
}

bool SimProcesses::CloseHandle(ProcessHandle process) { return Close(process.Value()); }
bool SimProcesses::CloseHandle(ThreadHandle thread) { return Close(thread.Value()); }

bool SimProcesses::Close(std::uintptr_t h) {
    calls.push_back({.kind = WindowCall::CloseHandle, .handle = h, .atMs = nowMs});
    auto it = std::find(liveHandles_.begin(), liveHandles_.end(), h);
    if (it == liveHandles_.end()) {
        lastError = kErrorInvalidHandle;
        return false;
    }
    liveHandles_.erase(it);
    --openHandles_;
    return true;
}

WindowHandle SimProcesses::FindWindow(const std::string* className, const std::string* title) {
    for (const SimWindow& w : windows_)
        if (!w.parent && Matches(w, className, title)) return w.handle;
    return {};
}

WindowHandle SimProcesses::FindWindowEx(WindowHandle parent, WindowHandle after, const std::string* className,
                                        const std::string* title) {
    // Children in creation order, starting after `after`.
    bool passed = !after;
    for (const SimWindow& w : windows_) {
        if (w.parent != parent) continue;
        if (!passed) {
            passed = w.handle == after;
            continue;
        }
        if (Matches(w, className, title)) return w.handle;
    }
    return {};
}

bool SimProcesses::ShowWindow(WindowHandle window, int show) {
    calls.push_back(
        {.kind = WindowCall::Show, .window = window, .wParam = static_cast<std::uintptr_t>(show), .atMs = nowMs});
    for (SimWindow& w : windows_)
        if (w.handle == window) {
            const bool was = w.visible;
            w.visible = show != 0;
            return was;
        }
    return false;
}

bool SimProcesses::SetForegroundWindow(WindowHandle window) {
    calls.push_back({.kind = WindowCall::Foreground, .window = window, .atMs = nowMs});
    return Window(window) != nullptr;
}

WindowHandle SimProcesses::SetFocus(WindowHandle window) {
    calls.push_back({.kind = WindowCall::Focus, .window = window, .atMs = nowMs});
    WindowHandle previous = focus_;
    if (Window(window)) focus_ = window;
    return previous;
}

bool SimProcesses::SendWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                     std::intptr_t lParam, std::uint32_t milliseconds) {
    calls.push_back({.kind = WindowCall::Send,
                     .window = window,
                     .message = message,
                     .wParam = wParam,
                     .lParam = lParam,
                     .value = milliseconds,
                     .atMs = nowMs});
    const SimWindow* w = Window(window);
    if (w && !w->hung) return true;
    nowMs += milliseconds;  // a hung window keeps the sender waiting its whole time
    return false;
}

void SimProcesses::Sleep(std::uint32_t milliseconds) {
    calls.push_back({.kind = WindowCall::Sleep, .value = milliseconds, .atMs = nowMs});
    sleptMs += milliseconds;
    nowMs += milliseconds;
}

}  // namespace qm::sim
