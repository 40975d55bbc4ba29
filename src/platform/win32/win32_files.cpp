// The file system: the wildcard search of the startup folders, deletion and attributes.
#include "platform/win32/windows_clean.h"
#include "platform/win32/win32_platform.h"

#include "platform/win32/win32_text.h"

namespace qm::win32 {

void Win32Files::FindFiles(const std::string& pattern, std::uint32_t attributeMask, std::vector<FoundFile>& out) {
    WIN32_FIND_DATAW data{};
    HANDLE search = FindFirstFileW(WideFromAnsi(pattern).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    // The classic search leaves out hidden, system and directory entries
    // unless the mask asks for them.
    const DWORD excluded =
        ~attributeMask & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x8 | FILE_ATTRIBUTE_DIRECTORY);
    do {
        if (data.dwFileAttributes & excluded) continue;
        out.push_back({AnsiFromWide(data.cFileName), data.dwFileAttributes});
    } while (FindNextFileW(search, &data));
    FindClose(search);
}

long Win32Files::DeleteFile(const std::string& path) {
    return DeleteFileA(path.c_str()) ? kErrorSuccess : static_cast<long>(GetLastError());
}

std::uint32_t Win32Files::GetFileAttributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

}  // namespace qm::win32
