#include "platform/win32/windows_clean.h"
#include "platform/win32/win32_platform.h"

#include <string>

#include "platform/win32/system_library.h"
#include "platform/win32/win32_handles.h"

namespace qm::win32 {

using GetSizeFunction = DWORD WINAPI(LPCSTR, LPDWORD);
using GetInfoFunction = BOOL WINAPI(LPCSTR, DWORD, DWORD, LPVOID);

struct Win32Versions::Library {
    explicit Library(const wchar_t* name) : dll(name) {}
    SystemLibrary dll;
    GetSizeFunction* getSize = dll.Find<GetSizeFunction>("GetFileVersionInfoSizeA");
    GetInfoFunction* getInfo = dll.Find<GetInfoFunction>("GetFileVersionInfoA");
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
    DWORD handle = 0;
    return library.getSize(path.c_str(), &handle);
}

bool Win32Versions::GetFileVersionInfo(const std::string& path, std::uint32_t size, std::vector<std::uint8_t>& block) {
    Library& library = Functions();
    if (!library.getInfo || size == 0) return false;
    block.assign(size, 0);
    return library.getInfo(path.c_str(), 0, size, block.data()) != FALSE;
}

std::string Win32Versions::ToAnsi(const std::u16string& text) {
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, length, out.data(), bytes, nullptr, nullptr);
    return out;
}

}  // namespace qm::win32
