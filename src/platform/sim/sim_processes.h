// Simulated processes and other programs' windows: what was started, the
// windows that exist, and a recorder of every call made on them (messages
// sent, windows shown, pauses) with a virtual clock, so that a test checks
// a keystroke walk exactly and without waiting.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace qm::sim {

struct SimWindow {
    WindowHandle handle;
    WindowHandle parent;  // none for a top-level window
    std::string className;
    std::string title;
    bool visible = false;
    std::string program;  // the full path of the program that made it (its top-level window's)
    bool hung = false;    // answers no message
};

// One call on another program or its windows, in the order made.
struct WindowCall {
    enum Kind { Start, WaitIdle, WaitExit, CloseHandle, Show, Foreground, Focus, Send, Sleep };
    Kind kind;
    WindowHandle window{};      // Show, Foreground, Focus, Send
    std::uintptr_t handle = 0;  // the process or thread of WaitIdle, WaitExit, CloseHandle
    std::uint32_t message = 0;  // Send
    std::uintptr_t wParam = 0;  // Send; the show command for Show
    std::intptr_t lParam = 0;   // Send
    std::uint32_t value = 0;    // the milliseconds of Sleep, the waits and Send, the creation flags of Start
    std::string text{};         // the command line of Start
    std::uint64_t atMs = 0;     // virtual time when the call was made
};

// What a started program was given: its command line, folder and
// environment, and the privileges enabled in this program's token at that
// moment, which it inherits.
struct ChildStart {
    ProcessStart start;
    std::set<std::string> enabledPrivileges;
};

class SimFileSystem;
class SimSystem;
class SimToken;

class SimProcesses : public IProcesses {
public:
    // Programs are looked for in `files`; the Windows directory and the
    // program's own folder come from `system`; a started program inherits
    // `token`.
    SimProcesses(SimFileSystem& files, SimSystem& system, SimToken& token)
        : files_(files), system_(system), token_(token) {}

    bool CreateProcess(const ProcessStart& start, ProcessInfo& info) override;
    std::uint32_t WaitForInputIdle(ProcessHandle process, std::uint32_t milliseconds) override;
    std::uint32_t WaitForSingleObject(ProcessHandle process, std::uint32_t milliseconds) override;
    bool GetExitCodeProcess(ProcessHandle process, std::uint32_t& code) override;
    bool CloseHandle(ProcessHandle process) override;
    bool CloseHandle(ThreadHandle thread) override;
    WindowHandle FindWindow(const std::string* className, const std::string* title) override;
    WindowHandle FindWindowEx(WindowHandle parent, WindowHandle after, const std::string* className,
                              const std::string* title) override;
    bool ShowWindow(WindowHandle window, int show) override;
    bool SetForegroundWindow(WindowHandle window) override;
    WindowHandle SetFocus(WindowHandle window) override;
    bool SendWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                           std::uint32_t milliseconds) override;
    bool GetWindowProgram(WindowHandle window, std::string& path) override;
    void Sleep(std::uint32_t milliseconds) override;
    std::uint32_t GetLastError() override { return lastError; }

    // The Registry Editor: a top-level "RegEdit_RegEdit" window whose key tree
    // ("SysTreeView32") is a direct child as on Windows, or a grandchild
    // under a frame window as in Wine's editor. Returns the main window.
    // `program` is the editor of the Windows directory unless another is named.
    WindowHandle OpenRegistryEditor(bool treeIsGrandchild = false, std::string program = {});
    WindowHandle RegistryEditorTree() const;  // the real editor's; none when there is none
    // Whether any window of `top` (itself or a descendant) was sent a message.
    bool WasSentTo(WindowHandle top) const;
    void Hang(WindowHandle top);  // the window and all below it answer nothing
    const SimWindow* Window(WindowHandle h) const;
    WindowHandle AddWindow(WindowHandle parent, const std::string& className, const std::string& title = "",
                           const std::string& program = "");

    // What starting a program does. The program is the command line's first
    // word (quoted or not); a bare name is looked for as Windows does, in the
    // running program's folder, its current directory (never the folder the
    // new program is to start in), the system folder and the Windows
    // folder, and the first file found runs. The Registry
    // Editor, the Windows folder's regedit.exe (a file of the machine's),
    // runs only while `registryEditorInstalled` and opens its windows; any
    // other program found runs without a window; none found fails with
    // error 2.
    bool registryEditorInstalled = true;
    std::string currentDirectory = "C:\\users\\anna\\Downloads";
    std::string RegistryEditorPath() const;
    std::string ExplorerPath() const;  // the shell, a file of the machine's: it runs without a window here
    bool registryEditorTreeIsGrandchild = false;
    std::uint32_t waitForSingleObjectResult = 0;  // WAIT_OBJECT_0
    std::uint32_t exitCode = 0;
    std::uint32_t lastError = 0;

    std::vector<std::string> started;  // the program files that ran, by full path
    std::vector<ChildStart> children;  // what each of them was given, in the same order
    std::uint32_t sleptMs = 0;
    std::uint64_t nowMs = 0;  // virtual clock, moved on by Sleep only
    std::vector<WindowCall> calls;
    int OpenHandles() const { return openHandles_; }

private:
    std::string FindProgram(const std::string& commandLine) const;
    bool ProgramExists(const std::string& path) const;

    SimFileSystem& files_;
    SimSystem& system_;
    SimToken& token_;
    std::vector<SimWindow> windows_;
    std::uintptr_t nextWindow_ = 0x10010;
    std::uintptr_t nextHandle_ = 0x9000;
    WindowHandle focus_;
    int openHandles_ = 0;
    std::vector<std::uintptr_t> liveHandles_;
    bool Close(std::uintptr_t handle);
    WindowHandle TopOf(WindowHandle window) const;
};

}  // namespace qm::sim
