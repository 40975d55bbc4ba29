// Everything a deletion could change on the simulated machine, as one
// comparable map: every registry value of the two roots the program writes
// to, and every file and folder on drive C with its attributes. The
// change journal is left out: every change writes to it by design, and its
// own tests look at it.
#pragma once
#include <map>
#include <string>

#include "core/model/icons.h"
#include "core/model/rows.h"
#include "core/model/text.h"
#include "platform/sim/sim.h"

namespace qm::testing {

using MachineState = std::map<std::string, std::string>;

// The entry name of a registry value: lower-case key path, "|", lower-case value name.
inline std::string ValueEntry(const std::string& keyPath, const std::string& value) {
    return "reg:" + LowerAscii(keyPath) + "|" + LowerAscii(value);
}
inline std::string FileEntry(const std::string& path) { return "file:" + LowerAscii(path); }

namespace detail {
inline void WalkKey(const sim::SimKey& key, const std::string& path, MachineState& out) {
    if (key.deleted) return;
    out["key:" + LowerAscii(path)] = "";
    for (const auto& [name, value] : key.values)
        out[ValueEntry(path, name)] =
            std::to_string(value.type) + ":" + std::string(value.data.begin(), value.data.end());
    for (const auto& child : key.children) WalkKey(*child, path + "\\" + child->name, out);
}
inline void WalkFolder(sim::SimFileSystem& files, const std::string& folder, MachineState& out) {
    std::vector<FoundFile> found;
    files.FindFiles(folder + "\\*", 0x3F, found);
    for (const FoundFile& f : found) {
        const std::string path = folder + "\\" + f.name;
        if (LowerAscii(path) == "c:\\programdata\\quellmark") continue;
        out[FileEntry(path)] = std::to_string(f.attributes);
        if (f.attributes & kFileAttributeDirectory) WalkFolder(files, path, out);
    }
}
}  // namespace detail

inline MachineState Snapshot(sim::SimMachine& m) {
    MachineState state;
    for (const char* root : {"HKCU", "HKLM"}) detail::WalkKey(*m.registry.Key(root, false), root, state);
    detail::WalkFolder(m.files, "C:", state);
    return state;
}

// The snapshot with every file's content and times too, and every service
// with its whole configuration: a restore puts back exactly what was there.
inline MachineState ExactSnapshot(sim::SimMachine& m) {
    MachineState state = Snapshot(m);
    for (auto& [entry, value] : state) {
        if (entry.rfind("file:", 0) != 0) continue;
        if (const sim::SimFile* file = m.files.Find(entry.substr(5)))
            value += "|" + file->content + "|" + std::to_string(file->creationTime) + "," +
                     std::to_string(file->lastAccessTime) + "," + std::to_string(file->lastWriteTime);
    }
    return state;
}

}  // namespace qm::testing
