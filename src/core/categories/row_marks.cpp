#include "core/categories/row_marks.h"

#include "core/model/rows.h"
#include "core/model/text.h"

namespace qm {

namespace {

constexpr const char* kNoAutorunEntry = "No Autorun Entry";
constexpr const char* kSuspectMalware = "Suspect Malware";

// A row whose read failed has no sub-items and keeps the list's colour.
bool FirstSubItemStartsWith(const TEntryRow& item, const char* mark) {
    return item.SubItems.Count() > 0 && StartsWithNoCase(TrimControl(item.SubItems[0]), mark);
}

}  // namespace

void logsAdvancedCustomDrawSubItem(const TEntryRow& item, std::uint32_t& fontColour) {
    if (FirstSubItemStartsWith(item, kNoAutorunEntry)) fontColour = 12632256;  // silver
}

void actxAdvancedCustomDrawSubItem(const TEntryRow& item, std::uint32_t& fontColour) {
    if (FirstSubItemStartsWith(item, kSuspectMalware)) fontColour = 255;  // red
}

const char* RowMarkOf(CustomDrawSubItemHandler draw, const TEntryRow& item) {
    if (draw == logsAdvancedCustomDrawSubItem && FirstSubItemStartsWith(item, kNoAutorunEntry)) return kNoAutorunEntry;
    if (draw == actxAdvancedCustomDrawSubItem && FirstSubItemStartsWith(item, kSuspectMalware)) return kSuspectMalware;
    return "";
}

void hooksAdvancedCustomDrawSubItem(const TEntryRow& item, std::uint32_t& fontColour) {
    if (item.SubItems.Count() > 0 && item.SubItems[0].find(" (not loaded: ") != std::string::npos)
        fontColour = 12632256;  // silver
}

void tasksAdvancedCustomDrawSubItem(const TEntryRow& item, std::uint32_t& fontColour) {
    if (item.SubItems.Count() > 2 && item.SubItems[2] == "no") fontColour = 12632256;  // silver
}

}  // namespace qm
