#include "core/categories/row_marks.h"

#include "core/model/rows.h"
#include "core/model/text.h"

namespace qm {

void logsAdvancedCustomDrawSubItem(const TEntryRow& item, std::uint32_t& fontColour) {
    // A row whose read failed has no command and keeps the list's colour.
    if (item.SubItems.Count() > 0 && StartsWithNoCase(TrimControl(item.SubItems[0]), "No Autorun Entry"))
        fontColour = 12632256;  // silver
}

void actxAdvancedCustomDrawSubItem(const TEntryRow& item, std::uint32_t& fontColour) {
    if (item.SubItems.Count() > 0 && StartsWithNoCase(TrimControl(item.SubItems[0]), "Suspect Malware"))
        fontColour = 255;  // red
}

void hooksAdvancedCustomDrawSubItem(const TEntryRow& item, std::uint32_t& fontColour) {
    if (item.SubItems.Count() > 0 && item.SubItems[0].find(" (not loaded: ") != std::string::npos)
        fontColour = 12632256;  // silver
}

void tasksAdvancedCustomDrawSubItem(const TEntryRow& item, std::uint32_t& fontColour) {
    if (item.SubItems.Count() > 2 && item.SubItems[2] == "no") fontColour = 12632256;  // silver
}

}  // namespace qm
