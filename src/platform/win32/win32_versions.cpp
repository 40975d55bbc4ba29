#include "platform/win32/windows_clean.h"
#include "platform/win32/win32_platform.h"

#include <string>

#include "platform/win32/system_library.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace qm::win32 {

using GetSizeFunction = DWORD WINAPI(LPCWSTR, LPDWORD);
using GetInfoFunction = BOOL WINAPI(LPCWSTR, DWORD, DWORD, LPVOID);

struct Win32Versions::Library {
    explicit Library(const wchar_t* name) : dll(name) {}
    SystemLibrary dll;
    GetSizeFunction* getSize = dll.Find<GetSizeFunction>("GetFileVersionInfoSizeW");
    GetInfoFunction* getInfo = dll.Find<GetInfoFunction>("GetFileVersionInfoW");
};

Win32Versions::Win32Versions(const wchar_t* library) : name_(library) {}
Win32Versions::~Win32Versions() = default;

Win32Versions::Library& Win32Versions::Functions() {
    if (!library_) library_ = std::make_unique<Library>(name_);
    return *library_;
}

std::uint32_t Win32Versions::GetFileVersionInfoSize(const std::string& path) {
    Library& library = Functions();
    if (!library.getSize || !library.getInfo) return 0;  // no version library: no version information
    std::wstring wide;
    if (!ToWide(path, wide)) return 0;
    DWORD handle = 0;
    return library.getSize(wide.c_str(), &handle);
}

bool Win32Versions::GetFileVersionInfo(const std::string& path, std::uint32_t size, std::vector<std::uint8_t>& block) {
    Library& library = Functions();
    if (!library.getInfo || size == 0) return false;
    std::wstring wide;
    if (!ToWide(path, wide)) return false;
    block.assign(size, 0);
    return library.getInfo(wide.c_str(), 0, size, block.data()) != FALSE;
}

}  // namespace qm::win32
