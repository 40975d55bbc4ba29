#include "contract/env.h"
#include "contract/env_files.h"
#include "platform/sim/sim.h"

namespace qm::contract {

namespace {
constexpr const char* kScratch = "C:\\QuellmarkTestFiles";

sim::SimFileSystem& Files() { return dynamic_cast<sim::SimFileSystem&>(Machine().files); }
sim::SimShell& Shell() { return dynamic_cast<sim::SimShell&>(Machine().shell); }

void Empty(const std::string& folder) {
    std::vector<FoundFile> found;
    Files().FindFiles(folder + "\\*", 0x3F, found);
    for (const FoundFile& f : found) {
        const std::string path = folder + "\\" + f.name;
        if (f.attributes & kFileAttributeDirectory) {
            Empty(path);
            continue;
        }
        Files().Find(path)->attributes = kFileAttributeNormal;
        Files().DeleteFile(path);
    }
}
}  // namespace

std::string PrepareScratchFolder() {
    RemoveScratchFolder();
    Files().AddFolder(kScratch);
    return kScratch;
}

void RemoveScratchFolder() { Empty(kScratch); }

void MakeFolder(const std::string& path) { Files().AddFolder(path); }

void PutPlainFile(const std::string& path, const std::string&, std::uint32_t attributes) {
    sim::SimFile file;
    file.attributes = attributes;
    Files().AddFile(path, file);
}

void PutShortcut(const std::string& path, const std::string& target, std::uint32_t attributes) {
    sim::SimFile file;
    file.attributes = attributes;
    file.shortcutTarget = target;
    Files().AddFile(path, file);
}

void UseCom(bool on) { Shell().comAvailable = on; }
bool ComIsOn() { return Shell().comAvailable; }

}  // namespace qm::contract
