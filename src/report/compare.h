// What changed since a saved report: entries added, removed, or changed in
// their command or in what the program finds about their target file. An
// entry is the same entry when its category and its typed location are.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/model/json_reader.h"
#include "report/formats.h"
#include "report/record.h"

namespace qm::report {

// The records of a saved JSON report, each category named as this schema
// names it: a schema-1 report's names become the ids the same categories
// have now (a name schema 1 never had stays as it is). False with `error`
// saying why the text is no report of this program (or of a schema it does
// not know).
// `missing`, when given, gets one set of fields per record (FieldBit): the
// fields added to the schema later that its entry did not hold.
bool ReadBaseline(std::string_view text, std::vector<Record>& records, std::string& error,
                  const JsonLimits& limits = {}, std::vector<std::uint64_t>* missing = nullptr);

// The identity of an entry: its category and its typed location.
std::string IdentityOf(const Record& record);

struct Differences {
    std::vector<Record> added;                       // in the current report's order
    std::vector<Record> removed;                     // in the baseline's order
    std::vector<std::pair<Record, Record>> changed;  // before, after; in the current report's order
    bool Any() const { return !added.empty() || !removed.empty() || !changed.empty(); }
};

// `missing`: the sets of fields ReadBaseline found the baseline's entries
// without; such a field is not compared.
Differences Compare(const std::vector<Record>& baseline, const std::vector<Record>& current,
                    const std::vector<std::uint64_t>* missing = nullptr);

// The differences in a format: one line per difference and a summary as
// text (each text of an entry as PrintableText), a "change" column first in
// CSV (written in `csv`'s style), or one JSON document.
void WriteDifferences(const Differences& differences, Format format, size_t cellColumns, IOutput& output,
                      const CsvStyle& csv = {});

}  // namespace qm::report
