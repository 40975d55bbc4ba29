#include "platform/win32/windows_clean.h"
#include "platform/win32/win32_platform.h"

#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>

#include <algorithm>
#include <iterator>
#include <cstdio>
#include <cstring>

#include "platform/failure.h"
#include "platform/win32/com_apartment.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace qm::win32 {

namespace {

// The windows the toolkit handed over, by owner; the program's windows live
// on one thread.
HWND gOwnerWindows[3] = {};

// The program's window that owns a shell call; null when it has none (yet).
HWND OwnerWindow(ShellOwner owner) {
    const auto index = static_cast<size_t>(owner);
    return owner == ShellOwner::None || index >= std::size(gOwnerWindows) ? nullptr : gOwnerWindows[index];
}

}  // namespace

void SetShellOwnerWindow(ShellOwner owner, void* window) {
    const auto index = static_cast<size_t>(owner);
    if (owner != ShellOwner::None && index < std::size(gOwnerWindows))
        gOwnerWindows[index] = static_cast<HWND>(window);
}

std::string ComErrorText(HRESULT hr) {
    wchar_t* allocated = nullptr;
    DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&allocated), 0, nullptr);
    const LocalMemoryOwner<wchar_t> text({}, allocated);
    char code[32];
    std::snprintf(code, sizeof(code), "COM error 0x%08lX", static_cast<unsigned long>(hr));
    std::string message = n && text ? FromWide(text.Get(), n) : std::string(code);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

namespace {

#ifndef _WIN64
// File-system redirection off for this thread while it lives (a 32-bit
// program on 64-bit Windows; elsewhere it does nothing).
class RedirectionOff {
public:
    RedirectionOff() : off_(Wow64DisableWow64FsRedirection(&old_)) {}
    ~RedirectionOff() {
        if (off_) Wow64RevertWow64FsRedirection(old_);
    }
    RedirectionOff(const RedirectionOff&) = delete;
    RedirectionOff& operator=(const RedirectionOff&) = delete;

private:
    PVOID old_ = nullptr;
    BOOL off_;
};

// The System32 path of a file named by its Sysnative path (the real
// System32 of a 32-bit program on 64-bit Windows); empty for any other.
std::wstring System32PathOf(const std::wstring& path) {
    wchar_t windows[MAX_PATH] = {};
    const UINT n = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::wstring prefix(windows, n);
    if (prefix.back() != L'\\') prefix += L'\\';
    const std::wstring sysnative = prefix + L"Sysnative\\";
    if (path.size() <= sysnative.size() ||
        CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, path.c_str(), static_cast<int>(sysnative.size()),
                       sysnative.c_str(), static_cast<int>(sysnative.size())) != CSTR_EQUAL)
        return {};
    return prefix + L"System32\\" + path.substr(sysnative.size());
}
#endif

}  // namespace

std::uintptr_t Win32Shell::GetFileInfo(const std::string& path, std::uint32_t fileAttributes, ShellFileInfo& info,
                                       std::uint32_t flags) {
    SHFILEINFOW record{};
    DWORD_PTR result = 0;
    std::wstring wide;
    if (!ToWide(path, wide)) return 0;
#ifndef _WIN64
    // The shell parses no Sysnative path (Wine answers 0 and leaves the icon
    // undefined). It is given the System32 path with the redirection off for
    // this one call, once it is loaded with the DLLs its calls need: with the
    // redirection off a DLL loaded now would come from the 64-bit System32.
    if (const std::wstring system32 = System32PathOf(wide); !system32.empty()) {
        SHFILEINFOW warm{};
        SHGetFileInfoW(wide.c_str(), fileAttributes, &warm, sizeof(warm), flags & ~SHGFI_ICON);
        const RedirectionOff off;
        result = SHGetFileInfoW(system32.c_str(), fileAttributes, &record, sizeof(record), flags);
    } else {
        result = SHGetFileInfoW(wide.c_str(), fileAttributes, &record, sizeof(record), flags);
    }
#else
    result = SHGetFileInfoW(wide.c_str(), fileAttributes, &record, sizeof(record), flags);
#endif
    if (flags & SHGFI_EXETYPE) return result;
    if (result == 0) return 0;  // the record keeps the caller's defaults
    info.hIcon = FromRaw<IconHandle>(record.hIcon);
    info.iIcon = record.iIcon;
    info.attributes = record.dwAttributes;
    info.displayName = FromWide(record.szDisplayName, wcsnlen(record.szDisplayName, std::size(record.szDisplayName)));
    info.typeName = FromWide(record.szTypeName, wcsnlen(record.szTypeName, std::size(record.szTypeName)));
    return result;
}

bool Win32Shell::DestroyIcon(IconHandle icon) { return ::DestroyIcon(ToRaw<HICON>(icon)) != FALSE; }

bool Win32Shell::GetSpecialFolderPath(int csidl, bool create, std::string& path) {
    wchar_t buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, buffer, csidl, create)) return false;
    path = FromWide(buffer, wcsnlen(buffer, MAX_PATH));
    return true;
}

namespace {
class Win32ShellLink : public IShellLinkObject {
public:
    Win32ShellLink() {
        ComOnFirstUse::Start();
        HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                      IID_IShellLinkW, reinterpret_cast<void**>(link_.Out()));
        if (FAILED(hr)) throw QuellmarkError(ComErrorText(hr));
        hr = link_->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file_.Out()));
        if (FAILED(hr)) throw QuellmarkError(ComErrorText(hr));
    }
    long Load(const std::string& path, std::uint32_t mode) override {
        std::wstring wide;
        if (!ToWide(path, wide)) return HRESULT_FROM_WIN32(kErrorNoUnicodeTranslation);
        return file_->Load(wide.c_str(), mode);
    }
    long GetPath(std::string& path, int bufferChars) override {
        std::vector<wchar_t> buffer(static_cast<size_t>(bufferChars), L'\0');
        WIN32_FIND_DATAW data{};
        HRESULT hr = link_->GetPath(buffer.data(), bufferChars, &data, 0);
        path = FromWide(buffer.data(), wcsnlen(buffer.data(), buffer.size()));
        // The target as the file system names it, from the link's item list
        // when it has one: Wine keeps the path of a link's location
        // information in the ANSI code page only, where a character outside
        // it reads '?'.
        PIDLIST_ABSOLUTE allocated = nullptr;
        if (hr == S_OK && SUCCEEDED(link_->GetIDList(&allocated)) && allocated) {
            const ComMemoryOwner<PIDLIST_ABSOLUTE> items({}, allocated);
            std::vector<wchar_t> exact(std::max<size_t>(static_cast<size_t>(bufferChars), MAX_PATH), L'\0');
            if (SHGetPathFromIDListW(items.Get(), exact.data())) {
                const size_t length = wcsnlen(exact.data(), exact.size());
                if (length > 0 && length < static_cast<size_t>(bufferChars)) path = FromWide(exact.data(), length);
            }
        }
        return hr;
    }

private:
    ComPtr<IShellLinkW> link_;
    ComPtr<IPersistFile> file_;
};
}  // namespace

std::unique_ptr<IShellLinkObject> Win32Shell::CreateShellLink() { return std::make_unique<Win32ShellLink>(); }

std::uintptr_t Win32Shell::ShellExecute(ShellOwner owner, const std::string& operation, const std::string& file,
                                        const std::string& parameters, const std::string& directory, int show) {
    std::wstring op, target, args, folder;
    if (!ToWide(operation, op) || !ToWide(file, target) || !ToWide(parameters, args) || !ToWide(directory, folder))
        return SE_ERR_FNF;
    return reinterpret_cast<std::uintptr_t>(ShellExecuteW(OwnerWindow(owner), op.empty() ? nullptr : op.c_str(),
                                                          target.c_str(), args.empty() ? nullptr : args.c_str(),
                                                          folder.empty() ? nullptr : folder.c_str(), show));
}

bool Win32Shell::ShellExecuteEx(const ShellExecuteInfo& info) {
    std::wstring verb, file, parameters, directory;
    if (!ToWide(info.verb, verb) || !ToWide(info.file, file) || !ToWide(info.parameters, parameters) ||
        !ToWide(info.directory, directory))
        return false;
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof(sei);
    sei.fMask = info.mask;
    sei.hwnd = OwnerWindow(info.owner);
    sei.lpVerb = verb.empty() ? nullptr : verb.c_str();
    sei.lpFile = file.c_str();
    sei.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    sei.lpDirectory = directory.empty() ? nullptr : directory.c_str();
    sei.nShow = info.show;
    const BOOL ok = ShellExecuteExW(&sei);
    // The process handle, when the mask asked for one, is not wanted here.
    const KernelObjectOwner process = OwnKernelObject(sei.hProcess);
    return ok != FALSE;
}

// The path runs from the desktop window of the shell windows to the shell's
// dispatch object: the desktop's browser, its active view, the view's
// background object and the application behind it.
bool Win32Shell::ShellExecuteByDesktop(const std::string& operation, const std::string& file,
                                       const std::string& parameters, const std::string& directory, int show) {
    std::wstring op, target, args, folder;
    if (!ToWide(operation, op) || !ToWide(file, target) || !ToWide(parameters, args) || !ToWide(directory, folder))
        return false;
    ComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                reinterpret_cast<void**>(windows.Out()))))
        return false;
    VARIANT none;
    VariantInit(&none);
    long desktopWindow = 0;
    ComPtr<IDispatch> desktop;
    if (windows->FindWindowSW(&none, &none, SWC_DESKTOP, &desktopWindow, SWFO_NEEDDISPATCH, desktop.Out()) != S_OK ||
        !desktop.Get())
        return false;
    ComPtr<IServiceProvider> services;
    ComPtr<IShellBrowser> browser;
    ComPtr<IShellView> view;
    ComPtr<IDispatch> background;
    ComPtr<IShellFolderViewDual> folderView;
    ComPtr<IDispatch> application;
    ComPtr<IShellDispatch2> shell;
    if (FAILED(desktop->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(services.Out()))) ||
        FAILED(
            services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, reinterpret_cast<void**>(browser.Out()))) ||
        FAILED(browser->QueryActiveShellView(view.Out())) || !view.Get() ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, reinterpret_cast<void**>(background.Out()))) ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, reinterpret_cast<void**>(folderView.Out()))) ||
        FAILED(folderView->get_Application(application.Out())) || !application.Get() ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, reinterpret_cast<void**>(shell.Out()))))
        return false;
    const Bstr fileText(target), parametersText(args), directoryText(folder), operationText(op);
    VARIANT showValue;
    VariantInit(&showValue);
    showValue.vt = VT_I4;
    showValue.lVal = show;
    // The method is IShellDispatch2::ShellExecute; <shldisp.h> came in with
    // <shlobj.h> while the A/W macro still renamed it.
    shell->ShellExecuteA(fileText.Get(), parametersText.AsVariant(), directoryText.AsVariant(),
                         operationText.AsVariant(), showValue);
    return true;
}

}  // namespace qm::win32
