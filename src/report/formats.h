// The report's two formats. CSV as RFC 4180 has it: a header row, every
// field quoted where it holds a comma, a quote or a line end, quotes doubled,
// CRLF after every record, and a field a spreadsheet would run as a formula
// written with a ' in front. JSON: one document, its schema version first, one
// entry per line. Both are UTF-8; a text that is no valid UTF-8 has each
// stray byte replaced by U+FFFD, so that every reader takes the document.
#pragma once
#include <string>
#include <string_view>

#include "report/record.h"

namespace qm::report {

enum class Format { Json, Csv, Text };

// The version of the JSON document's layout: raised when a field changes
// meaning or goes away (new fields keep it). Schema 2 names each category by
// its id in the table ("hkcu-run"), where schema 1 named it by its list
// ("hku"); a baseline of schema 1 is still read, its categories renamed.
inline constexpr int kSchemaVersion = 2;
inline constexpr int kOldestSchemaRead = 1;
inline constexpr const char* kProgramName = "quellmark-report";

// Where the formatted bytes go: standard output or the output file.
class IOutput {
public:
    virtual ~IOutput() = default;
    virtual void Write(std::string_view bytes) = 0;
    // Hands on what a buffering output holds; called when everything is written.
    virtual void Flush() {}
};

// `text` as valid UTF-8: each byte that starts no well-formed sequence (an
// overlong form, a surrogate, past U+10FFFF, cut short) becomes U+FFFD.
std::string ValidUtf8(std::string_view text);
// Whether `text` is well-formed UTF-8 throughout, so ValidUtf8 would keep it.
bool IsValidUtf8(std::string_view text);

// A text for a terminal: valid UTF-8, and no control character (C0, DEL or
// C1) that could move the cursor or recolour what follows; each is written
// as \xNN instead. A format character that would turn the text around or
// hide in it (U+202E, U+200B ...) is written as "<U+202E>", as the window
// shows it (platform/format_chars.h).
std::string PrintableText(std::string_view text);

// A JSON string literal, quotes included; controls and NULs as \u escapes.
std::string JsonString(std::string_view text);

// How the CSV's fields are written.
struct CsvStyle {
    // A field that begins with '=', '+', '-', '@', a tab or a CR, which a
    // spreadsheet would open as a formula, is written with a ' in front
    // (--csv-raw: as it is).
    bool formulasAsText = true;
    // For a console: every field as PrintableText, so that no field moves
    // the cursor (and no line end is left inside one). Never for a file.
    bool printable = false;
};

// One CSV field: quoted when it must be; a NUL as U+2400.
std::string CsvField(std::string_view text, const CsvStyle& style = {});

// The number of cell columns the CSV has: the widest list of the table.
size_t CellColumnCount(std::span<const Category> categories);

// The entry as one JSON object, on one line, without a line end.
std::string JsonRecord(const Record& record);
// The same at the end of `out`.
void AppendJsonRecord(std::string& out, const Record& record);
// The CSV header and records; `change`, when given, is a first column
// ("change") saying what a comparison found.
std::string CsvHeader(size_t cellColumns, bool withChange);
std::string CsvRecord(const Record& record, size_t cellColumns, const char* change = nullptr,
                      const CsvStyle& style = {});

// Writes a report entry by entry as the records come.
class ReportWriter {
public:
    ReportWriter(IOutput& output, Format format, size_t cellColumns, std::string computer, CsvStyle csv = {});
    void Begin();
    void Add(const Record& record);
    void End();

private:
    IOutput& output_;
    Format format_;
    size_t cellColumns_;
    std::string computer_;
    CsvStyle csv_;
    std::string line_;
    bool first_ = true;
};

}  // namespace qm::report
