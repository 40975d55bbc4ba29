#include "platform/sim/sim_tasks.h"

#include "platform/text_utf.h"

namespace qm::sim {

namespace {

constexpr long kClassNotRegistered = static_cast<long>(0x80040154u);
constexpr long kFileNotFoundResult = static_cast<long>(0x80070002u);

// The document as UTF-8 text: UTF-8 (its mark dropped) or UTF-16LE after
// its mark, as the scheduler writes its files. False for UTF-16 that no
// text spells (an unpaired surrogate), which the system's reader refuses.
bool Narrow(const std::vector<std::uint8_t>& document, std::string& text) {
    if (document.size() >= 2 && document[0] == 0xFF && document[1] == 0xFE) {
        std::u16string units;
        for (size_t i = 2; i + 1 < document.size(); i += 2)
            units.push_back(static_cast<char16_t>(document[i] | (document[i + 1] << 8)));
        for (size_t i = 0; i < units.size(); ++i) {
            const bool high = units[i] >= 0xD800 && units[i] <= 0xDBFF, low = units[i] >= 0xDC00 && units[i] <= 0xDFFF;
            if (low) return false;
            if (high && (i + 1 == units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF)) return false;
            if (high) ++i;
        }
        text = Utf8FromUtf16(units);
        return true;
    }
    size_t from = document.size() >= 3 && document[0] == 0xEF && document[1] == 0xBB && document[2] == 0xBF ? 3 : 0;
    text.assign(document.begin() + static_cast<std::ptrdiff_t>(from), document.end());
    return true;
}

std::string Decoded(const std::string& raw, bool& ok) {
    static const std::pair<const char*, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (size_t i = 0; i < raw.size();) {
        if (raw[i] != '&') {
            out.push_back(raw[i++]);
            continue;
        }
        bool known = false;
        for (const auto& [entity, c] : kEntities)
            if (raw.compare(i, std::char_traits<char>::length(entity), entity) == 0) {
                out.push_back(c);
                i += std::char_traits<char>::length(entity);
                known = true;
                break;
            }
        if (!known) {
            ok = false;
            return out;
        }
    }
    return out;
}

std::string LocalName(const std::string& name) {
    const size_t colon = name.find(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ':' || c == '-' || c == '.';
}

}  // namespace

bool SimTasks::ReadXml(const std::vector<std::uint8_t>& document, std::vector<XmlEvent>& events, std::string& error) {
    std::string text;
    if (!Narrow(document, text)) {
        error = "characters the reader cannot take";
        return false;
    }
    std::vector<std::string> open;
    const auto fail = [&](const std::string& why) {
        error = why;
        return false;
    };
    bool rootSeen = false;
    for (size_t at = 0; at < text.size();) {
        if (text[at] != '<') {
            const size_t end = text.find('<', at);
            const std::string raw = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
            at = end == std::string::npos ? text.size() : end;
            if (open.empty()) {
                if (raw.find_first_not_of(" \t\r\n") != std::string::npos) return fail("text outside the root element");
                continue;
            }
            bool ok = true;
            const std::string value = Decoded(raw, ok);
            if (!ok) return fail("an unknown entity");
            events.push_back({XmlEvent::Text, static_cast<int>(open.size()), "", value});
            continue;
        }
        if (text.compare(at, 4, "<!--") == 0) {
            const size_t end = text.find("-->", at + 4);
            if (end == std::string::npos) return fail("an unclosed comment");
            at = end + 3;
            continue;
        }
        if (text.compare(at, 2, "<?") == 0) {
            const size_t end = text.find("?>", at + 2);
            if (end == std::string::npos) return fail("an unclosed declaration");
            at = end + 2;
            continue;
        }
        if (text.compare(at, 2, "<!") == 0) return fail("a DTD, which is prohibited");
        const bool closing = text.compare(at, 2, "</") == 0;
        size_t p = at + (closing ? 2 : 1);
        const size_t nameStart = p;
        while (p < text.size() && IsNameChar(text[p])) ++p;
        const std::string name = text.substr(nameStart, p - nameStart);
        if (name.empty()) return fail("a malformed tag");
        // Attributes: name="value" or name='value'.
        for (;;) {
            while (p < text.size() && std::isspace(static_cast<unsigned char>(text[p]))) ++p;
            if (p >= text.size()) return fail("an unclosed tag");
            if (text[p] == '>' || text.compare(p, 2, "/>") == 0) break;
            if (closing) return fail("a malformed end tag");
            const size_t attrStart = p;
            while (p < text.size() && IsNameChar(text[p])) ++p;
            if (p == attrStart || p >= text.size() || text[p] != '=') return fail("a malformed attribute");
            ++p;
            if (p >= text.size() || (text[p] != '"' && text[p] != '\'')) return fail("a malformed attribute");
            const size_t close = text.find(text[p], p + 1);
            if (close == std::string::npos) return fail("an unclosed attribute");
            p = close + 1;
        }
        const bool empty = text[p] == '/';
        at = p + (empty ? 2 : 1);
        if (closing) {
            if (open.empty() || open.back() != name) return fail("an end tag that matches no start tag");
            open.pop_back();
            events.push_back({XmlEvent::End, static_cast<int>(open.size()), LocalName(name), ""});
            continue;
        }
        if (open.empty() && rootSeen) return fail("a second root element");
        rootSeen = true;
        if (static_cast<int>(open.size()) >= kMaxDepth) return fail("elements nested deeper than the bound");
        events.push_back({XmlEvent::Start, static_cast<int>(open.size()), LocalName(name), ""});
        if (empty) events.push_back({XmlEvent::End, static_cast<int>(open.size()), LocalName(name), ""});
        else open.push_back(name);
    }
    if (!open.empty() || !rootSeen) return fail("the document ends inside an element");
    return true;
}

long SimTasks::DeleteTask(const std::string& folder, const std::string& name) {
    deletions.push_back(folder + "|" + name);
    if (!available) return kClassNotRegistered;
    if (deleteResult != 0) return deleteResult;
    const std::string path = tasksFolder + (folder == "\\" ? "" : folder) + "\\" + name;
    return files_.DeleteFile(path) == kErrorSuccess ? 0 : kFileNotFoundResult;
}

long SimTasks::RegisterTask(const std::string& folder, const std::string& name, const std::string& xml) {
    if (!available) return kClassNotRegistered;
    if (registerResult != 0) return registerResult;
    std::u16string units;
    if (!Utf16FromUtf8(name, units) || !Utf16FromUtf8(folder, units) || !Utf16FromUtf8(xml, units))
        return static_cast<long>(0x80070459u);  // ERROR_NO_UNICODE_TRANSLATION
    const std::string path = tasksFolder + (folder == "\\" ? "" : folder) + "\\" + name;
    if (files_.Exists(path) || files_.FolderExists(path))
        return static_cast<long>(0x800700B7u);  // ERROR_ALREADY_EXISTS
    std::vector<XmlEvent> events;
    std::string error;
    if (!ReadXml(std::vector<std::uint8_t>(xml.begin(), xml.end()), events, error))
        return static_cast<long>(0x80041318u);  // SCHED_E_MALFORMEDXML
    if (registerDropsActions) {
        std::string kept = xml;
        const size_t open = kept.find("<Actions"), close = kept.find("</Actions>");
        if (open != std::string::npos && close != std::string::npos) kept.erase(open, close + 10 - open);
        Utf16FromUtf8(kept, units);
    }
    // Windows keeps a task's file in UTF-16LE after its mark, whatever the
    // definition was handed over in.
    SimFile file;
    file.content = "\xFF\xFE";
    for (char16_t unit : units) {
        file.content.push_back(static_cast<char>(unit & 0xFF));
        file.content.push_back(static_cast<char>(unit >> 8));
    }
    files_.AddFile(path, std::move(file));
    return 0;
}

long SimTasks::SetTaskEnabled(const std::string& folder, const std::string& name, bool enabled) {
    enablings.push_back(folder + "|" + name + (enabled ? "|on" : "|off"));
    if (!available) return kClassNotRegistered;
    if (enableResult != 0 || enableLeavesFile) return enableResult;
    const std::string path = tasksFolder + (folder == "\\" ? "" : folder) + "\\" + name;
    SimFile* file = files_.Find(path);
    if (!file) return kFileNotFoundResult;
    std::string& xml = file->content;
    const std::string element = std::string("<Enabled>") + (enabled ? "true" : "false") + "</Enabled>";
    const size_t settings = xml.find("<Settings>");
    const size_t open = xml.find("<Enabled>", settings == std::string::npos ? 0 : settings);
    const size_t close = open == std::string::npos ? open : xml.find("</Enabled>", open);
    if (settings != std::string::npos && open != std::string::npos && close != std::string::npos)
        xml.replace(open, close + 10 - open, element);
    else if (settings != std::string::npos) xml.insert(settings + 10, element);
    else if (const size_t end = xml.rfind("</Task>"); end != std::string::npos)
        xml.insert(end, "<Settings>" + element + "</Settings>");
    return 0;
}

}  // namespace qm::sim
