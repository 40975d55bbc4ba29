#include "contract/env_files.h"
#include "platform/win32/windows_clean.h"

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

void Empty(const std::string& folder) {
    WIN32_FIND_DATAA data{};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    std::vector<std::string> files, folders;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? folders : files).push_back(folder + "\\" + name);
    } while (FindNextFileA(search, &data));
    FindClose(search);
    for (const std::string& f : files) {
        SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(f.c_str());
    }
    for (const std::string& f : folders) {
        Empty(f);
        RemoveDirectoryA(f.c_str());
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
    Empty(Scratch());
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
