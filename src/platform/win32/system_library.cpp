#include "platform/win32/system_library.h"

#include <string>
#include <type_traits>

namespace qm::win32 {

namespace {

constexpr DWORD kSearchSystem32 = 0x800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

std::wstring SystemFolderPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return std::wstring(folder, length) + L"\\" + name;
}

bool gRestricted = false;  // what RestrictDllSearchToSystem32 achieved

}  // namespace

bool RestrictDllSearchToSystem32() {
    // kernel32 is a known DLL; the function is looked up because Windows
    // without it would refuse to start a program that imports it.
    using SetDefaultDllDirectoriesFunction = BOOL WINAPI(DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto* restrict = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFunction*>(
                                  reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                            : nullptr;
    gRestricted = restrict&& restrict(kSearchSystem32);
    // At least not the current folder, for the message that says why the program stops.
    if (!gRestricted) SetDllDirectoryW(L"");
    return gRestricted;
}

bool DllSearchIsRestricted() { return gRestricted; }

SystemLibrary::SystemLibrary(const wchar_t* name) {
    module_ = LoadLibraryExW(name, nullptr, kSearchSystem32);
    if (!module_ && GetLastError() == ERROR_INVALID_PARAMETER) {
        // Windows without the search flags: the file of System32 by its full path.
        const std::wstring path = SystemFolderPath(name);
        if (!path.empty()) module_ = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
}

SystemLibrary::~SystemLibrary() {
    if (module_) FreeLibrary(module_);
}

const CommonControls* LoadCommonControls() {
    static const SystemLibrary library(L"comctl32.dll");
    static const CommonControls functions{
        library.Find<std::remove_pointer_t<decltype(CommonControls::InitCommonControlsEx)>>("InitCommonControlsEx"),
        library.Find<std::remove_pointer_t<decltype(CommonControls::ImageList_LoadImageW)>>("ImageList_LoadImageW"),
        library.Find<std::remove_pointer_t<decltype(CommonControls::ImageList_Destroy)>>("ImageList_Destroy"),
        library.Find<std::remove_pointer_t<decltype(CommonControls::ImageList_Draw)>>("ImageList_Draw"),
    };
    const bool complete = functions.InitCommonControlsEx && functions.ImageList_LoadImageW &&
                          functions.ImageList_Destroy && functions.ImageList_Draw;
    return complete ? &functions : nullptr;
}

}  // namespace qm::win32
