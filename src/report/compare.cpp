#include "report/compare.h"

#include <cstdio>
#include <deque>
#include <unordered_map>

#include "report/fields.h"

namespace qm::report {

namespace {

// Each part with its length first, so that no text inside a part can make
// two different locations read alike.
void AddPart(std::string& key, const std::string& part) {
    key += std::to_string(part.size());
    key += ':';
    key += part;
}

bool SameDetails(const Record& a, const Record& b) {
    for (const Field& field : kFields)
        if ((field.role & kCompared) && !SameValue(field, a, b)) return false;
    return true;
}

// ---- Reading a baseline --------------------------------------------------------

class EntryReader {
public:
    EntryReader(const JsonValue& entry, size_t index, std::string& error)
        : entry_(entry), index_(index), error_(error) {}

    // The fields added to the schema later that the entry does not hold.
    std::uint64_t missing = 0;

    bool Text(const JsonValue& object, const char* name, std::string& out) {
        const JsonValue* value = object.Find(name);
        if (!value || value->kind == JsonValue::Kind::Null) return true;
        if (value->kind != JsonValue::Kind::String) return Wrong(name, "a string");
        out = value->text;
        return true;
    }
    bool Text(const char* name, std::string& out) { return Text(entry_, name, out); }

    bool Flag(const char* name, std::optional<bool>& out) {
        const JsonValue* value = entry_.Find(name);
        if (!value || value->kind == JsonValue::Kind::Null) return true;
        if (value->kind != JsonValue::Kind::Bool) return Wrong(name, "true, false or null");
        out = value->boolean;
        return true;
    }

    bool List(const char* name, std::vector<std::string>& out) {
        const JsonValue* value = entry_.Find(name);
        if (!value || value->kind == JsonValue::Kind::Null) return true;
        if (value->kind != JsonValue::Kind::Array) return Wrong(name, "an array");
        for (const JsonValue& item : value->items) {
            if (item.kind != JsonValue::Kind::String) return Wrong(name, "an array of strings");
            out.push_back(item.text);
        }
        return true;
    }

    // The one member every entry must have.
    bool Location(const char* name, EntryLocation& at) {
        const JsonValue* location = entry_.Find(name);
        if (!location || location->kind != JsonValue::Kind::Object) return Wrong(name, "an object");
        for (const LocationField& field : kLocationFields)
            if (!Text(*location, field.json, at.*field.member)) return false;
        return true;
    }

    bool Read(Record& r) {
        if (entry_.kind != JsonValue::Kind::Object) return Wrong("entry", "an object");
        for (const Field& field : kFields) {
            if (field.addedLater && !entry_.Find(field.json)) missing |= FieldBit(field);
            const bool read = field.text   ? Text(field.json, r.*field.text)
                              : field.flag ? Flag(field.json, r.*field.flag)
                              : field.list ? List(field.json, r.*field.list)
                                           : Location(field.json, r.*field.location);
            if (!read) return false;
        }
        return true;
    }

private:
    bool Wrong(const char* name, const char* what) {
        error_ = "entry " + std::to_string(index_ + 1) + ": \"" + name + "\" is not " + what;
        return false;
    }

    const JsonValue& entry_;
    size_t index_;
    std::string& error_;
};

// What schema 1 called each category, beside the id it has now. A category
// added since has no schema-1 name.
constexpr std::pair<const char*, const char*> kSchemaOneNames[] = {
    {"hku", "hkcu-run"},
    {"LV", "hklm-run"},
    {"comon", "startup-common"},
    {"User", "startup-user"},
    {"runonce", "hkcu-runonce"},
    {"hklmrunonce", "hklm-runonce"},
    {"shellobject", "hklm-shell-service-objects"},
    {"runoncex", "hklm-runonceex"},
    {"InstCompo", "services-running"},
    {"actx", "components"},
    {"logs", "winlogon"},
    {"lorun", "load-run"},
    {"explomac", "hklm-explorer-run"},
    {"explou", "hkcu-explorer-run"},
    {"desktop", "screensaver"},
    {"tasks", "tasks"},
    {"hooks", "system-hooks"},
    {"autoservices", "services-drivers"},
};

void RenameSchema1Category(Record& record) {
    for (const auto& [old, id] : kSchemaOneNames)
        if (record.category == old) {
            record.category = id;
            return;
        }
}

// ---- Writing the differences ----------------------------------------------------

std::string Quoted(const std::string& text) { return "\"" + PrintableText(text) + "\""; }

std::string PlaceOf(const Record& r) {
    const EntryLocation& at = r.location;
    if (at.type == "registry") {
        std::string place = PrintableText(at.root + "\\" + at.key);
        if (!at.component.empty()) place += "\\" + PrintableText(at.component);
        place += " " + Quoted(ShownText(at.value));
        if (!at.item.empty()) place += " item " + Quoted(at.item);
        if (at.view != "default") place += " (" + PrintableText(at.view) + "-bit view)";
        return place;
    }
    if (at.type == "file") return PrintableText(at.folder + at.file);
    if (at.type == "service") return "service " + PrintableText(at.service);
    if (at.type == "task") return "task " + PrintableText(at.task);
    return "(no location)";
}

std::string TextLine(const char* change, const Record& r) {
    std::string line = std::string(change) + " [" + PrintableText(r.category) + "] " + Quoted(r.name) + " " +
                       Quoted(r.command) + " at " + PlaceOf(r);
    if (!r.error.empty()) line += " - " + PrintableText(r.error);
    return line;
}

// A field's value in a comparison's text.
std::string ChangeText(const Field& field, const Record& r) {
    if (field.text) return r.*field.text;
    if (field.flag) {
        const std::optional<bool>& state = r.*field.flag;
        return !state ? field.words.none : *state ? field.words.yes : field.words.no;
    }
    if (field.location) return PlaceOf(r);
    std::string cells;
    for (const std::string& cell : r.*field.list) cells += (cells.empty() ? "" : " | ") + cell;
    return cells;
}

void TextChange(std::string& out, const Field& field, const Record& before, const Record& after) {
    out += "    " + std::string(field.changeName ? field.changeName : field.json) + ": " +
           Quoted(ChangeText(field, before)) + " -> " + Quoted(ChangeText(field, after)) + "\n";
}

void WriteText(const Differences& d, IOutput& output) {
    for (const Record& r : d.added) output.Write(TextLine("added", r) + "\n");
    for (const Record& r : d.removed) output.Write(TextLine("removed", r) + "\n");
    for (const auto& [before, after] : d.changed) {
        std::string out = TextLine("changed", after) + "\n";
        for (const Field& field : kFields)
            if ((field.role & kCompared) && !SameValue(field, before, after)) TextChange(out, field, before, after);
        output.Write(out);
    }
    const size_t total = d.added.size() + d.removed.size() + d.changed.size();
    output.Write(total == 0 ? std::string("no differences\n")
                            : std::to_string(total) + (total == 1 ? " difference: " : " differences: ") +
                                  std::to_string(d.added.size()) + " added, " + std::to_string(d.removed.size()) +
                                  " removed, " + std::to_string(d.changed.size()) + " changed\n");
}

void WriteCsv(const Differences& d, size_t cellColumns, const CsvStyle& style, IOutput& output) {
    output.Write(CsvHeader(cellColumns, true));
    for (const Record& r : d.added) output.Write(CsvRecord(r, cellColumns, "added", style));
    for (const Record& r : d.removed) output.Write(CsvRecord(r, cellColumns, "removed", style));
    for (const auto& [before, after] : d.changed) {
        output.Write(CsvRecord(before, cellColumns, "changed from", style));
        output.Write(CsvRecord(after, cellColumns, "changed to", style));
    }
}

void WriteJsonList(const std::vector<Record>& records, IOutput& output) {
    for (size_t i = 0; i < records.size(); ++i) output.Write((i ? ",\n" : "\n") + JsonRecord(records[i]));
}

void WriteJson(const Differences& d, IOutput& output) {
    output.Write("{\"schema\":" + std::to_string(kSchemaVersion) + ",\"program\":" + JsonString(kProgramName) +
                 ",\"added\":[");
    WriteJsonList(d.added, output);
    output.Write("],\"removed\":[");
    WriteJsonList(d.removed, output);
    output.Write("],\"changed\":[");
    for (size_t i = 0; i < d.changed.size(); ++i)
        output.Write((i ? ",\n" : "\n") + std::string("{\"before\":") + JsonRecord(d.changed[i].first) +
                     ",\"after\":" + JsonRecord(d.changed[i].second) + "}");
    output.Write("]}\n");
}

}  // namespace

bool ReadBaseline(std::string_view text, std::vector<Record>& records, std::string& error, const JsonLimits& limits,
                  std::vector<std::uint64_t>* missing) {
    records.clear();
    if (missing) missing->clear();
    std::string problem;
    const std::optional<JsonValue> document = ParseJson(text, problem, limits);
    if (!document) {
        error = "not valid JSON: " + problem;
        return false;
    }
    const JsonValue* schema = document->kind == JsonValue::Kind::Object ? document->Find("schema") : nullptr;
    if (!schema || schema->kind != JsonValue::Kind::Number) {
        error = "not a report of " + std::string(kProgramName) + " (no schema version)";
        return false;
    }
    int version = 0;
    for (int known = kOldestSchemaRead; known <= kSchemaVersion; ++known)
        if (schema->text == std::to_string(known)) version = known;
    if (version == 0) {
        error = "a report of schema " + schema->text + "; this program reads schemas " +
                std::to_string(kOldestSchemaRead) + " to " + std::to_string(kSchemaVersion);
        return false;
    }
    const JsonValue* entries = document->Find("entries");
    if (!entries || entries->kind != JsonValue::Kind::Array) {
        error = "a report without its \"entries\" list";
        return false;
    }
    records.reserve(entries->items.size());
    for (size_t i = 0; i < entries->items.size(); ++i) {
        Record record;
        EntryReader reader(entries->items[i], i, error);
        if (!reader.Read(record)) {
            records.clear();
            if (missing) missing->clear();
            return false;
        }
        if (version == 1) RenameSchema1Category(record);
        records.push_back(std::move(record));
        if (missing) missing->push_back(reader.missing);
    }
    return true;
}

std::string IdentityOf(const Record& r) {
    std::string key;
    for (const Field& field : kFields) {
        if (!(field.role & kIdentity)) continue;
        if (field.text) {
            AddPart(key, r.*field.text);
        } else if (field.flag) {
            const std::optional<bool>& state = r.*field.flag;
            AddPart(key, !state ? "" : *state ? "yes" : "no");
        } else if (field.list) {
            AddPart(key, std::to_string((r.*field.list).size()));
            for (const std::string& item : r.*field.list) AddPart(key, item);
        } else {
            for (const LocationField& member : kLocationFields) AddPart(key, (r.*field.location).*member.member);
        }
    }
    return key;
}

Differences Compare(const std::vector<Record>& baseline, const std::vector<Record>& current,
                    const std::vector<std::uint64_t>* missing) {
    // Entries of the same identity (there should be none) pair up in order.
    std::unordered_map<std::string, std::deque<size_t>> before;
    for (size_t i = 0; i < baseline.size(); ++i) before[IdentityOf(baseline[i])].push_back(i);
    std::vector<bool> matched(baseline.size(), false);
    Differences d;
    for (const Record& now : current) {
        auto found = before.find(IdentityOf(now));
        if (found == before.end() || found->second.empty()) {
            d.added.push_back(now);
            continue;
        }
        const size_t index = found->second.front();
        found->second.pop_front();
        matched[index] = true;
        // A field the baseline was written without is no change: it reads
        // as the current entry has it.
        Record then = baseline[index];
        const std::uint64_t absent = missing && index < missing->size() ? (*missing)[index] : 0;
        for (const Field& field : kFields)
            if (absent & FieldBit(field)) CopyValue(field, now, then);
        if (!SameDetails(then, now)) d.changed.emplace_back(std::move(then), now);
    }
    for (size_t i = 0; i < baseline.size(); ++i)
        if (!matched[i]) d.removed.push_back(baseline[i]);
    return d;
}

void WriteDifferences(const Differences& differences, Format format, size_t cellColumns, IOutput& output,
                      const CsvStyle& csv) {
    switch (format) {
        case Format::Text:
            return WriteText(differences, output);
        case Format::Csv:
            return WriteCsv(differences, cellColumns, csv, output);
        case Format::Json:
            return WriteJson(differences, output);
    }
}

}  // namespace qm::report
