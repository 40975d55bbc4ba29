// Paths the actions build and check: a folder without its trailing
// backslash, the folder of a path, and a name that names a file within its
// folder and nothing else.
#pragma once
#include <string>

namespace qm {

// "C:\\A\\B\\" as "C:\\A\\B"; a drive's root keeps its backslash.
inline std::string WithoutSlash(std::string folder) {
    while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    return folder;
}

// "C:\\A\\b.exe" -> "C:\\A"; empty for a name without a folder.
inline std::string ParentOf(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// A name within its folder, never a path: a separator, a drive or stream
// colon, or ".." anywhere in it (a character the ANSI calls would turn into
// one, such as a fullwidth backslash, shows as "?" and cannot name a file
// either).
inline bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name.find_first_of("\\/:") == std::string::npos &&
           name.find("..") == std::string::npos;
}

}  // namespace qm
