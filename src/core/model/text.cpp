#include "core/model/text.h"

namespace qm {

std::string ReplaceAll(const std::string& text, const std::string& sub, const std::string& replacement) {
    if (sub.empty()) return text;
    // Replacing and searching again from the start is the same as one pass
    // as long as the replacement cannot form `sub` again, which callers keep.
    std::string result;
    result.reserve(text.size());
    size_t from = 0;
    for (size_t at; (at = text.find(sub, from)) != std::string::npos; from = at + sub.size()) {
        result.append(text, from, at - from);
        result += replacement;
    }
    result.append(text, from, std::string::npos);
    return result;
}

std::string TrimControl(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
    return text.substr(begin, end - begin);
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && LowerAscii(text.substr(0, prefix.size())) == LowerAscii(prefix);
}

std::string ExtractTargetPath(const std::string& commandLine, const std::string& marker) {
    std::string text = ReplaceAll(LowerAscii(commandLine), "\"", "");
    size_t found = text.find(marker);
    size_t p = found == std::string::npos ? 0 : found + 1;  // 1-based, 0 when absent
    // The marker and the one character after it: p + 4 characters.
    return TrimControl(text.substr(0, p + 4));
}

}  // namespace qm

namespace qm {

bool IsNetworkOrDevicePath(const std::string& path) {
    const size_t start = path.find_first_not_of(" \t\"");
    if (start == std::string::npos) return false;
    const auto separator = [&](size_t i) { return i < path.size() && (path[i] == '\\' || path[i] == '/'); };
    if (separator(start) && separator(start + 1)) return true;
    return path.compare(start, 4, "\\??\\") == 0;
}

}  // namespace qm
