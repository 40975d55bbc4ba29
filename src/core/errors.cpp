#include "core/errors.h"

#include <cstdio>
#include <vector>

namespace qm {

namespace format {

namespace {
template <class T>
std::string Print(const char* pattern, T argument) {
    const int n = std::snprintf(nullptr, 0, pattern, argument);
    if (n < 0) return pattern;
    std::vector<char> buffer(static_cast<size_t>(n) + 1);
    std::snprintf(buffer.data(), buffer.size(), pattern, argument);
    return std::string(buffer.data(), static_cast<size_t>(n));
}
}  // namespace

std::string Apply(const char* pattern, int argument) { return Print(pattern, argument); }
std::string Apply(const char* pattern, unsigned argument) { return Print(pattern, argument); }
std::string Apply(const char* pattern, const std::string& argument) { return Print(pattern, argument.c_str()); }

}  // namespace format

std::string ErrorBoxText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

}  // namespace qm
