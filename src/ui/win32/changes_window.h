// The Changes window in Win32: a modal dialog over the main window that
// lists the change journal and reports the selected row and the Restore,
// Forget and Close presses to its ChangesForm.
#pragma once
#include "platform/win32/windows_clean.h"

namespace qm::win32 {

// The window's class and its controls' identifiers, which tools outside
// the program use to find them.
inline constexpr const wchar_t* kChangesWindowClass = L"TChangesForm";
enum ChangesControlId : int {
    kChangesClose = IDCANCEL,  // Esc, Enter (the default button) and the close box too
    kChangesList = 100,
    kChangesRestore = 101,
    kChangesForget = 102,
    kChangesStatus = 103,
};

}  // namespace qm::win32
