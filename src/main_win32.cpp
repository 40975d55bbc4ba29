// Program entry on Windows: COM and the common controls, the main form with
// its start-up scan, the hidden Item Properties window, then the event loop.
#include "platform/win32/windows_clean.h"

#include "platform/win32/main_window.h"
#include "platform/win32/win32_platform.h"
#include "startups.h"

namespace {

// COM for the main thread, single-threaded apartment, for the whole run.
class ComApartment {
public:
    ComApartment() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (ok_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool ok_;
};

// Until the Item Properties dialog has its own window, a hidden one holds its place.
HWND CreateItemFormPlaceholder(HINSTANCE instance) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "TItemForm";
    RegisterClassExA(&wc);
    return CreateWindowExA(WS_EX_DLGMODALFRAME, "TItemForm", "Item Properties", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                           CW_USEDEFAULT, CW_USEDEFAULT, 400, 300, nullptr, nullptr, instance, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&icc);
    ComApartment com;
    qm::win32::Win32Machine machine;
    qm::TMainForm form(machine.platform);  // runs the start-up scan
    HWND itemForm = CreateItemFormPlaceholder(instance);
    int rc = qm::win32::RunMainWindow(form, instance);
    if (itemForm) DestroyWindow(itemForm);
    return rc;
}
