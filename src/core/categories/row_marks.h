// How some lists mark a row by its text: empty places in silver, components
// without an identifier in red. The table names them as the lists' drawing
// of their cells.
#pragma once
#include <cstdint>

namespace qm {

struct TEntryRow;

// Places without a value ("No Autorun Entry") are drawn in silver.
void logsAdvancedCustomDrawSubItem(const TEntryRow& item, std::uint32_t& fontColour);
// Components without an identifier ("Suspect Malware") are drawn in red.
void actxAdvancedCustomDrawSubItem(const TEntryRow& item, std::uint32_t& fontColour);
// Hooks the system does not load (AppInit DLLs while LoadAppInit_DLLs is not 1) are drawn in silver.
void hooksAdvancedCustomDrawSubItem(const TEntryRow& item, std::uint32_t& fontColour);
// Disabled tasks (their "Enabled" column "no") are drawn in silver.
void tasksAdvancedCustomDrawSubItem(const TEntryRow& item, std::uint32_t& fontColour);

using CustomDrawSubItemHandler = void (*)(const TEntryRow& item, std::uint32_t& fontColour);

// The mark a list with this drawing gives the row, in words: "No Autorun
// Entry", "Suspect Malware", or empty for a row drawn as any other.
const char* RowMarkOf(CustomDrawSubItemHandler draw, const TEntryRow& item);

}  // namespace qm
