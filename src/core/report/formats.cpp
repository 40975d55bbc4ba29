#include "core/report/formats.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <utility>

namespace qm::report {

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr const char* kShownNul = "\xE2\x90\x80";     // U+2400

// The length of the well-formed UTF-8 sequence at text[i]; 0 for none.
size_t SequenceLength(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead == 0xE0) length = 3, low = 0xA0;
    else if (lead >= 0xE1 && lead <= 0xEC) length = 3;
    else if (lead == 0xED) length = 3, high = 0x9F;  // no surrogates
    else if (lead >= 0xEE && lead <= 0xEF) length = 3;
    else if (lead == 0xF0) length = 4, low = 0x90;
    else if (lead >= 0xF1 && lead <= 0xF3) length = 4;
    else if (lead == 0xF4) length = 4, high = 0x8F;  // nothing past U+10FFFF
    else return 0;
    if (i + length > text.size()) return 0;
    if (byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (size_t k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    return length;
}

const char* BoolText(const std::optional<bool>& value) {
    if (!value) return "";
    return *value ? "yes" : "no";
}

std::string JsonBool(const std::optional<bool>& value) {
    if (!value) return "null";
    return *value ? "true" : "false";
}

void Member(std::string& out, const char* name, const std::string& value) {
    out += '"';
    out += name;
    out += "\":";
    out += JsonString(value);
}

}  // namespace

std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t length = SequenceLength(text, i);
        if (length == 0) {
            out += kReplacement;
            ++i;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

std::string JsonString(std::string_view raw) {
    const std::string text = ValidUtf8(raw);
    std::string out = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    char escape[8];
                    std::snprintf(escape, sizeof(escape), "\\u%04x", byte);
                    out += escape;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}

std::string CsvField(std::string_view raw) {
    std::string text;
    for (char c : ValidUtf8(raw)) {
        if (c == '\0') text += kShownNul;
        else text += c;
    }
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

size_t CellColumnCount(std::span<const Category> categories) {
    size_t count = 0;
    for (const Category& category : categories) count = std::max(count, category.columns.size());
    return count;
}

namespace {

using Field = std::pair<const char*, const std::string*>;

// Each member after a comma, in the order given.
void Members(std::string& out, std::initializer_list<Field> fields) {
    for (const auto& [name, value] : fields) {
        out += ',';
        Member(out, name, *value);
    }
}

}  // namespace

std::string JsonRecord(const Record& r) {
    std::string out = "{";
    Member(out, "category", r.category);
    Members(out, {{"tab", &r.tab}, {"name", &r.name}, {"command", &r.command}});
    out += ",\"columns\":[";
    for (size_t i = 0; i < r.columns.size(); ++i) out += (i ? "," : "") + JsonString(r.columns[i]);
    out += "],";
    Member(out, "location_text", r.locationText);
    out += ",\"location\":{";
    const EntryLocation& at = r.location;
    Member(out, "type", at.type);
    // The members of each kind of location, in the order they are written.
    if (at.type == "registry")
        Members(out, {{"root", &at.root},
                      {"view", &at.view},
                      {"key", &at.key},
                      {"component", &at.component},
                      {"value", &at.value},
                      {"item", &at.item}});
    else if (at.type == "file")
        Members(out, {{"folder", &at.folder}, {"file", &at.file}});
    else if (at.type == "service")
        Members(out, {{"service", &at.service}});
    else if (at.type == "task")
        Members(out, {{"task", &at.task}, {"folder", &at.folder}, {"file", &at.file}});
    out += "},";
    Member(out, "target", r.target);
    out += ",\"target_exists\":" + JsonBool(r.targetExists);
    Members(out, {{"company", &r.company},
                  {"description", &r.description},
                  {"version", &r.version},
                  {"mark", &r.mark},
                  {"error", &r.error}});
    out += '}';
    return out;
}

std::string CsvHeader(size_t cellColumns, bool withChange) {
    std::string out = withChange ? "change," : "";
    out += "category,tab,name,command,location_text";
    for (size_t i = 1; i <= cellColumns; ++i) out += ",column_" + std::to_string(i);
    out +=
        ",location_type,root,view,key,component,value,item,folder,file,service,task,target,target_exists,company,"
        "description,version,mark,error\r\n";
    return out;
}

std::string CsvRecord(const Record& r, size_t cellColumns, const char* change) {
    std::string out;
    if (change) out += CsvField(change) + ',';
    for (const std::string* field : {&r.category, &r.tab, &r.name, &r.command, &r.locationText})
        out += CsvField(*field) + ',';
    for (size_t i = 0; i < cellColumns; ++i) out += (i < r.columns.size() ? CsvField(r.columns[i]) : "") + ',';
    const EntryLocation& at = r.location;
    for (const std::string* field : {&at.type, &at.root, &at.view, &at.key, &at.component, &at.value, &at.item,
                                     &at.folder, &at.file, &at.service, &at.task, &r.target})
        out += CsvField(*field) + ',';
    out += BoolText(r.targetExists);
    for (const std::string* field : {&r.company, &r.description, &r.version, &r.mark, &r.error})
        out += ',' + CsvField(*field);
    out += "\r\n";
    return out;
}

ReportWriter::ReportWriter(IOutput& output, Format format, size_t cellColumns, std::string computer)
    : output_(output), format_(format), cellColumns_(cellColumns), computer_(std::move(computer)) {}

void ReportWriter::Begin() {
    if (format_ == Format::Csv) {
        output_.Write(CsvHeader(cellColumns_, false));
        return;
    }
    output_.Write("{\"schema\":" + std::to_string(kSchemaVersion) + ",\"program\":" + JsonString(kProgramName) +
                  ",\"computer\":" + JsonString(computer_) + ",\"entries\":[\n");
}

void ReportWriter::Add(const Record& record) {
    if (format_ == Format::Csv) {
        output_.Write(CsvRecord(record, cellColumns_));
        return;
    }
    output_.Write((first_ ? "" : ",\n") + JsonRecord(record));
    first_ = false;
}

void ReportWriter::End() {
    if (format_ != Format::Csv) output_.Write(first_ ? "]}\n" : "\n]}\n");
}

}  // namespace qm::report
