#include "contract/env.h"
#include "contract/env_files.h"
#include "platform/sim/sim.h"

namespace qm::contract {

namespace {
constexpr const char* kScratch = "C:\\QuellmarkTestFiles";

sim::SimFileSystem& Files() { return dynamic_cast<sim::SimFileSystem&>(Machine().files); }
sim::SimShell& Shell() { return dynamic_cast<sim::SimShell&>(Machine().shell); }

void Empty(const std::string& folder) {
    // By the names as stored: the ANSI search could not spell every one.
    for (const std::string& path : Files().FilesIn(folder)) {
        if (Files().FolderExists(path)) {
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

void RemoveFolder(const std::string& path) { Files().RemoveFolder(path); }

void PutPlainFile(const std::string& path, const std::string& contents, std::uint32_t attributes) {
    sim::SimFile file;
    file.attributes = attributes;
    file.content = contents;
    Files().AddFile(path, file);
}

void PutFileNamedInUtf8(const std::string& folder, const std::string& utf8Name) {
    Files().AddFile(folder + "\\" + utf8Name);  // the sim keeps names as given
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
