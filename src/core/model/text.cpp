#include "core/model/text.h"

#include "platform/text_utf.h"

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

namespace {

// The bytes of the first `count` characters of `text` from `from` on (a
// byte of no valid sequence counts as one character).
size_t BytesOfCharacters(const std::string& text, size_t from, size_t count) {
    size_t at = from;
    for (; count > 0 && at < text.size(); --count) {
        const size_t length = Utf8CharAt(text, at).length;
        at += length ? length : 1;
    }
    return at;
}

}  // namespace

std::string ExtractTargetPath(ISystemInfo& system, const std::string& commandLine, const std::string& marker) {
    std::string text = ReplaceAll(system.LowerCase(commandLine), "\"", "");
    const size_t found = text.find(marker);
    // The characters up to the marker, then the marker and the one character
    // after it, counted in characters (p + 4 of them, p the 1-based position
    // of the marker, 0 when absent), so that no character is cut in two.
    const size_t end = found == std::string::npos ? BytesOfCharacters(text, 0, 4) : BytesOfCharacters(text, found, 5);
    return TrimControl(text.substr(0, end));
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
