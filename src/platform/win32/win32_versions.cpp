#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_clean.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/win32_handles.h"

namespace qm::win32 {

std::uint32_t Win32Versions::GetFileVersionInfoSize(const std::string& path) {
    DWORD handle = 0;
    return GetFileVersionInfoSizeA(path.c_str(), &handle);
}

bool Win32Versions::GetFileVersionInfo(const std::string& path, std::uint32_t size, std::vector<std::uint8_t>& block) {
    block.assign(size, 0);
    return GetFileVersionInfoA(path.c_str(), 0, size, block.data()) != FALSE;
}

bool Win32Versions::VerQueryValue(const std::vector<std::uint8_t>& block, const std::string& subBlock,
                                  std::vector<std::uint8_t>& value) {
    void* data = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), subBlock.c_str(), &data, &length) || !data) return false;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    // String values report their length in characters; both are bytes in ANSI.
    value.assign(bytes, bytes + length);
    return true;
}

}  // namespace qm::win32
