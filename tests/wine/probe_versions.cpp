// The probe's commands about DLLs and version resources:
//   qm_probe modules               the full path of every module loaded in the program's process
//   qm_probe plant-versions DIR    copies of the probe in DIR, one per damaged version resource
//                                  (tests/fixtures/damaged_versions.h), each written in with
//                                  UpdateResource; prints name|path|company|description|version
//   qm_probe plant-version PATH COMPANY DESCRIPTION VERSION
//                                  a copy of the probe at PATH whose version resource holds
//                                  the three texts (UTF-8 arguments, stored as UTF-16)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "fixtures/damaged_versions.h"
#include "platform/sim/version_block.h"

namespace {

int PrintModules() {
    HWND main = FindWindowA("TMainForm", nullptr);
    DWORD pid = 0;
    if (!main || !GetWindowThreadProcessId(main, &pid)) {
        std::printf("no main window\n");
        return 1;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) {
        std::printf("cannot open the process\n");
        return 1;
    }
    std::vector<HMODULE> modules(1024);
    DWORD needed = 0;
    const DWORD bytes = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
    const BOOL listed = EnumProcessModules(process, modules.data(), bytes, &needed);
    const size_t count = std::min<size_t>(needed / sizeof(HMODULE), modules.size());
    for (size_t i = 0; listed && i < count; ++i) {
        char path[MAX_PATH] = {};
        if (GetModuleFileNameExA(process, modules[i], path, MAX_PATH)) std::printf("module=%s\n", path);
    }
    CloseHandle(process);
    return listed ? 0 : 1;
}

std::wstring Wide(const std::string& utf8) {
    std::u16string units;
    qm::Utf16FromUtf8(utf8, units, true);
    return std::wstring(units.begin(), units.end());
}

// By the wide calls: the path may be in any script.
bool Plant(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (!CopyFileW(self, Wide(path).c_str(), FALSE)) return false;
    HANDLE update = BeginUpdateResourceW(Wide(path).c_str(), FALSE);
    if (!update) return false;
    const BOOL written = UpdateResourceW(update, MAKEINTRESOURCEW(16) /* RT_VERSION */, MAKEINTRESOURCEW(1),
                                         MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                         const_cast<std::uint8_t*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    return EndUpdateResourceW(update, !written) && written;
}

int PlantVersion(const std::string& path, const std::string& company, const std::string& description,
                 const std::string& version) {
    qm::sim::VersionFixture f;
    f.fixed = qm::sim::FixedFileFixture{};
    f.translations = {{0x0409, 0x04B0}};
    f.stringTables = {
        {"040904B0", {{"CompanyName", company}, {"FileDescription", description}, {"FileVersion", version}}}};
    return Plant(path, qm::sim::BuildVersionResource(f)) ? 0 : 1;
}

int PlantVersions(const std::string& folder) {
    int failed = 0;
    for (const qm::fixtures::DamagedVersion& c : qm::fixtures::DamagedVersions()) {
        const std::string path = folder + "\\" + c.name + ".exe";
        if (!Plant(path, c.bytes)) {
            std::printf("cannot plant %s\n", path.c_str());
            ++failed;
            continue;
        }
        std::printf("%s|%s|%s|%s|%s\n", c.name, path.c_str(), c.shown.company.c_str(), c.shown.description.c_str(),
                    c.shown.fileVersion.c_str());
    }
    return failed ? 1 : 0;
}

}  // namespace

int VersionProbeCommand(const std::string& command, int argc, char** argv) {
    if (command == "modules") return PrintModules();
    if (command == "plant-versions" && argc > 2) return PlantVersions(argv[2]);
    if (command == "plant-version" && argc > 5) return PlantVersion(argv[2], argv[3], argv[4], argv[5]);
    std::printf("usage: modules | plant-versions DIR\n");
    return 2;
}
