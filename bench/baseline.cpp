// The bare minimum the program must do at start with the HKCU Run key: the
// same platform calls per value (read twice, the privilege and the icon
// lookup, the two image lists), twice over as the start-up scan and the first
// show of the Run tab do, and a shown window with a report list. Nothing
// else. The Wine benchmark compares quellmark.exe against it.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <vector>

namespace {

void EnableDebugPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
    TOKEN_PRIVILEGES set{};
    set.PrivilegeCount = 1;
    set.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &set.Privileges[0].Luid)) {
        TOKEN_PRIVILEGES previous{};
        DWORD length = 0;
        AdjustTokenPrivileges(token, FALSE, &set, sizeof(previous), &previous, &length);
    }
    CloseHandle(token);
}

void ReadValue(HKEY key, const char* name, std::vector<char>& data) {
    DWORD type = 0, size = 0;
    RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    data.resize(size + 1);
    RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
}

void ScanRun(HWND list) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_ALL_ACCESS, &key))
        return;
    DWORD values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    std::vector<char> data;
    for (DWORD i = 0; i < values; ++i) {
        char name[16384];
        DWORD size = sizeof(name);
        if (RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr)) break;
        ReadValue(key, name, data);
        ReadValue(key, name, data);
        EnableDebugPrivilege();
        SHFILEINFOA info{};
        SHGetFileInfoA("c:\\program files\\app\\app.exe", 0, &info, sizeof(info),
                       SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES);
        EnableDebugPrivilege();
        HIMAGELIST small = reinterpret_cast<HIMAGELIST>(
            SHGetFileInfoA("C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
        HIMAGELIST large =
            reinterpret_cast<HIMAGELIST>(SHGetFileInfoA("C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX));
        if (list) {
            SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small));
            SendMessageA(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(large));
        }
    }
    if (list) SendMessageA(list, LVM_SETITEMCOUNT, values, 0);
    RegCloseKey(key);
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) PostQuitMessage(0);
    if (msg == WM_CLOSE) {
        DestroyWindow(hwnd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
    CoInitialize(nullptr);
    ScanRun(nullptr);  // the start-up scan
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = "TBaseline";
    RegisterClassA(&wc);
    HWND main = CreateWindowA("TBaseline", "Baseline", WS_OVERLAPPEDWINDOW, 100, 100, 570, 490, nullptr, nullptr,
                              instance, nullptr);
    HWND list =
        CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHAREIMAGELISTS, 0, 0,
                      550, 410, main, nullptr, instance, nullptr);
    ShowWindow(main, SW_SHOW);
    ScanRun(list);  // the first show of the Run tab
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    CoUninitialize();
    return 0;
}
