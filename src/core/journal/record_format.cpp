// A change record as its file holds it: one JSON object, UTF-8. Texts are
// JSON strings, every control character escaped and an unpaired UTF-16
// unit of a name written as its own \uXXXX escape, so that a name comes
// back exactly as the machine stored it; bytes are Base64; times FILETIMEs.
#include <charconv>
#include <cstring>

#include "core/journal/journal.h"
#include "core/model/json_reader.h"

namespace qm {

namespace {

struct KindName {
    ChangeKind kind;
    const char* name;
};
constexpr KindName kKindNames[] = {
    {ChangeKind::DeletedValue, "deleted-value"},
    {ChangeKind::RewroteValue, "rewrote-value"},
    {ChangeKind::DeletedFile, "deleted-file"},
    {ChangeKind::DeletedTask, "deleted-task"},
    {ChangeKind::DeletedService, "deleted-service"},
    {ChangeKind::ChangedService, "changed-service"},
    {ChangeKind::SwitchedStartup, "switched-startup"},
    {ChangeKind::SwitchedTask, "switched-task"},
    {ChangeKind::Restored, "restored"},
};

constexpr const char* kFormat = "quellmark-change";
constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// ---- Writing ---------------------------------------------------------------

void AppendString(std::string& out, std::string_view text) {
    static const char* const kHex = "0123456789abcdef";
    out += '"';
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else if (c == 0xED && i + 2 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0xA0) {
            // An unpaired surrogate as the platform spells it (WTF-8).
            const std::uint32_t unit = 0xD000u | ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6) |
                                       (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
            i += 2;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
}

std::string Base64(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const std::uint32_t n = (std::uint32_t{bytes[i]} << 16) |
                                (i + 1 < bytes.size() ? std::uint32_t{bytes[i + 1]} << 8 : 0) |
                                (i + 2 < bytes.size() ? std::uint32_t{bytes[i + 2]} : 0);
        out += kBase64[(n >> 18) & 63];
        out += kBase64[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? kBase64[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kBase64[n & 63] : '=';
    }
    return out;
}

// Members of one object, with their commas.
class ObjectWriter {
public:
    explicit ObjectWriter(std::string& out) : out_(out) { out_ += '{'; }
    ~ObjectWriter() { out_ += '}'; }
    ObjectWriter(const ObjectWriter&) = delete;
    ObjectWriter& operator=(const ObjectWriter&) = delete;

    std::string& Name(const char* name) {
        if (!first_) out_ += ',';
        first_ = false;
        out_ += '"';
        out_ += name;
        out_ += "\":";
        return out_;
    }
    void Text(const char* name, std::string_view text) { AppendString(Name(name), text); }
    void Number(const char* name, std::uint64_t n) { Name(name) += std::to_string(n); }
    void Bytes(const char* name, const std::vector<std::uint8_t>& bytes) { AppendString(Name(name), Base64(bytes)); }
    void Flag(const char* name, bool flag) { Name(name) += flag ? "true" : "false"; }
    void Null(const char* name) { Name(name) += "null"; }

private:
    std::string& out_;
    bool first_ = true;
};

const char* ViewName(RegView view) {
    return view == RegView::Registry32 ? "32" : view == RegView::Registry64 ? "64" : "default";
}

void WriteValue(ObjectWriter& w, const char* name, const std::optional<RegValue>& value) {
    if (!value) return w.Null(name);
    ObjectWriter v(w.Name(name));
    v.Number("type", value->type);
    v.Bytes("data", value->data);
}

void WriteNamedValue(std::string& out, const std::string& key, const std::string& name, const RegValue& value) {
    ObjectWriter v(out);
    if (!key.empty()) v.Text("key", key);
    v.Text("name", name);
    v.Number("type", value.type);
    v.Bytes("data", value.data);
}

void WriteKeptValue(ObjectWriter& w, const KeptValue& state) {
    ObjectWriter v(w.Name("value"));
    v.Text("root", RootKeyName(state.root));
    v.Text("view", ViewName(state.view));
    v.Text("key", state.key);
    if (!state.subKey.empty()) v.Text("sub_key", state.subKey);
    v.Text("name", state.name);
    WriteValue(v, "before", state.before);
    WriteValue(v, "after", state.after);
    if (!state.madeKey.empty()) v.Text("made_key", state.madeKey);
}

void WriteKeptFile(ObjectWriter& w, const KeptFile& file) {
    ObjectWriter f(w.Name("file"));
    f.Text("folder", file.folder);
    f.Text("name", file.name);
    f.Number("attributes", file.attributes);
    f.Number("created", file.creationTime);
    f.Number("accessed", file.lastAccessTime);
    f.Number("written", file.lastWriteTime);
    f.Number("size", file.bytes.size());
    f.Bytes("data", file.bytes);
}

void WriteKeptTask(ObjectWriter& w, const KeptTask& task) {
    ObjectWriter t(w.Name("task"));
    t.Text("file_folder", task.fileFolder);
    t.Text("folder", task.taskFolder);
    t.Text("name", task.name);
    t.Bytes("definition", task.file);
    if (task.enabledAfter) t.Flag("enabled_after", *task.enabledAfter);
}

void WriteKeptService(ObjectWriter& w, const KeptService& service) {
    ObjectWriter s(w.Name("service"));
    const ServiceConfig& c = service.config;
    s.Text("name", service.name);
    s.Number("type", c.serviceType);
    s.Number("start", c.startType);
    s.Number("error_control", c.errorControl);
    s.Text("image_path", c.binaryPath);
    s.Text("group", c.loadOrderGroup);
    {
        std::string& out = s.Name("dependencies");
        out += '[';
        for (size_t i = 0; i < c.dependencies.size(); ++i) {
            if (i) out += ',';
            AppendString(out, c.dependencies[i]);
        }
        out += ']';
    }
    s.Text("account", c.account);
    s.Text("display_name", c.displayName);
    if (service.description) s.Text("description", *service.description);
    else s.Null("description");
    std::string& out = s.Name("values");
    out += '[';
    for (size_t i = 0; i < service.values.size(); ++i) {
        if (i) out += ',';
        WriteNamedValue(out, service.values[i].key, service.values[i].name, service.values[i].value);
    }
    out += ']';
    if (service.startAfter) s.Number("start_after", *service.startAfter);
}

// ---- Reading ---------------------------------------------------------------

// What a record's reader found wrong, the first fault.
class Reader {
public:
    std::string error;

    bool Fail(const std::string& what) {
        if (error.empty()) error = what;
        return false;
    }
    const JsonValue* Member(const JsonValue& object, const char* name, JsonValue::Kind kind, bool optional = false) {
        const JsonValue* v = object.Find(name);
        if (!v || (optional && v->kind == JsonValue::Kind::Null)) {
            if (!optional) Fail(std::string("\"") + name + "\" is missing");
            return nullptr;
        }
        if (v->kind != kind) {
            Fail(std::string("\"") + name + "\" is not of its kind");
            return nullptr;
        }
        return v;
    }
    std::string Text(const JsonValue& object, const char* name) {
        const JsonValue* v = Member(object, name, JsonValue::Kind::String);
        return v ? v->text : std::string();
    }
    std::uint64_t Number(const JsonValue& object, const char* name, std::uint64_t max = UINT64_MAX) {
        const JsonValue* v = Member(object, name, JsonValue::Kind::Number);
        if (!v) return 0;
        std::uint64_t n = 0;
        const char* end = v->text.data() + v->text.size();
        const auto [at, ec] = std::from_chars(v->text.data(), end, n);
        if (ec != std::errc() || at != end || n > max) {
            Fail(std::string("\"") + name + "\" is no number the record may hold");
            return 0;
        }
        return n;
    }
    std::vector<std::uint8_t> Bytes(const JsonValue& object, const char* name) {
        const JsonValue* v = Member(object, name, JsonValue::Kind::String);
        std::vector<std::uint8_t> out;
        if (!v) return out;
        const std::string& text = v->text;
        if (text.size() % 4 != 0) {
            Fail(std::string("\"") + name + "\" is no Base64");
            return out;
        }
        out.reserve(text.size() / 4 * 3);
        for (size_t i = 0; i < text.size(); i += 4) {
            std::uint32_t n = 0;
            int pad = 0;
            for (size_t j = 0; j < 4; ++j) {
                const char c = text[i + j];
                const char* at = c ? std::strchr(kBase64, c) : nullptr;
                if (c == '=' && i + 4 == text.size() && j >= 2 && (j == 3 || text[i + 3] == '=')) {
                    ++pad;
                    n <<= 6;
                } else if (at && !pad) {
                    n = (n << 6) | static_cast<std::uint32_t>(at - kBase64);
                } else {
                    Fail(std::string("\"") + name + "\" is no Base64");
                    return {};
                }
            }
            out.push_back(static_cast<std::uint8_t>(n >> 16));
            if (pad < 2) out.push_back(static_cast<std::uint8_t>(n >> 8));
            if (pad < 1) out.push_back(static_cast<std::uint8_t>(n));
        }
        return out;
    }
    std::optional<RegValue> Value(const JsonValue& object, const char* name) {
        const JsonValue* v = Member(object, name, JsonValue::Kind::Object, true);
        if (!v) return std::nullopt;
        return RegValue{static_cast<std::uint32_t>(Number(*v, "type", UINT32_MAX)), Bytes(*v, "data")};
    }
};

std::optional<RegRoot> RootFromName(const std::string& name) {
    for (size_t i = 0; i < RootKeyNames.size(); ++i)
        if (name == RootKeyNames[i]) return static_cast<RegRoot>(i);
    return std::nullopt;
}

void ReadKeptValue(Reader& r, const JsonValue& v, ChangeRecord& record) {
    KeptValue state;
    const std::optional<RegRoot> root = RootFromName(r.Text(v, "root"));
    if (!root) r.Fail("\"root\" names no registry root");
    state.root = root.value_or(RegRoot::CurrentUser);
    const std::string view = r.Text(v, "view");
    if (view == "32") state.view = RegView::Registry32;
    else if (view == "64") state.view = RegView::Registry64;
    else if (view != "default") r.Fail("\"view\" names no registry view");
    state.key = r.Text(v, "key");
    if (const JsonValue* sub = r.Member(v, "sub_key", JsonValue::Kind::String, true)) state.subKey = sub->text;
    state.name = r.Text(v, "name");
    state.before = r.Value(v, "before");
    state.after = r.Value(v, "after");
    if (const JsonValue* made = r.Member(v, "made_key", JsonValue::Kind::String, true)) state.madeKey = made->text;
    record.value = std::move(state);
}

void ReadKeptFile(Reader& r, const JsonValue& f, ChangeRecord& record) {
    KeptFile file;
    file.folder = r.Text(f, "folder");
    file.name = r.Text(f, "name");
    file.attributes = static_cast<std::uint32_t>(r.Number(f, "attributes", UINT32_MAX));
    file.creationTime = r.Number(f, "created");
    file.lastAccessTime = r.Number(f, "accessed");
    file.lastWriteTime = r.Number(f, "written");
    const std::uint64_t size = r.Number(f, "size");
    file.bytes = r.Bytes(f, "data");
    if (r.error.empty() && size != file.bytes.size()) r.Fail("the file's bytes are not as many as its size");
    record.file = std::move(file);
}

void ReadKeptTask(Reader& r, const JsonValue& t, ChangeRecord& record) {
    KeptTask task;
    task.fileFolder = r.Text(t, "file_folder");
    task.taskFolder = r.Text(t, "folder");
    task.name = r.Text(t, "name");
    task.file = r.Bytes(t, "definition");
    if (const JsonValue* on = r.Member(t, "enabled_after", JsonValue::Kind::Bool, true))
        task.enabledAfter = on->boolean;
    record.task = std::move(task);
}

void ReadKeptService(Reader& r, const JsonValue& s, ChangeRecord& record) {
    KeptService service;
    ServiceConfig& c = service.config;
    service.name = r.Text(s, "name");
    c.serviceType = static_cast<std::uint32_t>(r.Number(s, "type", UINT32_MAX));
    c.startType = static_cast<std::uint32_t>(r.Number(s, "start", UINT32_MAX));
    c.errorControl = static_cast<std::uint32_t>(r.Number(s, "error_control", UINT32_MAX));
    c.binaryPath = r.Text(s, "image_path");
    c.loadOrderGroup = r.Text(s, "group");
    if (const JsonValue* list = r.Member(s, "dependencies", JsonValue::Kind::Array))
        for (const JsonValue& item : list->items) {
            if (item.kind != JsonValue::Kind::String) r.Fail("a dependency is no text");
            else c.dependencies.push_back(item.text);
        }
    c.account = r.Text(s, "account");
    c.displayName = r.Text(s, "display_name");
    if (const JsonValue* d = r.Member(s, "description", JsonValue::Kind::String, true)) service.description = d->text;
    if (const JsonValue* list = r.Member(s, "values", JsonValue::Kind::Array))
        for (const JsonValue& item : list->items) {
            if (item.kind != JsonValue::Kind::Object) {
                r.Fail("a service value is no object");
                continue;
            }
            KeptServiceValue value;
            if (const JsonValue* key = r.Member(item, "key", JsonValue::Kind::String, true)) value.key = key->text;
            value.name = r.Text(item, "name");
            value.value = {static_cast<std::uint32_t>(r.Number(item, "type", UINT32_MAX)), r.Bytes(item, "data")};
            service.values.push_back(std::move(value));
        }
    if (r.Member(s, "start_after", JsonValue::Kind::Number, true))
        service.startAfter = static_cast<std::uint32_t>(r.Number(s, "start_after", UINT32_MAX));
    record.service = std::move(service);
}

}  // namespace

const char* ChangeKindName(ChangeKind kind) {
    for (const KindName& k : kKindNames)
        if (k.kind == kind) return k.name;
    return "unknown";
}

std::optional<ChangeKind> ChangeKindFromName(std::string_view name) {
    for (const KindName& k : kKindNames)
        if (name == k.name) return k.kind;
    return std::nullopt;
}

std::string EncodeRecord(const ChangeRecord& record) {
    std::string out;
    {
        ObjectWriter w(out);
        w.Text("format", kFormat);
        w.Number("version", static_cast<std::uint64_t>(record.version));
        w.Number("time", record.time);
        w.Text("kind", ChangeKindName(record.kind));
        w.Text("category", record.category);
        w.Text("entry", record.entry);
        w.Text("where", record.where);
        if (record.value) WriteKeptValue(w, *record.value);
        if (!record.keyValues.empty()) {
            std::string& list = w.Name("key_values");
            list += '[';
            for (size_t i = 0; i < record.keyValues.size(); ++i) {
                if (i) list += ',';
                WriteNamedValue(list, std::string(), record.keyValues[i].first, record.keyValues[i].second);
            }
            list += ']';
        }
        if (record.file) WriteKeptFile(w, *record.file);
        if (record.task) WriteKeptTask(w, *record.task);
        if (record.service) WriteKeptService(w, *record.service);
        if (record.restoredKind) {
            w.Text("restored_record", record.restoredRecord);
            w.Text("restored_kind", ChangeKindName(*record.restoredKind));
        }
    }
    out += '\n';
    return out;
}

std::optional<ChangeRecord> DecodeRecord(std::string_view text, std::string& error) {
    JsonLimits limits;
    limits.maxBytes = Journal::kMaxRecordBytes;
    limits.maxStringBytes = Journal::kMaxRecordBytes;
    limits.maxDepth = 8;
    limits.maxValues = 1u << 20;
    limits.keepLoneSurrogates = true;
    const std::optional<JsonValue> document = ParseJson(text, error, limits);
    if (!document) return std::nullopt;
    Reader r;
    if (document->kind != JsonValue::Kind::Object) {
        error = "it is no JSON object";
        return std::nullopt;
    }
    if (r.Text(*document, "format") != kFormat) {
        error = r.error.empty() ? "it is no change record" : r.error;
        return std::nullopt;
    }
    ChangeRecord record;
    record.version = static_cast<int>(r.Number(*document, "version", 1000000));
    if (r.error.empty() && record.version != ChangeRecord::kVersion) {
        error = "its version " + std::to_string(record.version) + " is not one this program reads";
        return std::nullopt;
    }
    record.time = r.Number(*document, "time");
    const std::optional<ChangeKind> kind = ChangeKindFromName(r.Text(*document, "kind"));
    if (!kind) r.Fail("\"kind\" names no change");
    record.kind = kind.value_or(ChangeKind::DeletedValue);
    record.category = r.Text(*document, "category");
    record.entry = r.Text(*document, "entry");
    record.where = r.Text(*document, "where");
    if (const JsonValue* v = r.Member(*document, "value", JsonValue::Kind::Object, true)) ReadKeptValue(r, *v, record);
    if (const JsonValue* list = r.Member(*document, "key_values", JsonValue::Kind::Array, true))
        for (const JsonValue& item : list->items) {
            if (item.kind != JsonValue::Kind::Object) {
                r.Fail("a key's value is no object");
                continue;
            }
            record.keyValues.emplace_back(
                r.Text(item, "name"),
                RegValue{static_cast<std::uint32_t>(r.Number(item, "type", UINT32_MAX)), r.Bytes(item, "data")});
        }
    if (const JsonValue* f = r.Member(*document, "file", JsonValue::Kind::Object, true)) ReadKeptFile(r, *f, record);
    if (const JsonValue* t = r.Member(*document, "task", JsonValue::Kind::Object, true)) ReadKeptTask(r, *t, record);
    if (const JsonValue* s = r.Member(*document, "service", JsonValue::Kind::Object, true))
        ReadKeptService(r, *s, record);
    if (record.kind == ChangeKind::Restored) {
        record.restoredRecord = r.Text(*document, "restored_record");
        record.restoredKind = ChangeKindFromName(r.Text(*document, "restored_kind"));
        if (!record.restoredKind) r.Fail("\"restored_kind\" names no change");
    }
    // Each kind needs the state it puts back.
    const ChangeKind what = record.restoredKind.value_or(record.kind);
    const bool hasState =
        (what == ChangeKind::DeletedValue && record.value && record.value->before) ||
        ((what == ChangeKind::RewroteValue || what == ChangeKind::SwitchedStartup) && record.value) ||
        (what == ChangeKind::DeletedFile && record.file) ||
        ((what == ChangeKind::DeletedTask || what == ChangeKind::SwitchedTask) && record.task) ||
        ((what == ChangeKind::DeletedService || what == ChangeKind::ChangedService) && record.service);
    if (r.error.empty() && !hasState) r.Fail("it holds no state before the change");
    if (!r.error.empty()) {
        error = r.error;
        return std::nullopt;
    }
    return record;
}

}  // namespace qm
