/* A DLL that an attacker would place beside the program (or in the current
   folder) under the name of a system DLL that is not a known DLL. Loading it
   leaves a marker file beside it, "<its path>.loaded". Its version functions
   answer "no version information", so a program that loads it keeps running
   and the marker, not a crash, tells that it was loaded. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        WCHAR path[MAX_PATH + 16];
        DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            lstrcatW(path, L".loaded");
            HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
            if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
        }
    }
    return TRUE;
}

__declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR file, LPDWORD handle) {
    (void)file;
    if (handle) *handle = 0;
    return 0;
}
__declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR file, LPDWORD handle) {
    (void)file;
    if (handle) *handle = 0;
    return 0;
}
__declspec(dllexport) BOOL WINAPI GetFileVersionInfoA(LPCSTR file, DWORD handle, DWORD size, LPVOID data) {
    (void)file, (void)handle, (void)size, (void)data;
    return FALSE;
}
__declspec(dllexport) BOOL WINAPI GetFileVersionInfoW(LPCWSTR file, DWORD handle, DWORD size, LPVOID data) {
    (void)file, (void)handle, (void)size, (void)data;
    return FALSE;
}
__declspec(dllexport) BOOL WINAPI VerQueryValueA(LPCVOID block, LPCSTR sub, LPVOID* value, PUINT length) {
    (void)block, (void)sub, (void)value, (void)length;
    return FALSE;
}
__declspec(dllexport) BOOL WINAPI VerQueryValueW(LPCVOID block, LPCWSTR sub, LPVOID* value, PUINT length) {
    (void)block, (void)sub, (void)value, (void)length;
    return FALSE;
}
