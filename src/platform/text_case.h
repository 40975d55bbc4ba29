// Letter case as the machine's names compare: registry keys and values,
// file names and service names match without regard to the case of the
// letters A to Z. Both the logic and the simulated machine use it.
#pragma once
#include <string>

namespace qm {

inline std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace qm
