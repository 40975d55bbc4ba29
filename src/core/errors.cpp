#include "core/errors.h"

#include <cstdio>
#include <vector>

namespace qm {

std::string FormatMessage1(const char* pattern, const std::string& argument) {
    int n = std::snprintf(nullptr, 0, pattern, argument.c_str());
    std::vector<char> buffer(static_cast<size_t>(n) + 1);
    std::snprintf(buffer.data(), buffer.size(), pattern, argument.c_str());
    return std::string(buffer.data(), static_cast<size_t>(n));
}

std::string FormatMessage1(const char* pattern, long long argument) {
    int n = std::snprintf(nullptr, 0, pattern, argument);
    std::vector<char> buffer(static_cast<size_t>(n) + 1);
    std::snprintf(buffer.data(), buffer.size(), pattern, argument);
    return std::string(buffer.data(), static_cast<size_t>(n));
}

std::string ErrorBoxText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

}  // namespace qm
