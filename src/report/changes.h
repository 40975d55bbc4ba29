// --changes: the change journal, listed. Read only; a damaged record is
// listed as damaged, with why, never left out.
#pragma once
#include <string>
#include <vector>

#include "core/journal/journal.h"
#include "report/formats.h"

namespace qm::report {

// The journal's records as a JSON document or CSV (newest first).
void WriteChanges(Platform& platform, const std::string& folder, const std::vector<JournalItem>& items, Format format,
                  IOutput& output, const CsvStyle& csv);

}  // namespace qm::report
