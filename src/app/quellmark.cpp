// Program entry on Windows: the DLL search (and no start where it cannot be
// kept to System32), COM and the common controls, the main form with its
// start-up scan, the hidden Item Properties window, then the event loop.
#include "platform/win32/windows_clean.h"

#include "core/safe_start.h"
#include "forms/main_form.h"
#include "platform/win32/com_apartment.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_platform.h"
#include "ui/win32/item_window.h"
#include "ui/win32/main_window.h"
#include "ui/win32/win32_toolkit.h"
#include "ui/win32/window_support.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything can load a DLL by name: System32 only, never the
    // folder the program was saved to or the current one.
    qm::win32::RestrictDllSearchToSystem32();
    qm::win32::Win32Machine machine;  // loads nothing until it is asked
    // Where the search cannot be restricted, a box says why, and that is all.
    if (!qm::MayRun(machine.platform)) return 1;
    // comctl32 is no known DLL, so it is not imported; the manifest's
    // activation context still gives version 6 (system_library.h).
    const qm::win32::CommonControls* controls = qm::win32::LoadCommonControls();
    if (!controls) {
        qm::win32::ReportFailure(nullptr, "The common controls library of the system could not be loaded");
        return 1;
    }
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES;
    controls->InitCommonControlsEx(&icc);
    qm::win32::ComApartment com;
    qm::win32::Win32Toolkit toolkit;
    qm::MainForm form(machine.platform, toolkit);
    form.ScanAtStart();  // the start-up scan, before the window is shown
    // The Item Properties window, hidden until the first properties request.
    qm::win32::ItemWindow itemWindow(*form.itemDialog, instance);
    return qm::win32::RunMainWindow(form, instance);
}
