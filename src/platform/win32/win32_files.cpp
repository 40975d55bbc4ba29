// The file system: the wildcard search of the startup folders, deletion,
// attributes, files opened as themselves to be checked, kept and deleted,
// and new files written whole to put a kept one back.
#include "platform/win32/windows_clean.h"
#include "platform/win32/win32_platform.h"

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

namespace qm::win32 {

void Win32Files::FindFiles(const std::string& pattern, std::uint32_t attributeMask, std::vector<FoundFile>& out) {
    WIN32_FIND_DATAW data{};
    std::wstring wide;
    if (!ToWide(pattern, wide)) return;
    const FileSearchOwner search = OwnFileSearch(FindFirstFileW(wide.c_str(), &data));
    if (!search) return;
    // The classic search leaves out hidden, system and directory entries
    // unless the mask asks for them.
    const DWORD excluded =
        ~attributeMask & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x8 | FILE_ATTRIBUTE_DIRECTORY);
    do {
        if (data.dwFileAttributes & excluded) continue;
        out.push_back({FromWide(data.cFileName), data.dwFileAttributes});
    } while (FindNextFileW(search.Get(), &data));
}

long Win32Files::ListFolder(const std::string& folder, std::size_t limit, std::vector<FolderEntry>& out) {
    out.clear();
    std::wstring pattern;
    if (!ToWide(folder, pattern)) return kErrorNoUnicodeTranslation;
    if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW data{};
    const auto first = [&](DWORD flags) {
        return FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &data, FindExSearchNameMatch, nullptr, flags);
    };
    FileSearchOwner search = OwnFileSearch(first(FIND_FIRST_EX_LARGE_FETCH));
    // Windows before 7 refuses the large fetch.
    if (!search && GetLastError() == ERROR_INVALID_PARAMETER) search = OwnFileSearch(first(0));
    if (!search) return static_cast<long>(GetLastError());
    do {
        if (std::wcscmp(data.cFileName, L".") == 0 || std::wcscmp(data.cFileName, L"..") == 0) continue;
        if (out.size() >= limit) {
            out.clear();
            return kErrorMoreData;
        }
        out.push_back({FromWide(data.cFileName), FromWide(data.cAlternateFileName), data.dwFileAttributes});
    } while (FindNextFileW(search.Get(), &data));
    const DWORD error = GetLastError();
    if (error == ERROR_NO_MORE_FILES) return kErrorSuccess;
    out.clear();
    return static_cast<long>(error);
}

long Win32Files::DeleteFile(const std::string& path) {
    std::wstring wide;
    if (!ToWide(path, wide)) return kErrorNoUnicodeTranslation;
    return DeleteFileW(wide.c_str()) ? kErrorSuccess : static_cast<long>(GetLastError());
}

std::uint32_t Win32Files::GetFileAttributes(const std::string& path) {
    std::wstring wide;
    if (!ToWide(path, wide)) return INVALID_FILE_ATTRIBUTES;
    return GetFileAttributesW(wide.c_str());
}

namespace {
HANDLE Native(FileHandle file) { return reinterpret_cast<HANDLE>(file.Value()); }

DWORD RightsFor(EntryAccess access) {
    constexpr DWORD kAttributes = FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    switch (access) {
        case EntryAccess::Deletion:
            return kAttributes | DELETE | FILE_READ_DATA;  // its content is kept before it goes
        case EntryAccess::Security:
            return kAttributes | READ_CONTROL;
        case EntryAccess::Attributes:
            break;
    }
    return kAttributes;
}

std::uint64_t FileTime(const FILETIME& time) { return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime; }

}  // namespace

FileHandle Win32Files::OpenEntry(const std::string& path, EntryAccess access, long& error) {
    std::wstring wide;
    if (!ToWide(path, wide)) {
        error = kErrorNoUnicodeTranslation;
        return FileHandle{};
    }
    HANDLE file =
        CreateFileW(wide.c_str(), RightsFor(access), FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = static_cast<long>(GetLastError());
        return FileHandle{};
    }
    error = kErrorSuccess;
    return FileHandle{reinterpret_cast<std::uintptr_t>(file)};
}

bool Win32Files::GetEntryInfo(FileHandle file, FileEntryInfo& info) {
    BY_HANDLE_FILE_INFORMATION data{};
    if (!GetFileInformationByHandle(Native(file), &data)) return false;
    info.attributes = data.dwFileAttributes;
    info.identity.volumeSerial = data.dwVolumeSerialNumber;
    info.identity.fileId = (std::uint64_t{data.nFileIndexHigh} << 32) | data.nFileIndexLow;
    info.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    info.creationTime = FileTime(data.ftCreationTime);
    info.lastAccessTime = FileTime(data.ftLastAccessTime);
    info.lastWriteTime = FileTime(data.ftLastWriteTime);
    return true;
}

bool Win32Files::GetFinalPath(FileHandle file, FinalPath& path) {
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD n =
        GetFinalPathNameByHandleW(Native(file), buffer.data(), static_cast<DWORD>(buffer.size()), VOLUME_NAME_DOS);
    if (n >= buffer.size()) {
        buffer.assign(n + 1, L'\0');
        n = GetFinalPathNameByHandleW(Native(file), buffer.data(), static_cast<DWORD>(buffer.size()), VOLUME_NAME_DOS);
    }
    if (n == 0 || n >= buffer.size()) return false;
    buffer.resize(n);
    // "\\?\C:\..." for a drive, "\\?\UNC\server\..." for a share.
    if (buffer.rfind(L"\\\\?\\UNC\\", 0) == 0) buffer.replace(0, 8, L"\\\\");
    else if (buffer.rfind(L"\\\\?\\", 0) == 0) buffer.erase(0, 4);
    path.exact = FromWide(buffer);
    return true;
}

bool Win32Files::GetLinkTarget(const std::string& path, FinalPath& target) {
    std::wstring wide;
    if (!ToWide(path, wide)) return false;
    const KernelObjectOwner file = OwnKernelObject(
        CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file && GetFinalPath(FromRaw<FileHandle>(file.Get()), target);
}

long Win32Files::DeleteEntry(FileHandle file) {
    // Its one member, the "delete" flag, is set (its name is taken by a macro).
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(Native(file), FileDispositionInfo, &disposition, sizeof(disposition))
               ? kErrorSuccess
               : static_cast<long>(GetLastError());
}

bool Win32Files::CloseEntry(FileHandle file) { return CloseHandle(Native(file)) != FALSE; }

long Win32Files::ReadFileBytes(const std::string& path, std::uint32_t limit, std::vector<std::uint8_t>& out) {
    out.clear();
    std::wstring wide;
    if (!ToWide(path, wide)) return kErrorNoUnicodeTranslation;
    const KernelObjectOwner file =
        OwnKernelObject(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return static_cast<long>(GetLastError());
    long result = kErrorSuccess;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) {
        result = static_cast<long>(GetLastError());
    } else if (size.QuadPart > limit) {
        result = kErrorFileTooLarge;
    } else {
        out.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!out.empty() && !::ReadFile(file.Get(), out.data(), static_cast<DWORD>(out.size()), &read, nullptr))
            result = static_cast<long>(GetLastError());
        out.resize(read);  // a file that shrank meanwhile gives what was there
    }
    if (result != kErrorSuccess) out.clear();
    return result;
}

long Win32Files::ReadEntryBytes(FileHandle file, std::uint32_t limit, std::vector<std::uint8_t>& out) {
    out.clear();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(Native(file), &size)) return static_cast<long>(GetLastError());
    if (static_cast<std::uint64_t>(size.QuadPart) > limit) return kErrorFileTooLarge;
    // Read by offset from the start, whatever the handle's own position, on
    // until the end: room for one byte more than the size shows a file that
    // grew meanwhile, which is read on in turn as long as it stays in the limit.
    const auto room = [](std::uint64_t bytes, std::vector<std::uint8_t>& buffer) {
        if (bytes > SIZE_MAX) return false;
        buffer.resize(static_cast<size_t>(bytes));
        return true;
    };
    std::vector<std::uint8_t> content;
    if (!room(static_cast<std::uint64_t>(size.QuadPart) + 1, content)) return ERROR_NOT_ENOUGH_MEMORY;
    std::uint64_t offset = 0;
    for (;;) {
        if (offset == content.size()) {
            if (offset > limit) return kErrorFileTooLarge;
            if (!room(std::min<std::uint64_t>(offset * 2 + 1, std::uint64_t{limit} + 1), content))
                return ERROR_NOT_ENOUGH_MEMORY;
        }
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD wanted = static_cast<DWORD>(std::min<std::uint64_t>(content.size() - offset, 1u << 30));
        DWORD read = 0;
        if (!::ReadFile(Native(file), content.data() + offset, wanted, &read, &at)) {
            const DWORD error = GetLastError();
            if (error == ERROR_HANDLE_EOF) break;
            return static_cast<long>(error);
        }
        if (read == 0) break;
        offset += read;
    }
    if (offset > limit) return kErrorFileTooLarge;
    content.resize(static_cast<size_t>(offset));
    out = std::move(content);
    return kErrorSuccess;
}

FileHandle Win32Files::CreateNewFile(const std::string& path, long& error) {
    std::wstring wide;
    if (!ToWide(path, wide)) {
        error = kErrorNoUnicodeTranslation;
        return FileHandle{};
    }
    // CREATE_NEW: never opens what is there, a link included.
    HANDLE file =
        CreateFileW(wide.c_str(), GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE,
                    0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = static_cast<long>(GetLastError());
        return FileHandle{};
    }
    error = kErrorSuccess;
    return FileHandle{reinterpret_cast<std::uintptr_t>(file)};
}

long Win32Files::WriteEntry(FileHandle file, const std::vector<std::uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD wanted = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(Native(file), bytes.data() + done, wanted, &written, nullptr))
            return static_cast<long>(GetLastError());
        if (written == 0) return ERROR_WRITE_FAULT;  // nothing taken and no reason given: never loop on it
        done += written;
    }
    return FlushFileBuffers(Native(file)) ? kErrorSuccess : static_cast<long>(GetLastError());
}

long Win32Files::SetEntryBasics(FileHandle file, const FileBasics& basics) {
    // A time of 0 leaves that time as it is; so does ChangeTime, which the
    // file system keeps itself.
    FILE_BASIC_INFO info{};
    info.CreationTime.QuadPart = static_cast<LONGLONG>(basics.creationTime);
    info.LastAccessTime.QuadPart = static_cast<LONGLONG>(basics.lastAccessTime);
    info.LastWriteTime.QuadPart = static_cast<LONGLONG>(basics.lastWriteTime);
    info.FileAttributes = basics.attributes;
    return SetFileInformationByHandle(Native(file), FileBasicInfo, &info, sizeof(info))
               ? kErrorSuccess
               : static_cast<long>(GetLastError());
}

}  // namespace qm::win32
