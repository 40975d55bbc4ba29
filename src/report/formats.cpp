#include "report/formats.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/format_chars.h"
#include "report/fields.h"

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

const char* JsonBool(const std::optional<bool>& value) {
    if (!value) return "null";
    return *value ? "true" : "false";
}

// JSON's escape of one byte, or none for a byte written as it is.
const char* JsonEscape(unsigned char byte, char (&buffer)[8]) {
    switch (byte) {
        case '"':
            return "\\\"";
        case '\\':
            return "\\\\";
        case '\n':
            return "\\n";
        case '\r':
            return "\\r";
        case '\t':
            return "\\t";
        default:
            if (byte >= 0x20 && byte != 0x7F) return nullptr;
            std::snprintf(buffer, sizeof(buffer), "\\u%04x", byte);
            return buffer;
    }
}

// `text`, valid UTF-8, as a JSON string literal at the end of `out`; the
// runs between escapes are copied whole.
void AppendJsonLiteral(std::string& out, std::string_view text) {
    out += '"';
    size_t run = 0;
    char buffer[8];
    for (size_t i = 0; i < text.size(); ++i) {
        const char* escape = JsonEscape(static_cast<unsigned char>(text[i]), buffer);
        if (!escape) continue;
        out.append(text.substr(run, i - run));
        out += escape;
        run = i + 1;
    }
    out.append(text.substr(run));
    out += '"';
}

void AppendJsonString(std::string& out, std::string_view raw) {
    if (IsValidUtf8(raw)) AppendJsonLiteral(out, raw);
    else AppendJsonLiteral(out, ValidUtf8(raw));
}

void Member(std::string& out, const char* name, const std::string& value) {
    out += '"';
    out += name;
    out += "\":";
    AppendJsonString(out, value);
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const size_t length = SequenceLength(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string ValidUtf8(std::string_view text) {
    if (IsValidUtf8(text)) return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
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
    std::string out;
    out.reserve(raw.size() + 2);
    AppendJsonString(out, raw);
    return out;
}

std::string PrintableText(std::string_view raw) {
    const std::string text = ShowFormatCharacters(ValidUtf8(raw));
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        unsigned code = byte;
        if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0)
            code = static_cast<unsigned char>(text[++i]);  // U+0080 to U+009F
        else if (byte >= 0x80) {
            out += text[i];
            continue;
        }
        if (code < 0x20 || (code >= 0x7F && code < 0xA0)) {
            char escape[8];
            std::snprintf(escape, sizeof(escape), "\\x%02X", code);
            out += escape;
        } else {
            out += static_cast<char>(code);
        }
    }
    return out;
}

std::string CsvField(std::string_view raw, const CsvStyle& style) {
    const bool formula =
        style.formulasAsText && !raw.empty() && std::string_view("=+-@\t\r").find(raw[0]) != std::string_view::npos;
    // Most fields need neither quotes nor a change.
    if (!formula && !style.printable && raw.find_first_of(std::string_view(",\"\r\n\0", 5)) == std::string_view::npos &&
        IsValidUtf8(raw))
        return std::string(raw);
    std::string text = formula ? "'" : "";
    for (char c : ValidUtf8(raw)) {
        if (c == '\0') text += kShownNul;
        else text += c;
    }
    if (style.printable) text = PrintableText(text);
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

void AppendJsonLocation(std::string& out, const EntryLocation& at) {
    out += '{';
    const LocationKind kind = KindOf(at.type);
    bool first = true;
    for (const LocationField& field : kLocationFields) {
        if (!(field.kinds & kind)) continue;
        if (!first) out += ',';
        first = false;
        Member(out, field.json, at.*field.member);
    }
    out += '}';
}

}  // namespace

std::string JsonRecord(const Record& r) {
    std::string out;
    AppendJsonRecord(out, r);
    return out;
}

void AppendJsonRecord(std::string& out, const Record& r) {
    out += '{';
    for (const Field& field : kFields) {
        if (&field != kFields) out += ',';
        if (field.text && !(field.emptyIsNull && (r.*field.text).empty())) {
            Member(out, field.json, r.*field.text);
            continue;
        }
        out += '"';
        out += field.json;
        out += "\":";
        if (field.text) {
            out += "null";
        } else if (field.flag) {
            out += JsonBool(r.*field.flag);
        } else if (field.list) {
            out += '[';
            const std::vector<std::string>& items = r.*field.list;
            for (size_t i = 0; i < items.size(); ++i) {
                if (i) out += ',';
                AppendJsonString(out, items[i]);
            }
            out += ']';
        } else {
            AppendJsonLocation(out, r.*field.location);
        }
    }
    out += '}';
}

std::string CsvHeader(size_t cellColumns, bool withChange) {
    std::string out = withChange ? "change" : "";
    const auto add = [&](const std::string& name) {
        if (!out.empty()) out += ',';
        out += name;
    };
    for (const size_t index : kCsvOrder) {
        const Field& field = kFields[index];
        if (field.list)
            for (size_t i = 1; i <= cellColumns; ++i) add(field.csv + std::to_string(i));
        else if (field.location)
            for (const size_t member : kLocationCsvOrder) add(kLocationFields[member].csv);
        else add(field.csv);
    }
    out += "\r\n";
    return out;
}

std::string CsvRecord(const Record& r, size_t cellColumns, const char* change, const CsvStyle& style) {
    std::string out;
    bool first = true;
    const auto add = [&](std::string_view text) {
        if (!first) out += ',';
        first = false;
        out += text;
    };
    if (change) add(CsvField(change, style));
    for (const size_t index : kCsvOrder) {
        const Field& field = kFields[index];
        if (field.text) {
            add(CsvField(r.*field.text, style));
        } else if (field.flag) {
            add(BoolText(r.*field.flag));
        } else if (field.list) {
            const std::vector<std::string>& items = r.*field.list;
            for (size_t i = 0; i < cellColumns; ++i) add(i < items.size() ? CsvField(items[i], style) : std::string());
        } else {
            const EntryLocation& at = r.*field.location;
            for (const size_t member : kLocationCsvOrder) add(CsvField(at.*kLocationFields[member].member, style));
        }
    }
    out += "\r\n";
    return out;
}

ReportWriter::ReportWriter(IOutput& output, Format format, size_t cellColumns, std::string computer, CsvStyle csv)
    : output_(output), format_(format), cellColumns_(cellColumns), computer_(std::move(computer)), csv_(csv) {}

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
        output_.Write(CsvRecord(record, cellColumns_, nullptr, csv_));
        return;
    }
    // One buffer for every entry: its room stays from one entry to the next.
    line_.clear();
    if (!first_) line_ += ",\n";
    AppendJsonRecord(line_, record);
    output_.Write(line_);
    first_ = false;
}

void ReportWriter::End() {
    if (format_ != Format::Csv) output_.Write(first_ ? "]}\n" : "\n]}\n");
}

}  // namespace qm::report
