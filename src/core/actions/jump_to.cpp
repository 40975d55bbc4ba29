// "&Jump To...": the Registry Editor walked to the entry's key, or the
// entry's folder opened in the shell.
#include "core/actions/jump_to.h"

#include <deque>
#include <vector>

#include "core/actions/actions.h"
#include "core/actions/open_folder.h"
#include "core/errors.h"
#include "core/model/text.h"
#include "platform/owner.h"
#include "platform/text_case.h"
#include "platform/text_utf.h"

namespace qm {

namespace {

constexpr std::uint32_t kWmKeyDown = 0x0100, kWmChar = 0x0102;
constexpr std::uintptr_t kVkLeft = 0x25, kVkRight = 0x27;
// A typed key carries a repeat count of 1 in its second parameter; Wine's
// key tree ignores characters that arrive with 0.
constexpr std::intptr_t kTypedKey = 1;
constexpr int kSwShow = 5;
constexpr std::uint32_t kCreateNewConsole = 0x10, kNormalPriorityClass = 0x20;
constexpr std::uint32_t kInfinite = 0xFFFFFFFFu, kWaitObject0 = 0, kWaitFailed = 0xFFFFFFFFu;
// Enough left arrows to climb from any node of the editor's tree to its top.
constexpr int kLeftArrows = 31;
// After a right arrow the tree must forget the name typed before it, or the
// next name would extend that search.
constexpr std::uint32_t kPauseAfterExpandMs = 750;
// Far more windows than a Registry Editor has; stops a search in a window
// tree that keeps growing.
constexpr int kMaxWindowsSearched = 4096;

// How long one keystroke may take the editor; a window that does not answer
// in that time ends the typing.
constexpr std::uint32_t kKeystrokeTimeoutMs = 2000;
// Far more windows of the editor's class than any desktop has.
constexpr int kMaxEditorWindows = 256;

const std::string kEditorClass = "RegEdit_RegEdit";
const std::string kTreeClass = "SysTreeView32";

// The first window of `className` among all descendants of `top`, nearest
// generation first. Windows' own editor has its tree as a direct child;
// Wine's has it one level further down, under a frame window.
WindowHandle FindDescendant(IProcesses& processes, WindowHandle top, const std::string& className) {
    std::deque<WindowHandle> parents{top};
    int searched = 0;
    while (!parents.empty() && searched < kMaxWindowsSearched) {
        const WindowHandle parent = parents.front();
        parents.pop_front();
        if (WindowHandle found = processes.FindWindowEx(parent, WindowHandle{}, &className, nullptr)) return found;
        for (WindowHandle child = processes.FindWindowEx(parent, WindowHandle{}, nullptr, nullptr);
             child && searched < kMaxWindowsSearched; child = processes.FindWindowEx(parent, child, nullptr, nullptr)) {
            parents.push_back(child);
            ++searched;
        }
    }
    return {};
}

}  // namespace

constexpr std::uint32_t kInputIdleWaitMs = 10000;

std::int32_t RunProcess(Platform& platform, const std::string& commandLine, bool waitForExit, bool waitForIdle) {
    // The command line goes through a writable buffer of 513 characters:
    // a longer one would not fit, and nothing is started for it.
    if (commandLine.size() > kMaxCommandLine) return -1;
    // The program starts in System32 with the machine's own environment,
    // never this program's current folder (wherever it was started from, a
    // Downloads folder) nor the user's environment (the user's to set, in
    // HKCU\Environment: a PATH or a variable that makes a program load
    // something, handed on to an elevated program). Without them nothing starts.
    ProcessStart start{.commandLine = commandLine, .creationFlags = kCreateNewConsole | kNormalPriorityClass};
    std::vector<std::string> environment;
    if (!platform.system.GetSystemDirectory(start.directory) || start.directory.empty() ||
        !platform.system.GetSystemEnvironment(environment))
        return -1;
    start.environment = std::move(environment);
    IProcesses& processes = platform.processes;
    ProcessInfo info;
    if (!processes.CreateProcess(start, info)) return -1;
    const ProcessOwner process(processes, info.process);
    const ThreadOwner thread(processes, info.thread);
    if (waitForExit) {
        std::uint32_t wait;
        while ((wait = processes.WaitForSingleObject(process.Get(), kInfinite)) != kWaitObject0) {
            if (wait == kWaitFailed)
                throw QuellmarkError(
                    FormatMessage1("System Error.  Code: %d", static_cast<int>(processes.GetLastError())));
        }
        std::uint32_t code = 0;
        processes.GetExitCodeProcess(process.Get(), code);
        return static_cast<std::int32_t>(code);
    }
    // Bounded: a program that never reports itself ready (a 32-bit program
    // starting the 64-bit editor under Wine) must not hold this one forever;
    // after the wait the editor's window is looked for as usual.
    if (waitForIdle) processes.WaitForInputIdle(process.Get(), kInputIdleWaitMs);
    return 0;
}

std::string RegistryEditorPath(Platform& platform) {
    std::string windows;
    if (!platform.system.GetWindowsDirectory(windows) || windows.empty()) return {};
    if (windows.back() != '\\') windows += '\\';
    return windows + "regedit.exe";
}

// The Registry Editor by its full path in the Windows directory, quoted: a
// bare "regedit.exe" would first be looked for in this program's own folder
// and the current directory, where anyone may have put a program of that
// name, which would then run with this program's rights.
std::string RegistryEditorCommandLine(Platform& platform) {
    const std::string editor = RegistryEditorPath(platform);
    return editor.empty() ? std::string() : "\"" + editor + "\"";
}

WindowHandle FindRegistryEditor(Platform& platform) {
    const std::string editor = platform.system.LowerCase(RegistryEditorPath(platform));
    if (editor.empty()) return {};
    IProcesses& processes = platform.processes;
    WindowHandle window = processes.FindWindowEx(WindowHandle{}, WindowHandle{}, &kEditorClass, nullptr);
    for (int seen = 0; window && seen < kMaxEditorWindows; ++seen) {
        std::string program;
        if (processes.GetWindowProgram(window, program) && platform.system.LowerCase(program) == editor) return window;
        window = processes.FindWindowEx(WindowHandle{}, window, &kEditorClass, nullptr);
    }
    return {};
}

void JumpToRegistryKey(Platform& platform, const std::string& keyPath) {
    IProcesses& processes = platform.processes;
    if (!FindRegistryEditor(platform)) {
        const std::string editor = RegistryEditorCommandLine(platform);
        if (editor.empty() || RunProcess(platform, editor, false, true) != 0) return;
    }
    const WindowHandle editor = FindRegistryEditor(platform);
    if (!editor) return;
    processes.ShowWindow(editor, kSwShow);
    processes.SetForegroundWindow(editor);
    // Without a key tree there is nothing to type into; giving the focus to
    // no window would take it from the main window instead.
    const WindowHandle tree = FindDescendant(processes, editor, kTreeClass);
    if (!tree) return;
    processes.SetForegroundWindow(tree);
    processes.SetFocus(tree);
    // Every keystroke waits a bounded time for the editor; one it does not
    // take in that time ends the typing.
    const auto send = [&](std::uint32_t message, std::uintptr_t key, std::intptr_t count) {
        return processes.SendWindowMessage(tree, message, key, count, kKeystrokeTimeoutMs);
    };
    // The key's name is typed as the tree compares it: in UTF-16 units, one
    // WM_CHAR each (a character beyond the Basic Multilingual Plane is its
    // two surrogates). A name no UTF-16 spells is not typed at all.
    std::u16string units;
    if (!Utf16FromUtf8(keyPath, units)) return;
    for (int i = 0; i < kLeftArrows; ++i)
        if (!send(kWmKeyDown, kVkLeft, 0)) return;
    if (!send(kWmKeyDown, kVkRight, 0)) return;
    for (char16_t c : units) {
        if (c == u'\\') {
            if (!send(kWmKeyDown, kVkRight, 0)) return;
            processes.Sleep(kPauseAfterExpandMs);
        } else if (!send(kWmChar, c, kTypedKey)) {
            return;
        }
    }
}

void JumpTo(Platform& platform, const Category& category, const Entry& row) {
    switch (category.jump) {
        case JumpTarget::RegistryKey:
            if (const RegistryLocation* at = RegistryOf(row.where))
                JumpToRegistryKey(platform, KeyNameOf(category.source, *at));
            break;
        case JumpTarget::Folder:
            if (const auto* at = std::get_if<FileLocation>(&row.where)) OpenFolder(platform, at->folder);
            if (const auto* task = std::get_if<TaskLocation>(&row.where)) OpenFolder(platform, task->folder);
            break;
        case JumpTarget::ProgramFolder:
            OpenFolder(platform, ExtractFileDir(TargetFileOf(platform.system, category, row.command)));
            break;
    }
}

}  // namespace qm
