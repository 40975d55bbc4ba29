#include "platform/win32/windows_clean.h"
#include "contract/env_files.h"

#include <stdexcept>
#include <vector>

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace qm::contract {

namespace {

std::string Scratch() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return win32::FromWide(temp) + "QuellmarkTestFiles";
}

void Check(HRESULT hr, const char* what) {
    if (FAILED(hr)) throw std::runtime_error(what);
}

// Paths are UTF-8, as the program holds them.
std::wstring Wide(const std::string& text) {
    std::wstring wide;
    if (!win32::ToWide(text, wide)) throw std::runtime_error("no UTF-8: " + text);
    return wide;
}

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
    CreateDirectoryW(Wide(Scratch()).c_str(), nullptr);
    return Scratch();
}

void RemoveScratchFolder() {
    Empty(Wide(Scratch()));
    RemoveDirectoryW(Wide(Scratch()).c_str());
}

void MakeFolder(const std::string& path) { CreateDirectoryW(Wide(path).c_str(), nullptr); }

void RemoveFolder(const std::string& path) {
    Empty(Wide(path));
    RemoveDirectoryW(Wide(path).c_str());
}

void PutPlainFile(const std::string& path, const std::string& contents, std::uint32_t attributes) {
    HANDLE file =
        CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + path);
    DWORD written = 0;
    WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    CloseHandle(file);
    SetFileAttributesW(Wide(path).c_str(), attributes);
}

void PutFileNamedInUtf8(const std::string& folder, const std::string& utf8Name) {
    const std::wstring path = Wide(folder) + L"\\" + Wide(utf8Name);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + utf8Name);
    CloseHandle(file);
}

void PutShortcut(const std::string& path, const std::string& target, std::uint32_t attributes) {
    const bool wasOn = gComOn;
    UseCom(true);
    {
        win32::ComPtr<IShellLinkW> link;
        win32::ComPtr<IPersistFile> file;
        Check(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                               reinterpret_cast<void**>(link.Out())),
              "CoCreateInstance(ShellLink)");
        Check(link->SetPath(Wide(target).c_str()), "IShellLinkW::SetPath");
        Check(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out())), "IPersistFile");
        Check(file->Save(Wide(path).c_str(), TRUE), "IPersistFile::Save");
    }
    SetFileAttributesW(Wide(path).c_str(), attributes);
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
