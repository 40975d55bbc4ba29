// Jump To on the simulated machine: the Registry Editor started or found,
// the exact keystrokes its key tree receives (with the pauses on a virtual
// clock), folder opens, and the fifteen menu handlers driven as a user would.
#include <gtest/gtest.h>

#include "core/actions/jump_to.h"
#include "core/actions/open_folder.h"
#include "core/errors.h"
#include "forms/main_form.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

using sim::WindowCall;

// The messages sent to `tree` and the pauses, one token each: "<" a left
// arrow, ">" a right arrow, a typed character as itself, "~750" a pause.
// Anything else, or a message to another window, shows up in brackets.
std::string Keystrokes(const sim::SimProcesses& p, WindowHandle tree) {
    std::string out;
    for (const WindowCall& c : p.calls) {
        if (c.kind == WindowCall::Sleep) {
            out += "~" + std::to_string(c.value);
        } else if (c.kind == WindowCall::Send) {
            if (c.window != tree) out += "[other window]";
            if (c.message == 0x100 && c.wParam == 0x25 && c.lParam == 0) out += "<";
            else if (c.message == 0x100 && c.wParam == 0x27 && c.lParam == 0) out += ">";
            else if (c.message == 0x102 && c.lParam == 1 && c.wParam >= 32 && c.wParam < 127)
                out += static_cast<char>(c.wParam);
            else
                out += "[" + std::to_string(c.message) + " " + std::to_string(c.wParam) + " " +
                       std::to_string(c.lParam) + "]";
        }
    }
    return out;
}

const std::string kClimb = std::string(31, '<') + ">";

// The key path a walk typed: after the climb, a right arrow with its pause
// stands for a backslash.
std::string TypedPath(const sim::SimProcesses& p, WindowHandle tree) {
    std::string keys = Keystrokes(p, tree);
    if (keys.rfind(kClimb, 0) != 0) return "<no climb> " + keys;
    std::string path;
    for (size_t i = kClimb.size(); i < keys.size(); ++i) {
        if (keys.compare(i, 5, ">~750") == 0) {
            path += '\\';
            i += 4;
        } else {
            path += keys[i];
        }
    }
    return path;
}

// The calls before the first keystroke, as "Kind:window:value" texts.
std::vector<std::string> Preamble(const sim::SimProcesses& p) {
    static const char* kNames[] = {"Start",      "WaitIdle", "WaitExit", "CloseHandle", "Show",
                                   "Foreground", "Focus",    "Send",     "Sleep"};
    std::vector<std::string> out;
    for (const WindowCall& c : p.calls) {
        if (c.kind == WindowCall::Send) break;
        std::string text = kNames[c.kind];
        if (c.kind == WindowCall::Start) text += ":" + c.text + ":" + std::to_string(c.value);
        if (c.kind == WindowCall::Show) text += ":" + std::to_string(c.wParam);
        out.push_back(text);
    }
    return out;
}

const char* kRunKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST(JumpToRegistryKey, StartsAClosedEditorWaitsUntilReadyAndWalksTheTree) {
    sim::SimDesktop m;
    JumpToRegistryKey(m.platform, kRunKey);
    const WindowHandle editor = m.processes.FindWindow(nullptr, nullptr);
    const WindowHandle tree = m.processes.RegistryEditorTree();
    ASSERT_TRUE(tree);
    EXPECT_EQ((std::vector<std::string>{"Start:\"C:\\windows\\regedit.exe\":48", "WaitIdle", "CloseHandle",
                                        "CloseHandle", "Show:5", "Foreground", "Foreground", "Focus"}),
              Preamble(m.processes));
    EXPECT_EQ(10000u,
              m.processes.calls[1].value);  // an editor that never gets ready holds the program ten seconds at most
    EXPECT_EQ(0, m.processes.OpenHandles());
    EXPECT_EQ(editor, m.processes.calls[4].window);
    EXPECT_EQ(editor, m.processes.calls[5].window);
    EXPECT_EQ(tree, m.processes.calls[6].window);
    EXPECT_EQ(tree, m.processes.calls[7].window);
    EXPECT_EQ(kClimb + "HKEY_CURRENT_USER>~750Software>~750Microsoft>~750Windows>~750CurrentVersion>~750Run",
              Keystrokes(m.processes, tree));
    EXPECT_EQ(3750u, m.processes.nowMs);  // five backslashes, no other pause
    EXPECT_TRUE(m.user.shown.empty());
}

TEST(JumpToRegistryKey, StartsTheEditorOfTheWindowsDirectoryNeverOneBesideTheProgramOrInTheCurrentDirectory) {
    struct Case {
        const char* windows;
        const char* commandLine;  // nullptr: nothing is started
    } cases[] = {
        {"C:\\windows", "\"C:\\windows\\regedit.exe\""},
        {"D:\\Win NT\\", "\"D:\\Win NT\\regedit.exe\""},  // quoted: a blank does not split the path
        {nullptr, nullptr},                               // the directory cannot be told
    };
    for (const Case& c : cases) {
        sim::SimDesktop m;
        // Programs named like the editor where a bare name would be looked for first.
        m.files.AddFile("C:\\Program Files\\Quellmark\\regedit.exe");
        m.files.AddFile(m.processes.currentDirectory + "\\regedit.exe");
        if (c.windows) m.system.windowsDirectory = c.windows;
        else m.system.windowsDirectoryFails = true;
        JumpToRegistryKey(m.platform, kRunKey);
        if (!c.commandLine) {
            EXPECT_TRUE(m.processes.calls.empty());
            continue;
        }
        ASSERT_FALSE(m.processes.calls.empty()) << c.windows;
        EXPECT_EQ(c.commandLine, m.processes.calls[0].text);
        const std::string editor =
            std::string(c.windows) + (std::string(c.windows).back() == '\\' ? "" : "\\") + "regedit.exe";
        EXPECT_EQ(std::vector<std::string>{editor}, m.processes.started) << c.windows;
        EXPECT_EQ(kRunKey, TypedPath(m.processes, m.processes.RegistryEditorTree())) << c.windows;
    }
}

TEST(JumpToRegistryKey, UsesAnOpenEditorWhereverItsTreeSits) {
    for (bool grandchild : {false, true}) {  // Windows' editor, Wine's editor
        sim::SimDesktop m;
        const WindowHandle editor = m.processes.OpenRegistryEditor(grandchild);
        JumpToRegistryKey(m.platform, "HKEY_USERS\\.DEFAULT");
        const WindowHandle tree = m.processes.RegistryEditorTree();
        EXPECT_TRUE(m.processes.started.empty()) << grandchild;
        EXPECT_EQ((std::vector<std::string>{"Show:5", "Foreground", "Foreground", "Focus"}), Preamble(m.processes));
        EXPECT_EQ(editor, m.processes.calls[0].window);
        EXPECT_EQ(tree, m.processes.calls[3].window);
        EXPECT_EQ(kClimb + "HKEY_USERS>~750.DEFAULT", Keystrokes(m.processes, tree)) << grandchild;
    }
}

TEST(JumpToRegistryKey, TypesEveryCharacterOfThePathAsItIs) {
    struct Case {
        const char* path;
        std::string keys;
    } cases[] = {
        {"", kClimb},  // only the climb to the top
        // A trailing backslash ends with the node expanded and a pause.
        {"HKEY_CURRENT_USER\\Software\\", kClimb + "HKEY_CURRENT_USER>~750Software>~750"},
        // Blanks are typed like any other character (Wine's tree drops them; Windows' does not).
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT",
         kClimb + "HKEY_LOCAL_MACHINE>~750SOFTWARE>~750Microsoft>~750Windows NT"},
        {"A\\\\B", kClimb + "A>~750>~750B"},
        // Every character goes as its UTF-16 unit; one beyond the Basic
        // Multilingual Plane as its two surrogates.
        {"HKEY_CURRENT_USER\\M\u00FCnchen", kClimb + "HKEY_CURRENT_USER>~750M[258 252 1]nchen"},
        {"HKEY_CURRENT_USER\\\u0416\u4E2D", kClimb + "HKEY_CURRENT_USER>~750[258 1046 1][258 20013 1]"},
        {"HKEY_CURRENT_USER\\\U0001F600", kClimb + "HKEY_CURRENT_USER>~750[258 55357 1][258 56832 1]"},
    };
    for (const Case& c : cases) {
        sim::SimDesktop m;
        m.processes.OpenRegistryEditor();
        JumpToRegistryKey(m.platform, c.path);
        EXPECT_EQ(c.keys, Keystrokes(m.processes, m.processes.RegistryEditorTree())) << c.path;
    }
}

TEST(JumpToRegistryKey, EndsSilentlyWithoutAnEditorOrItsTree) {
    sim::SimDesktop noEditor;
    noEditor.processes.registryEditorInstalled = false;
    JumpToRegistryKey(noEditor.platform, kRunKey);
    ASSERT_EQ(1u, noEditor.processes.calls.size());  // the failed start only
    EXPECT_EQ(WindowCall::Start, noEditor.processes.calls[0].kind);
    EXPECT_TRUE(noEditor.user.shown.empty());

    // An editor window without a key tree is shown, but nothing is typed and
    // the focus stays where it was.
    sim::SimDesktop noTree;
    const WindowHandle editor =
        noTree.processes.AddWindow(WindowHandle{}, "RegEdit_RegEdit", "", noTree.processes.RegistryEditorPath());
    noTree.processes.AddWindow(editor, "SysListView32");
    JumpToRegistryKey(noTree.platform, kRunKey);
    EXPECT_EQ((std::vector<std::string>{"Show:5", "Foreground"}), Preamble(noTree.processes));
    EXPECT_EQ(2u, noTree.processes.calls.size());
    EXPECT_EQ(0u, noTree.processes.nowMs);
}

// Windows of the editor's class made by other programs, already open, some
// not answering: none is shown, focused or typed into, and none holds the
// program up; the real editor is started and walked to the key as always.
TEST(JumpToRegistryKey, AWindowOfTheEditorsClassFromAnotherProgramIsPassedOver) {
    const char* const impostors[] = {"C:\\users\\anna\\Downloads\\regedit.exe", "C:\\windows\\system32\\regedit.exe",
                                     "C:\\windows\\regedit.exe.exe"};
    for (const char* impostor : impostors) {
        for (const bool hung : {false, true}) {
            sim::SimDesktop m;
            const WindowHandle foreign = m.processes.OpenRegistryEditor(false, impostor);
            if (hung) m.processes.Hang(foreign);
            JumpToRegistryKey(m.platform, kRunKey);
            const std::string label = std::string(impostor) + (hung ? " (hung)" : "");
            EXPECT_EQ(std::vector<std::string>{"C:\\windows\\regedit.exe"}, m.processes.started) << label;
            for (const auto& call : m.processes.calls) {
                if (call.window) {
                    EXPECT_NE(foreign, call.window) << label;
                }
            }
            EXPECT_FALSE(m.processes.WasSentTo(foreign)) << label;
            EXPECT_EQ(kClimb + "HKEY_CURRENT_USER>~750Software>~750Microsoft>~750Windows>~750CurrentVersion>~750Run",
                      Keystrokes(m.processes, m.processes.RegistryEditorTree()))
                << label;
            EXPECT_EQ(3750u, m.processes.nowMs) << label;  // no keystroke waited
        }
    }
}

// The real editor found running but not answering: each keystroke waits a
// bounded time, and the first one not taken ends the typing.
TEST(JumpToRegistryKey, AnEditorThatDoesNotAnswerEndsTheTypingAfterOneBoundedWait) {
    sim::SimDesktop m;
    m.processes.Hang(m.processes.OpenRegistryEditor());
    JumpToRegistryKey(m.platform, kRunKey);
    EXPECT_TRUE(m.processes.started.empty());
    int sends = 0;
    for (const auto& call : m.processes.calls)
        if (call.kind == WindowCall::Send) {
            ++sends;
            EXPECT_EQ(2000u, call.value);
        }
    EXPECT_EQ(1, sends);
    EXPECT_EQ(2000u, m.processes.nowMs);
}

TEST(RunProcess, StartsInANewConsoleAndClosesItsHandles) {
    sim::SimDesktop m;
    EXPECT_EQ(0, RunProcess(m.platform, "regedit.exe", false, false));
    ASSERT_EQ(3u, m.processes.calls.size());  // no wait at all
    EXPECT_EQ(0x30u, m.processes.calls[0].value);
    EXPECT_EQ(0, m.processes.OpenHandles());

    m.processes.exitCode = 7;
    EXPECT_EQ(7, RunProcess(m.platform, "regedit.exe", true, true));
    EXPECT_EQ(0, m.processes.OpenHandles());

    // A command line that does not fit the 513-character buffer starts nothing.
    m.processes.calls.clear();
    EXPECT_EQ(-1, RunProcess(m.platform, std::string(513, 'x'), false, true));
    EXPECT_TRUE(m.processes.calls.empty());
    EXPECT_EQ(-1, RunProcess(m.platform, std::string(512, 'x'), false, true));  // tried, and fails to start
    ASSERT_EQ(1u, m.processes.calls.size());
    EXPECT_EQ(512u, m.processes.calls[0].text.size());
}

TEST(RunProcess, AFailedWaitForTheEndRaisesThePlatformErrorAndStillClosesHandles) {
    sim::SimDesktop m;
    m.processes.waitForSingleObjectResult = 0xFFFFFFFFu;
    m.processes.lastError = 6;
    try {
        RunProcess(m.platform, "regedit.exe", true, false);
        FAIL() << "no failure raised";
    } catch (const QuellmarkError& e) {
        EXPECT_STREQ("System Error.  Code: 6", e.what());
    }
    EXPECT_EQ(0, m.processes.OpenHandles());
}

// A main form whose list on `tab` holds one row with these sub-items and
// this location.
struct Fixture {
    sim::SimDesktop m;
    std::unique_ptr<MainForm> form;
    Fixture() {
        m.files.AddFolder("C:\\Program Files\\Svc");
        m.files.AddFile("C:\\Program Files\\Svc\\svc.exe");
        m.files.AddFile("C:\\evil.exe");
        form = std::make_unique<MainForm>(m.platform, m.toolkit);
        form->ScanAtStart();
    }
    // A row whose cells after its name are `cells`; its command is the one
    // its list shows in its command column.
    void PutRow(int tab, std::vector<std::string> cells, Location where = {}, bool select = true) {
        EntryList& list = form->ListOf(tab);
        list.Clear();
        Entry& row = list.Add();
        row.name = "Entry";
        const size_t command =
            tab == TabOf("services-running") || tab == TabOf("components") || tab == TabOf("system-hooks") ? 1
            : tab == TabOf("tasks")                                                                        ? 3
            : tab == TabOf("services-drivers")                                                             ? 4
                                                                                                           : 0;
        if (command < cells.size()) row.command = cells[command];
        row.where = std::move(where);
        list.SetSelection(select ? 0 : -1, 0);
    }
    void Jump(int tab) { form->ListCommandClick(tab, ListCommand::JumpTo); }
};

RegistryLocation At(RegRoot root, const char* key, std::string subKey = "") {
    return RegistryLocation{.root = root, .key = key, .subKey = std::move(subKey), .value = "Entry"};
}

TEST(JumpToClick, EachRegistryListJumpsToTheKeyWhereItsRowLives) {
    // The texts of the row name another key: the jump goes by where the row lives.
    const std::vector<std::string> decoys{"x.exe", "HKEY_USERS", "HKEY_USERS\\Decoy", "\\Decoy"};
    using R = RegRoot;
    struct Case {
        int tab;
        RegistryLocation where;
        const char* key;
    } cases[] = {
        {TabOf("hkcu-run"), At(R::CurrentUser, keys::kRun), kRunKey},
        {TabOf("hklm-run"), At(R::LocalMachine, keys::kRun),
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"},
        {TabOf("hkcu-runonce"), At(R::CurrentUser, keys::kRunOnce),
         "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
        {TabOf("hklm-runonce"), At(R::LocalMachine, keys::kRunOnce),
         "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
        {TabOf("hklm-shell-service-objects"), At(R::LocalMachine, keys::kShellServiceObjects),
         "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad"},
        {TabOf("hklm-runonceex"), At(R::LocalMachine, keys::kRunOnceEx),
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx"},
        {TabOf("components"),
         At(R::LocalMachine, keys::kInstalledComponents, ">{22d6f312-b0f6-11d0-94ab-0080c74c7e95}"),
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Active Setup\\Installed "
         "Components\\>{22d6f312-b0f6-11d0-94ab-0080c74c7e95}"},
        {TabOf("winlogon"), At(R::LocalMachine, keys::kWinlogon),
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"},
        {TabOf("load-run"), At(R::CurrentUser, keys::kWindows),
         "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\"},
        {TabOf("hklm-explorer-run"), At(R::LocalMachine, keys::kExplorerRun),
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run"},
        {TabOf("hkcu-explorer-run"), At(R::CurrentUser, keys::kExplorerRun),
         "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run"},
        {TabOf("screensaver"), At(R::CurrentUser, keys::kDesktop), "HKEY_CURRENT_USER\\Control Panel\\Desktop"},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.PutRow(c.tab, decoys, c.where);
        f.Jump(c.tab);
        EXPECT_EQ(c.key, TypedPath(f.m.processes, f.m.processes.RegistryEditorTree())) << c.tab;
        EXPECT_EQ(std::vector<std::string>{"C:\\windows\\regedit.exe"}, f.m.processes.started) << c.tab;
        EXPECT_TRUE(f.m.shell.executions.empty()) << c.tab;
        EXPECT_TRUE(f.m.user.shown.empty()) << c.tab;
    }
}

TEST(JumpToClick, AJumpFromTheRunTabReachesTheRowsKey) {
    sim::SimDesktop m;
    m.registry.SetString("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Tray", "tray.exe");
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    form.ListById("hkcu-run").SetSelection(0, 0);
    form.ListCommandClick(TabOf("hkcu-run"), ListCommand::JumpTo);
    EXPECT_EQ(kRunKey, TypedPath(m.processes, m.processes.RegistryEditorTree()));
}

TEST(JumpToClick, FolderListsOpenOnlyExistingFoldersAndNeverStartAProgram) {
    const std::string startup = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp\\";
    auto in = [](const std::string& folder) { return FileLocation{.folder = folder, .name = "a.lnk"}; };
    const std::string startupArgument = startup.substr(0, startup.size() - 1);  // without its trailing backslash
    struct Case {
        int tab;
        std::vector<std::string> subItems;
        Location where;
        const char* opened;  // nullptr: nothing opens
    } cases[] = {
        // A startup row's folder is where it lives, whatever its columns say.
        {TabOf("startup-common"), {"c:\\a.exe", "", "C:\\Missing\\"}, in(startup), startupArgument.c_str()},
        {TabOf("startup-user"), {"c:\\a.exe", "", "C:\\Missing\\"}, in(startup), startupArgument.c_str()},
        {TabOf("startup-user"), {"c:\\a.exe", "", startup}, in("C:\\Missing\\"), nullptr},
        {TabOf("startup-user"), {"c:\\a.exe", "", startup}, in("C:\\evil.exe"), nullptr},
        // The service's program folder: lower case, no quotes, no arguments, no trailing backslash.
        {TabOf("services-running"),
         {"Svc", "\"C:\\Program Files\\Svc\\svc.exe\" -k run"},
         {},
         "c:\\program files\\svc"},
        {TabOf("services-running"),
         {"Svc", "C:\\svc.exe /service"},
         {},
         "c:\\\\"},                                                    // the root's backslash doubled before the quote
        {TabOf("services-running"), {"Svc", "svc.exe"}, {}, nullptr},  // no folder part
        {TabOf("services-running"), {"Svc", "\\svc.exe"}, {}, nullptr},  // not the root of whatever drive is current
        {TabOf("services-running"), {"Svc", "C:\\gone\\svc.exe"}, {}, nullptr},  // a folder that does not exist
        {TabOf("services-running"),
         {"Svc", "c:\\evil.exe\\x.exe"},
         {},
         nullptr},  // "c:\\evil.exe" is a program, not a folder
    };
    for (const Case& c : cases) {
        Fixture f;
        f.PutRow(c.tab, c.subItems, c.where);
        f.Jump(c.tab);
        const std::string label = std::to_string(c.tab) + " " + c.subItems.back();
        // A folder opens in the Windows directory's explorer.exe, never through the shell's "open" verb.
        EXPECT_TRUE(f.m.shell.executions.empty()) << label;
        std::vector<std::string> started;
        for (const auto& call : f.m.processes.calls)
            if (call.kind == sim::WindowCall::Start) started.push_back(call.text);
        if (c.opened)
            EXPECT_EQ(std::vector<std::string>{"\"C:\\windows\\explorer.exe\" \"" + std::string(c.opened) + "\""},
                      started)
                << label;
        else EXPECT_TRUE(started.empty()) << label;
        EXPECT_TRUE(f.m.user.shown.empty()) << label;
    }
}

TEST(JumpToClick, NoHandlerActsWithoutASelectedRow) {
    for (int tab = 0; tab < kCategoryCount; ++tab) {
        Fixture f;
        const Location where = tab == TabOf("startup-common") || tab == TabOf("startup-user")
                                   ? Location{FileLocation{.folder = "C:\\Program Files\\Svc\\", .name = "svc.exe"}}
                                   : Location{At(RegRoot::CurrentUser, keys::kRun)};
        f.PutRow(tab, {"\"C:\\Program Files\\Svc\\svc.exe\"", "\"C:\\Program Files\\Svc\\svc.exe\"", kRunKey}, where,
                 /*select=*/false);
        f.Jump(tab);
        EXPECT_TRUE(f.m.processes.calls.empty()) << tab;
        EXPECT_TRUE(f.m.shell.executions.empty()) << tab;
        EXPECT_TRUE(f.m.user.shown.empty()) << tab;
    }
}

}  // namespace
}  // namespace qm
