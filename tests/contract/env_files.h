// What the file and shortcut contract tests need of the machine: a scratch
// folder, plain files with attributes, real shortcut files, and COM on the
// test's thread switched on or off.
#pragma once
#include <cstdint>
#include <string>

namespace qm::contract {

// Creates (if needed) and returns an empty scratch folder, without a trailing backslash.
std::string PrepareScratchFolder();
// Removes what PrepareScratchFolder's folder holds, one level of subfolders included.
void RemoveScratchFolder();
void MakeFolder(const std::string& path);
// Takes a folder away with everything in it, wherever it is (a task folder
// of the scheduler's own); nothing when it is not there.
void RemoveFolder(const std::string& path);
// A file that is no shortcut, with `contents` and the given attributes.
void PutPlainFile(const std::string& path, const std::string& contents, std::uint32_t attributes);
// An empty file in `folder` whose name is given in UTF-8 and may hold letters
// the ANSI code page lacks (created by the wide call on Windows).
void PutFileNamedInUtf8(const std::string& folder, const std::string& utf8Name);
// A real shortcut to `target` (the shell link object saved through IPersistFile on Windows).
void PutShortcut(const std::string& path, const std::string& target, std::uint32_t attributes);
// COM on the calling thread: initialised or not.
void UseCom(bool on);
bool ComIsOn();

}  // namespace qm::contract
