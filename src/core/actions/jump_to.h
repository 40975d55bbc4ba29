// Jump To: the Registry Editor walked to a key by keystrokes, and the
// process launcher it uses. The menu's action is JumpTo (actions.h).
#pragma once
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace qm {

// Brings up the Registry Editor (starting it when it is not running) and
// types `keyPath` ("HKEY_CURRENT_USER\\Software\\...") into its key tree.
// Reports nothing: a missing editor or tree only means the keys are lost.
void JumpToRegistryKey(Platform& platform, const std::string& keyPath);

// The Registry Editor: its full path in the Windows directory; empty when
// that directory is unknown. The command line that starts it is that path in quotes.
std::string RegistryEditorPath(Platform& platform);
std::string RegistryEditorCommandLine(Platform& platform);

// The editor's main window: a top-level window of its class
// ("RegEdit_RegEdit") whose process runs RegistryEditorPath, whether this
// program started it or found it running. A window of that class from any
// other program is passed over: it would get the keys typed, or hang the
// program by not answering. None when there is no such window.
WindowHandle FindRegistryEditor(Platform& platform);

// Starts `commandLine` in a new console, in System32 and with the system's
// own environment; -1 when it does not start (also for a command line
// longer than kMaxCommandLine, and when the system directory or
// environment cannot be had), else 0 or, with `waitForExit`, the exit code.
// A failed wait for the end raises the platform's error.
inline constexpr std::size_t kMaxCommandLine = 512;
std::int32_t RunProcess(Platform& platform, const std::string& commandLine, bool waitForExit, bool waitForIdle);

}  // namespace qm
