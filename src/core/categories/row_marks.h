// What a row's mark means on screen and in the report: empty places,
// hooks the system does not load and disabled tasks in silver, components
// without an identifier in red.
#pragma once
#include <cstdint>
#include <optional>

#include "core/model/rows.h"

namespace qm {

inline constexpr std::uint32_t kSilver = 12632256;
inline constexpr std::uint32_t kRed = 255;

// The colour a row with this mark is drawn in; none: the list's own.
std::optional<std::uint32_t> MarkColour(Mark mark);

// The mark in the report's words: "No Autorun Entry", "Suspect Malware", or
// empty for a row shown as any other (a silver hook or task says why in its
// own columns).
const char* MarkText(Mark mark);

// The rule the lists have always marked by: the text, trimmed of blanks and
// control characters, begins with `mark` in any letter case.
bool BeginsWithMark(const std::string& text, const char* mark);

inline constexpr const char* kNoAutorunEntry = "No Autorun Entry";
inline constexpr const char* kSuspectMalware = "Suspect Malware";

}  // namespace qm
