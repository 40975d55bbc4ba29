#include "core/model/hook_list.h"

#include "core/model/image_path.h"
#include "core/model/text.h"
#include "platform/constants.h"

namespace qm {

namespace {

bool IsSeparator(std::uint8_t c) { return c == ' ' || c == ',' || c == '\t'; }

bool HasExtension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of("\\/");
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

std::string InSystem32(const std::string& windows, const std::string& path) {
    if (path.find_first_of("\\/:") != std::string::npos) return path;
    std::string root = windows;
    while (!root.empty() && root.back() == '\\') root.pop_back();
    return root + "\\System32\\" + path;
}

}  // namespace

std::optional<std::vector<ListEntry>> ListEntries(std::uint32_t type, const std::vector<std::uint8_t>& data) {
    std::vector<ListEntry> entries;
    if (type == kRegMultiSz) {
        for (size_t at = 0; at < data.size();) {
            size_t end = at;
            while (end < data.size() && data[end] != 0) ++end;
            if (end == at) break;  // the empty string that ends the list
            entries.push_back({at, end, std::string(data.begin() + at, data.begin() + end)});
            at = end + 1;
        }
        return entries;
    }
    if (type != kRegSz && type != kRegExpandSz) return std::nullopt;
    size_t size = 0;
    while (size < data.size() && data[size] != 0) ++size;
    for (size_t at = 0; at < size;) {
        while (at < size && IsSeparator(data[at])) ++at;
        size_t end = at;
        while (end < size && !IsSeparator(data[end])) ++end;
        if (end > at) entries.push_back({at, end, std::string(data.begin() + at, data.begin() + end)});
        at = end;
    }
    return entries;
}

std::vector<std::uint8_t> WithoutEntry(std::uint32_t type, const std::vector<std::uint8_t>& data, std::size_t index) {
    const std::optional<std::vector<ListEntry>> entries = ListEntries(type, data);
    if (!entries || index >= entries->size()) return data;
    const ListEntry& entry = (*entries)[index];
    size_t begin = entry.begin, end = entry.end;
    if (type == kRegMultiSz) {
        end = std::min(end + 1, data.size());  // the string's own NUL
    } else if (index + 1 < entries->size()) {
        end = (*entries)[index + 1].begin;  // up to the next entry
    } else if (index > 0) {
        begin = (*entries)[index - 1].end;  // the last entry takes the separators before it
    } else {
        // The only entry: the separators around it stay, as they are no entry.
    }
    std::vector<std::uint8_t> result(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(begin));
    result.insert(result.end(), data.begin() + static_cast<std::ptrdiff_t>(end), data.end());
    return result;
}

std::string HookFileOf(const std::string& entry, HookFile form, const std::string& windows) {
    const std::string text = TrimControl(entry);
    if (text.empty()) return {};
    switch (form) {
        case HookFile::CommandLine: {
            // The program: quoted, or up to its extension, or the first word ("ntsd -d").
            std::string program = CommandProgram(text);
            if (text[0] != '"' && program == text) program = text.substr(0, text.find_first_of(" \t"));
            if (program.find_first_of("\\/:") == std::string::npos) {
                if (!HasExtension(program)) program += ".exe";
                return InSystem32(windows, program);
            }
            return ServiceImageFile("\"" + program + "\"", windows, "", false);
        }
        case HookFile::BootProgram: {
            // "autocheck" marks a program that runs only when the volume needs a check.
            std::string rest = text;
            if (StartsWithNoCase(rest, "autocheck ")) rest = TrimControl(rest.substr(10));
            std::string program = rest.substr(0, rest.find_first_of(" \t"));
            if (!HasExtension(program)) program += ".exe";
            return ServiceImageFile(InSystem32(windows, program), windows, "", false);
        }
        case HookFile::SystemDll: {
            std::string path = text;
            if (!HasExtension(path)) path += ".dll";
            return ServiceImageFile(InSystem32(windows, path), windows, "", false);
        }
    }
    return {};
}

}  // namespace qm
