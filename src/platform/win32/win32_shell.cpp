#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_clean.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/failure.h"
#include "platform/win32/win32_handles.h"

namespace qm::win32 {

std::string ComErrorText(HRESULT hr) {
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    char code[32];
    std::snprintf(code, sizeof(code), "COM error 0x%08lX", static_cast<unsigned long>(hr));
    std::string message = n ? std::string(text, n) : std::string(code);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

std::uintptr_t Win32Shell::GetFileInfo(const std::string& path, std::uint32_t fileAttributes, ShellFileInfo& info,
                               std::uint32_t flags) {
    SHFILEINFOA record{};
    DWORD_PTR result = SHGetFileInfoA(path.c_str(), fileAttributes, &record, sizeof(record), flags);
    if (flags & SHGFI_EXETYPE) return result;
    if (result == 0) return 0;  // the record keeps the caller's defaults
    info.hIcon = FromRaw<IconHandle>(record.hIcon);
    info.iIcon = record.iIcon;
    info.attributes = record.dwAttributes;
    info.displayName.assign(record.szDisplayName, strnlen(record.szDisplayName, sizeof(record.szDisplayName)));
    info.typeName.assign(record.szTypeName, strnlen(record.szTypeName, sizeof(record.szTypeName)));
    return result;
}

bool Win32Shell::DestroyIcon(IconHandle icon) { return ::DestroyIcon(ToRaw<HICON>(icon)) != FALSE; }

bool Win32Shell::GetSpecialFolderPath(int csidl, bool create, std::string& path) {
    char buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, create)) return false;
    path.assign(buffer, strnlen(buffer, sizeof(buffer)));
    return true;
}

namespace {
class Win32ShellLink : public IShellLinkObject {
public:
    Win32ShellLink() {
        HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                      IID_IShellLinkA, reinterpret_cast<void**>(link_.Out()));
        if (FAILED(hr)) throw QuellmarkError(ComErrorText(hr));
        hr = link_->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file_.Out()));
        if (FAILED(hr)) throw QuellmarkError(ComErrorText(hr));
    }
    long Load(const std::string& path, std::uint32_t mode) override {
        int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
        std::wstring wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), n);
        return file_->Load(wide.c_str(), mode);
    }
    long GetPath(std::string& path, int bufferChars) override {
        std::vector<char> buffer(static_cast<size_t>(bufferChars), '\0');
        WIN32_FIND_DATAA data{};
        HRESULT hr = link_->GetPath(buffer.data(), bufferChars, &data, 0);
        path.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
        return hr;
    }

private:
    ComPtr<IShellLinkA> link_;
    ComPtr<IPersistFile> file_;
};
}  // namespace

std::unique_ptr<IShellLinkObject> Win32Shell::CreateShellLink() { return std::make_unique<Win32ShellLink>(); }

std::uintptr_t Win32Shell::ShellExecute(const std::string& operation, const std::string& file,
                                        const std::string& parameters, const std::string& directory, int show) {
    return reinterpret_cast<std::uintptr_t>(ShellExecuteA(nullptr, operation.empty() ? nullptr : operation.c_str(), file.c_str(),
                                  parameters.empty() ? nullptr : parameters.c_str(),
                                  directory.empty() ? nullptr : directory.c_str(), show));
}

bool Win32Shell::ShellExecuteEx(const ShellExecuteInfo& info) {
    SHELLEXECUTEINFOA sei{};
    sei.cbSize = sizeof(sei);
    sei.fMask = info.mask;
    // The program's top-level window, also when one of its dialogs is active.
    sei.hwnd = GetAncestor(GetActiveWindow(), GA_ROOTOWNER);
    sei.lpVerb = info.verb.empty() ? nullptr : info.verb.c_str();
    sei.lpFile = info.file.c_str();
    sei.lpParameters = info.parameters.empty() ? nullptr : info.parameters.c_str();
    sei.lpDirectory = info.directory.empty() ? nullptr : info.directory.c_str();
    sei.nShow = info.show;
    BOOL ok = ShellExecuteExA(&sei);
    if (sei.hProcess) ::CloseHandle(sei.hProcess);
    return ok != FALSE;
}

}  // namespace qm::win32
