// "&Jump To...": the Registry Editor walked to the entry's key, or the
// entry's folder opened in the shell.
#include "actions/jump_to.h"

#include <array>
#include <deque>

#include "actions/actions.h"
#include "errors.h"
#include "startups.h"

namespace qm {

namespace {

constexpr std::uint32_t kWmKeyDown = 0x0100, kWmChar = 0x0102;
constexpr std::uintptr_t kVkLeft = 0x25, kVkRight = 0x27;
// A typed key carries a repeat count of 1 in its second parameter; Wine's
// key tree ignores characters that arrive with 0.
constexpr std::intptr_t kTypedKey = 1;
constexpr int kSwShowNormal = 1, kSwShow = 5;
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

const std::string kEditorClass = "RegEdit_RegEdit";
const std::string kTreeClass = "SysTreeView32";

// Closes a process or thread handle on every path out.
class ProcessHandle {
public:
    ProcessHandle(IProcesses& processes, Handle h) : processes_(processes), h_(h) {}
    ~ProcessHandle() {
        if (h_) processes_.CloseHandle(h_);
    }
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;
    Handle Get() const { return h_; }

private:
    IProcesses& processes_;
    Handle h_;
};

// The first window of `className` among all descendants of `top`, nearest
// generation first. Windows' own editor has its tree as a direct child;
// Wine's has it one level further down, under a frame window.
Handle FindDescendant(IProcesses& processes, Handle top, const std::string& className) {
    std::deque<Handle> parents{top};
    int searched = 0;
    while (!parents.empty() && searched < kMaxWindowsSearched) {
        const Handle parent = parents.front();
        parents.pop_front();
        if (Handle found = processes.FindWindowEx(parent, 0, &className, nullptr)) return found;
        for (Handle child = processes.FindWindowEx(parent, 0, nullptr, nullptr);
             child && searched < kMaxWindowsSearched; child = processes.FindWindowEx(parent, child, nullptr, nullptr)) {
            parents.push_back(child);
            ++searched;
        }
    }
    return 0;
}

// Opens a folder in a shell window. Only an existing folder is handed to the
// shell: its "open" verb would start a program named by a path that is not
// a folder ("c:\\evil.exe" derived from "c:\\evil.exe\\x.exe").
void OpenFolder(Platform& platform, const std::string& folder) {
    if (folder.empty()) return;
    const std::uint32_t attributes = platform.files.GetFileAttributes(folder);
    if (attributes == kInvalidFileAttributes || !(attributes & kFileAttributeDirectory)) return;
    platform.shell.ShellExecute(ShellOwner::MainWindow, "open", folder, "", "", kSwShowNormal);
}

enum class JumpAction { RegistryKey, Folder, ProgramFolder };

struct TJumpTarget {
    TListView TMainForm::*List;
    JumpAction Action;
    const char* Prefix;  // put before the row's text, or the whole key when SubItem is -1
    int SubItem;         // the row's sub-item that names the place, -1 for none
};

// JumpTo1Click ... JumpTo15Click, in their order.
constexpr std::array<TJumpTarget, 15> kJumpTargets{{
    {&TMainForm::hku, JumpAction::RegistryKey, "", 2},
    {&TMainForm::LV, JumpAction::RegistryKey, "", 2},
    {&TMainForm::comon, JumpAction::Folder, "", 2},
    {&TMainForm::User, JumpAction::Folder, "", 2},
    {&TMainForm::runonce, JumpAction::RegistryKey, "", 2},
    {&TMainForm::hklmrunonce, JumpAction::RegistryKey, "", 2},
    {&TMainForm::shellobject, JumpAction::RegistryKey, "", 2},
    {&TMainForm::runoncex, JumpAction::RegistryKey, "", 2},
    {&TMainForm::InstCompo, JumpAction::ProgramFolder, "", 1},
    {&TMainForm::actx, JumpAction::RegistryKey,
     "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\", 2},
    {&TMainForm::logs, JumpAction::RegistryKey, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
     -1},
    {&TMainForm::lorun, JumpAction::RegistryKey, "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\",
     -1},
    {&TMainForm::explomac, JumpAction::RegistryKey,
     "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run", -1},
    {&TMainForm::explou, JumpAction::RegistryKey,
     "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run", -1},
    {&TMainForm::desktop, JumpAction::RegistryKey, "HKEY_CURRENT_USER\\Control Panel\\Desktop", -1},
}};

}  // namespace

std::int32_t RunProcess(Platform& platform, const std::string& commandLine, bool waitForExit, bool waitForIdle) {
    // The command line goes through a writable buffer of 513 characters:
    // a longer one would not fit, and nothing is started for it.
    if (commandLine.size() > kMaxCommandLine) return -1;
    IProcesses& processes = platform.processes;
    ProcessInfo info;
    if (!processes.CreateProcess(commandLine, kCreateNewConsole | kNormalPriorityClass, info)) return -1;
    ProcessHandle process(processes, info.process), thread(processes, info.thread);
    if (waitForExit) {
        std::uint32_t wait;
        while ((wait = processes.WaitForSingleObject(process.Get(), kInfinite)) != kWaitObject0) {
            if (wait == kWaitFailed)
                throw QuellmarkError(FormatMessage1("System Error.  Code: %d", static_cast<int>(processes.GetLastError())));
        }
        std::uint32_t code = 0;
        processes.GetExitCodeProcess(process.Get(), code);
        return static_cast<std::int32_t>(code);
    }
    if (waitForIdle) processes.WaitForInputIdle(process.Get(), kInfinite);
    return 0;
}

// The Registry Editor by its full path in the Windows directory, quoted: a
// bare "regedit.exe" would first be looked for in this program's own folder
// and the current directory, where anyone may have put a program of that
// name, which would then run with this program's rights.
std::string RegistryEditorCommandLine(Platform& platform) {
    std::string windows;
    if (!platform.system.GetWindowsDirectory(windows) || windows.empty()) return {};
    if (windows.back() != '\\') windows += '\\';
    return "\"" + windows + "regedit.exe\"";
}

void JumpToRegistryKey(Platform& platform, const std::string& keyPath) {
    IProcesses& processes = platform.processes;
    if (!processes.FindWindow(&kEditorClass, nullptr)) {
        const std::string editor = RegistryEditorCommandLine(platform);
        if (editor.empty() || RunProcess(platform, editor, false, true) != 0) return;
    }
    const Handle editor = processes.FindWindow(&kEditorClass, nullptr);
    if (!editor) return;
    processes.ShowWindow(editor, kSwShow);
    processes.SetForegroundWindow(editor);
    // Without a key tree there is nothing to type into; giving the focus to
    // no window would take it from the main window instead.
    const Handle tree = FindDescendant(processes, editor, kTreeClass);
    if (!tree) return;
    processes.SetForegroundWindow(tree);
    processes.SetFocus(tree);
    for (int i = 0; i < kLeftArrows; ++i) processes.SendWindowMessage(tree, kWmKeyDown, kVkLeft, 0);
    processes.SendWindowMessage(tree, kWmKeyDown, kVkRight, 0);
    for (char c : keyPath) {
        if (c == '\\') {
            processes.SendWindowMessage(tree, kWmKeyDown, kVkRight, 0);
            processes.Sleep(kPauseAfterExpandMs);
        } else {
            processes.SendWindowMessage(tree, kWmChar, static_cast<unsigned char>(c), kTypedKey);
        }
    }
}

void JumpToClick(TMainForm& form, int tab) {
    TListView& list = form.ListOf(tab);
    for (const TJumpTarget& target : kJumpTargets) {
        if (&(form.*target.List) != &list) continue;
        const TEntryRow* row = list.Selected();
        if (!row) return;
        const std::string place = target.Prefix + (target.SubItem >= 0 ? row->SubItems[target.SubItem] : std::string());
        switch (target.Action) {
            case JumpAction::RegistryKey:
                JumpToRegistryKey(form.platform, place);
                break;
            case JumpAction::Folder:
                OpenFolder(form.platform, place);
                break;
            case JumpAction::ProgramFolder:
                OpenFolder(form.platform, ExtractFileDir(ExtractTargetPath(place, ".exe")));
                break;
        }
        return;
    }
}

}  // namespace qm
