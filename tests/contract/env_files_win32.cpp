#include "platform/win32/windows_clean.h"
#include "contract/env_files.h"

#include <stdexcept>
#include <vector>

#include "platform/win32/win32_handles.h"

namespace qm::contract {

namespace {

std::string Scratch() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "QuellmarkTestFiles";
}

void Check(HRESULT hr, const char* what) {
    if (FAILED(hr)) throw std::runtime_error(what);
}

std::wstring Wide(const std::string& text, UINT codePage = CP_ACP) {
    std::wstring wide(text.size() + 1, L'\0');
    const int n = MultiByteToWideChar(codePage, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    return wide;
}

// By the wide names: the ANSI ones could not spell every file a test makes.
void Empty(const std::wstring& folder) {
    WIN32_FIND_DATAW data{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    std::vector<std::wstring> files, folders;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? folders : files).push_back(folder + L"\\" + name);
    } while (FindNextFileW(search, &data));
    FindClose(search);
    for (const std::wstring& f : files) {
        SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(f.c_str());
    }
    for (const std::wstring& f : folders) {
        Empty(f);
        RemoveDirectoryW(f.c_str());
    }
}

bool gComOn = false;

}  // namespace

std::string PrepareScratchFolder() {
    RemoveScratchFolder();
    CreateDirectoryA(Scratch().c_str(), nullptr);
    return Scratch();
}

void RemoveScratchFolder() {
    Empty(Wide(Scratch()));
    RemoveDirectoryA(Scratch().c_str());
}

void MakeFolder(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

void PutPlainFile(const std::string& path, const std::string& contents, std::uint32_t attributes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + path);
    DWORD written = 0;
    WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    CloseHandle(file);
    SetFileAttributesA(path.c_str(), attributes);
}

void PutFileNamedInUtf8(const std::string& folder, const std::string& utf8Name) {
    const std::wstring path = Wide(folder) + L"\\" + Wide(utf8Name, CP_UTF8);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + utf8Name);
    CloseHandle(file);
}

void PutShortcut(const std::string& path, const std::string& target, std::uint32_t attributes) {
    const bool wasOn = gComOn;
    UseCom(true);
    {
        win32::ComPtr<IShellLinkA> link;
        win32::ComPtr<IPersistFile> file;
        Check(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                               reinterpret_cast<void**>(link.Out())),
              "CoCreateInstance(ShellLink)");
        Check(link->SetPath(target.c_str()), "IShellLinkA::SetPath");
        Check(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out())), "IPersistFile");
        std::wstring wide(path.size() + 1, L'\0');
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
        Check(file->Save(wide.c_str(), TRUE), "IPersistFile::Save");
    }
    SetFileAttributesA(path.c_str(), attributes);
    UseCom(wasOn);
}

void UseCom(bool on) {
    if (on == gComOn) return;
    if (on) CoInitialize(nullptr);
    else CoUninitialize();
    gComOn = on;
}

bool ComIsOn() { return gComOn; }

}  // namespace qm::contract
