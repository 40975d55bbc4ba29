#include "core/model/image_path.h"

#include "core/model/text.h"

namespace qm {

namespace {

// Where an unquoted command line's program ends: after the first
// extension of a program or driver that a blank or the end follows.
size_t ProgramEnd(const std::string& text) {
    const std::string lower = LowerAscii(text);
    for (size_t at = lower.find('.'); at != std::string::npos; at = lower.find('.', at + 1)) {
        const size_t end = at + 4;
        if (end > lower.size() || (end < lower.size() && lower[end] != ' ' && lower[end] != '\t')) continue;
        const std::string ext = lower.substr(at, 4);
        if (ext == ".exe" || ext == ".sys" || ext == ".dll" || ext == ".com") return end;
    }
    return text.size();
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool HasDrive(const std::string& path) { return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':'; }

}  // namespace

std::string CommandProgram(const std::string& commandLine) {
    const std::string text = TrimControl(commandLine);
    if (text.empty() || text[0] != '"') return text.substr(0, ProgramEnd(text));
    const size_t close = text.find('"', 1);
    return text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
}

std::string ServiceImageFile(const std::string& commandLine, const std::string& windows, const std::string& serviceName,
                             bool driver) {
    std::string root = windows;
    while (!root.empty() && root.back() == '\\') root.pop_back();
    std::string text = TrimControl(commandLine);
    if (text.empty()) return driver ? root + "\\System32\\drivers\\" + serviceName + ".sys" : std::string();
    std::string path = CommandProgram(text);
    path = TrimControl(path);
    if (StartsWithNoCase(path, "\\??\\UNC\\") || StartsWithNoCase(path, "\\\\?\\UNC\\")) return "\\\\" + path.substr(8);
    if (StartsWithNoCase(path, "\\??\\") || StartsWithNoCase(path, "\\\\?\\")) path = path.substr(4);
    if (StartsWithNoCase(path, "\\SystemRoot\\")) return root + path.substr(11);
    if (StartsWithNoCase(path, "%SystemRoot%")) return root + path.substr(12);
    if (StartsWithNoCase(path, "%windir%")) return root + path.substr(8);
    if (HasDrive(path) || path.rfind("\\\\", 0) == 0) return path;
    // A path from the root of a drive: the Windows directory's drive.
    if (!path.empty() && path[0] == '\\') return root.substr(0, HasDrive(root) ? 2 : 0) + path;
    // A relative path, System32\drivers\x.sys: the system loads it from the Windows directory.
    return root + "\\" + path;
}

}  // namespace qm
