// The main window in Win32: a tab control over one virtual report list per category,
// OK, About and "Changes..." buttons. It draws what MainForm holds and reports the user's
// events back to it.
#pragma once
#include "platform/win32/windows_clean.h"

#include "ui/win32/window_classes.h"

namespace qm {
class MainForm;
}

namespace qm::win32 {

// Creates the window for `form`, shows it (which refreshes the active page)
// and runs the event loop until the window closes.
int RunMainWindow(MainForm& form, HINSTANCE instance);

// Brings this thread's main window up to what its form holds, while one of
// its modal dialogs has changed the form's lists.
void RedrawMainWindow(HWND window);

}  // namespace qm::win32
