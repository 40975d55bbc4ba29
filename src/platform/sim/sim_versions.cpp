#include <algorithm>

#include "platform/text_case.h"
#include "platform/sim/sim.h"
#include "platform/sim/version_block.h"

namespace qm::sim {

namespace {

struct ParsedBlock {
    size_t start = 0, length = 0;
    std::u16string key;
    bool text = false;
    size_t valueOffset = 0, valueBytes = 0;
    size_t valueLength = 0;  // characters for text, bytes otherwise
    size_t childrenOffset = 0;
};

size_t Align4(size_t n) { return (n + 3) & ~size_t{3}; }

std::uint16_t Word(const std::vector<std::uint8_t>& b, size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

// Reads the block at `at`, which must lie within [at, end).
bool ParseBlock(const std::vector<std::uint8_t>& b, size_t at, size_t end, ParsedBlock& out) {
    if (at + 6 > end) return false;
    out.start = at;
    out.length = Word(b, at);
    if (out.length < 6 || at + out.length > end) return false;
    const size_t blockEnd = at + out.length;
    out.valueLength = Word(b, at + 2);
    out.text = Word(b, at + 4) == 1;
    out.key.clear();
    size_t pos = at + 6;
    for (;; pos += 2) {
        if (pos + 2 > blockEnd) return false;
        const char16_t c = static_cast<char16_t>(Word(b, pos));
        if (c == 0) break;
        out.key.push_back(c);
    }
    out.valueOffset = Align4(pos + 2);
    out.valueBytes = out.text ? out.valueLength * 2 : out.valueLength;
    if (out.valueOffset + out.valueBytes > blockEnd) return false;
    out.childrenOffset = Align4(out.valueOffset + out.valueBytes);
    return true;
}

char16_t FoldCase(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool SameName(const std::u16string& key, const std::string& name) {
    if (key.size() != name.size()) return false;
    for (size_t i = 0; i < key.size(); ++i)
        if (FoldCase(key[i]) != FoldCase(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

bool FindChild(const std::vector<std::uint8_t>& b, const ParsedBlock& parent, const std::string& name,
               ParsedBlock& out) {
    const size_t end = parent.start + parent.length;
    for (size_t at = parent.childrenOffset; at < end;) {
        if (!ParseBlock(b, at, end, out)) return false;
        if (SameName(out.key, name)) return true;
        at = Align4(out.start + out.length);
    }
    return false;
}

}  // namespace

bool QueryVersionValue(const std::vector<std::uint8_t>& block, const std::string& subBlock,
                       std::vector<std::uint8_t>& value) {
    ParsedBlock current;
    if (!ParseBlock(block, 0, block.size(), current)) return false;
    // Backslashes separate the names; runs of them count as one.
    for (size_t pos = 0; pos < subBlock.size();) {
        if (subBlock[pos] == '\\') {
            ++pos;
            continue;
        }
        const size_t next = std::min(subBlock.find('\\', pos), subBlock.size());
        ParsedBlock child;
        if (!FindChild(block, current, subBlock.substr(pos, next - pos), child)) return false;
        current = child;
        pos = next;
    }
    const auto* first = block.data() + current.valueOffset;
    if (!current.text) {
        value.assign(first, first + current.valueBytes);
        return true;
    }
    // The ANSI query hands out text values converted to 8-bit characters.
    value.clear();
    for (size_t i = 0; i < current.valueLength; ++i) {
        const std::uint16_t c = Word(block, current.valueOffset + i * 2);
        value.push_back(c < 256 ? static_cast<std::uint8_t>(c) : static_cast<std::uint8_t>('?'));
    }
    return true;
}

std::uint32_t SimVersions::GetFileVersionInfoSize(const std::string& path) {
    SimFile* file = files_.Find(path);
    return file ? static_cast<std::uint32_t>(file->versionResource.size()) : 0;
}

bool SimVersions::GetFileVersionInfo(const std::string& path, std::uint32_t size, std::vector<std::uint8_t>& block) {
    SimFile* file = files_.Find(path);
    if (!file || file->versionResource.empty()) return false;
    ++reads;
    if (failReads) return false;
    block.assign(size, 0);
    std::copy_n(file->versionResource.begin(), std::min<size_t>(size, file->versionResource.size()), block.begin());
    return true;
}

bool SimVersions::VerQueryValue(const std::vector<std::uint8_t>& block, const std::string& subBlock,
                                std::vector<std::uint8_t>& value) {
    queries.push_back(subBlock);
    return QueryVersionValue(block, subBlock, value);
}

}  // namespace qm::sim
