// The report's fields: every member of a record once, with its name in the
// JSON document, its header in the CSV and what it is to a comparison. The
// JSON and CSV writers, the baseline reader, --compare and the UTF-8 repair
// all go through these lists, so a new member of Record (or of its
// location) is one line here.
//
// The lists are in the JSON document's order. CSV has an order of its own,
// kept for the reports already written: the row's cells come after the
// location text there, and a task's path after the service.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "report/record.h"

namespace qm::report {

// What a field is to --compare.
enum FieldRole : unsigned {
    kShown = 0,     // written and read back; neither compared nor identifying
    kIdentity = 1,  // the entry is the same entry when all of these are the same
    kCompared = 2,  // the entry changed when one of these did
};

// ---- The location's members -------------------------------------------------

// The kinds of location, one bit each, for which members a kind's JSON
// object holds.
enum LocationKind : unsigned {
    kNoLocation = 1u << 0,
    kRegistry = 1u << 1,
    kFile = 1u << 2,
    kService = 1u << 3,
    kTask = 1u << 4,
    kEveryKind = kNoLocation | kRegistry | kFile | kService | kTask,
};

struct LocationKindName {
    const char* type;  // the location's "type"
    LocationKind kind;
};
inline constexpr LocationKindName kLocationKinds[] = {
    {"none", kNoLocation}, {"registry", kRegistry}, {"file", kFile}, {"service", kService}, {"task", kTask},
};

// The kind of a location's type; a type no kind has (a baseline may hold
// anything) is written as "none" is, its type alone.
LocationKind KindOf(std::string_view type);

struct LocationField {
    const char* json;  // its member in the JSON "location" object
    const char* csv;   // its CSV header
    std::string EntryLocation::*member;
    unsigned kinds;  // the LocationKinds whose JSON object holds it; CSV has it for every kind
    int csvColumn;   // its place among the location's CSV columns, 0 first
};

// Every member belongs to the entry's identity.
// clang-format off
inline constexpr LocationField kLocationFields[] = {
    // JSON       CSV              member                      kinds               CSV column
    {"type",      "location_type", &EntryLocation::type,      kEveryKind,         0},
    {"root",      "root",          &EntryLocation::root,      kRegistry,          1},
    {"view",      "view",          &EntryLocation::view,      kRegistry,          2},
    {"key",       "key",           &EntryLocation::key,       kRegistry,          3},
    {"component", "component",     &EntryLocation::component, kRegistry,          4},
    {"value",     "value",         &EntryLocation::value,     kRegistry,          5},
    {"item",      "item",          &EntryLocation::item,      kRegistry,          6},
    {"task",      "task",          &EntryLocation::task,      kTask,              10},
    {"folder",    "folder",        &EntryLocation::folder,    kFile | kTask,      7},
    {"file",      "file",          &EntryLocation::file,      kFile | kTask,      8},
    {"service",   "service",       &EntryLocation::service,   kService,           9},
};
// clang-format on

// ---- The record's members ---------------------------------------------------

// How a comparison's text names the three states of a yes-or-no field.
struct StateWords {
    const char* none = nullptr;  // not known
    const char* yes = nullptr;
    const char* no = nullptr;
};

struct Field {
    const char* json;  // its member in a JSON entry
    const char* csv;   // its CSV header; a list's headers are this with 1, 2, ... after it
    // Exactly one of these names the member: a text, a yes-or-no-or-unknown,
    // a list of texts (in CSV one column each, as many as the report has),
    // or the location (its members are kLocationFields).
    std::string Record::*text = nullptr;
    std::optional<bool> Record::*flag = nullptr;
    std::vector<std::string> Record::*list = nullptr;
    EntryLocation Record::*location = nullptr;
    int csvColumn = 0;  // its place among the CSV's columns, 0 first; a list or the location is one place
    unsigned role = kShown;
    const char* changeName = nullptr;  // what a comparison's text calls it; null: its JSON name
    StateWords words = {};             // a flag's states in a comparison's text
    // JSON writes an empty text as null.
    bool emptyIsNull = false;
    // Added after the schema's first reports: a baseline without it is not
    // compared on it (its absence is no change).
    bool addedLater = false;
};

// clang-format off
inline constexpr Field kFields[] = {
    {.json = "category",      .csv = "category",      .text = &Record::category,        .csvColumn = 0,  .role = kIdentity},
    {.json = "tab",           .csv = "tab",           .text = &Record::tab,             .csvColumn = 1},
    {.json = "name",          .csv = "name",          .text = &Record::name,            .csvColumn = 2},
    {.json = "command",       .csv = "command",       .text = &Record::command,         .csvColumn = 3,  .role = kCompared},
    {.json = "columns",       .csv = "column_",       .list = &Record::columns,         .csvColumn = 5},
    {.json = "location_text", .csv = "location_text", .text = &Record::locationText,    .csvColumn = 4},
    {.json = "location",      .csv = "",              .location = &Record::location,    .csvColumn = 6,  .role = kIdentity},
    {.json = "target",        .csv = "target",        .text = &Record::target,          .csvColumn = 7,  .role = kCompared},
    {.json = "target_exists", .csv = "target_exists", .flag = &Record::targetExists,    .csvColumn = 8,  .role = kCompared,
     .changeName = "target file", .words = {"not looked at", "exists", "missing"}},
    {.json = "company",       .csv = "company",       .text = &Record::company,         .csvColumn = 9,  .role = kCompared},
    {.json = "description",   .csv = "description",   .text = &Record::description,     .csvColumn = 10, .role = kCompared},
    {.json = "version",       .csv = "version",       .text = &Record::version,         .csvColumn = 11, .role = kCompared},
    {.json = "mark",          .csv = "mark",          .text = &Record::mark,            .csvColumn = 12},
    {.json = "error",         .csv = "error",         .text = &Record::error,           .csvColumn = 13},
    {.json = "enabled",       .csv = "enabled",       .flag = &Record::enabled,         .csvColumn = 14, .role = kCompared,
     .changeName = "startup", .words = {"no state", "enabled", "disabled"}, .addedLater = true},
    {.json = "disabled_at",   .csv = "disabled_at",   .text = &Record::disabledAt,      .csvColumn = 15,
     .emptyIsNull = true, .addedLater = true},
};
// clang-format on

// ---- What the lists give ----------------------------------------------------

// The lists' indices in CSV order.
template <class T, size_t N>
constexpr std::array<size_t, N> CsvOrderOf(const T (&fields)[N]) {
    std::array<size_t, N> order{};
    for (size_t i = 0; i < N; ++i) order[i] = i;
    for (size_t i = 1; i < N; ++i)
        for (size_t j = i; j > 0 && fields[order[j]].csvColumn < fields[order[j - 1]].csvColumn; --j)
            std::swap(order[j], order[j - 1]);
    return order;
}
inline constexpr auto kCsvOrder = CsvOrderOf(kFields);
inline constexpr auto kLocationCsvOrder = CsvOrderOf(kLocationFields);

// The number of CSV columns a record takes with `cellColumns` cells.
constexpr size_t CsvColumnCount(size_t cellColumns) {
    size_t count = 0;
    for (const Field& field : kFields)
        count += field.list ? cellColumns : field.location ? std::size(kLocationFields) : 1;
    return count;
}

// Whether the field holds the same in both records.
bool SameValue(const Field& field, const Record& a, const Record& b);
// Sets the field of `to` to what it is in `from`.
void CopyValue(const Field& field, const Record& from, Record& to);
// The bit that stands for the field in a set of fields (a record's fields
// that its baseline did not hold).
std::uint64_t FieldBit(const Field& field);

// Every text of the record as the formats write it (each stray byte as
// U+FFFD), so that an entry read back from a saved report is the same entry.
void MakeValidUtf8(Record& record);

// ---- The lists' rules, checked by the compiler ------------------------------

namespace fields_check {
constexpr bool SameName(const char* a, const char* b) { return std::string_view(a) == std::string_view(b); }

template <class T, size_t N>
constexpr bool NamesAndColumnsAreOwn(const T (&fields)[N]) {
    for (size_t i = 0; i < N; ++i) {
        int column = 0;
        for (size_t j = 0; j < N; ++j) {
            column += fields[j].csvColumn == static_cast<int>(i);
            if (j != i && (SameName(fields[i].json, fields[j].json) || SameName(fields[i].csv, fields[j].csv)))
                return false;
        }
        if (column != 1) return false;  // the CSV columns are 0 to N-1, each once
    }
    return true;
}

constexpr bool EachNamesOneMember() {
    for (const Field& f : kFields)
        if ((f.text != nullptr) + (f.flag != nullptr) + (f.list != nullptr) + (f.location != nullptr) != 1)
            return false;
    for (const LocationField& f : kLocationFields)
        if (f.kinds == 0) return false;  // a member no kind writes would never reach a JSON report
    return true;
}
}  // namespace fields_check

static_assert(fields_check::NamesAndColumnsAreOwn(kFields));
static_assert(fields_check::NamesAndColumnsAreOwn(kLocationFields));
static_assert(fields_check::EachNamesOneMember());
static_assert(std::size(kFields) <= 64, "a set of fields has a bit for each");

}  // namespace qm::report
