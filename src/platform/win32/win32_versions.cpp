#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_clean.h"

#include <string>

namespace qm::win32 {

std::uint32_t Win32Versions::GetFileVersionInfoSize(const std::string& path) {
    DWORD handle = 0;
    return GetFileVersionInfoSizeA(path.c_str(), &handle);
}

bool Win32Versions::GetFileVersionInfo(const std::string& path, std::uint32_t size, std::vector<std::uint8_t>& block) {
    block.assign(size, 0);
    return GetFileVersionInfoA(path.c_str(), 0, size, block.data()) != FALSE;
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
