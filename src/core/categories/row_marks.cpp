#include "core/categories/row_marks.h"

#include "core/model/text.h"

namespace qm {

std::optional<std::uint32_t> MarkColour(Mark mark) {
    switch (mark) {
        case Mark::NoAutorunEntry:
        case Mark::NotLoaded:
        case Mark::Disabled:
            return kSilver;
        case Mark::SuspectMalware:
            return kRed;
        case Mark::None:
            break;
    }
    return std::nullopt;
}

const char* MarkText(Mark mark) {
    switch (mark) {
        case Mark::NoAutorunEntry:
            return kNoAutorunEntry;
        case Mark::SuspectMalware:
            return kSuspectMalware;
        case Mark::None:
        case Mark::NotLoaded:
        case Mark::Disabled:
            break;
    }
    return "";
}

bool BeginsWithMark(const std::string& text, const char* mark) { return StartsWithNoCase(TrimControl(text), mark); }

}  // namespace qm
