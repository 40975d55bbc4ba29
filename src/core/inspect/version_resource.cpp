#include "core/inspect/version_resource.h"

#include <cstdio>

#include <algorithm>
#include <array>

#include "platform/text_utf.h"

namespace qm {

namespace {

using Bytes = std::span<const std::uint8_t>;

std::uint16_t Word(Bytes b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8); }

std::uint32_t Dword(Bytes b, std::size_t at) {
    return static_cast<std::uint32_t>(Word(b, at)) | static_cast<std::uint32_t>(Word(b, at + 2)) << 16;
}

// Offsets inside a block are aligned to 4 bytes from the block's own start.
std::size_t AlignFrom(std::size_t start, std::size_t at) { return start + ((at - start + 3) & ~std::size_t{3}); }

char FoldCase(unsigned c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); }

// One block: 32-bit layout (wLength, wValueLength, wType, UTF-16 key) or
// 16-bit layout (wLength, wValueLength, 8-bit key); then the value and the
// children, each aligned to 4 bytes.
struct Block {
    std::size_t start = 0, end = 0;
    std::size_t keyStart = 0, keyChars = 0;
    std::size_t valueStart = 0, statedBytes = 0;
    std::size_t childrenStart = 0;
    bool text = false;
};

class Walker {
public:
    Walker(Bytes bytes, bool wide) : b_(bytes), wide_(wide) {}

    // The block at `at`, which must lie whole within [at, limit).
    std::optional<Block> Parse(std::size_t at, std::size_t limit) const {
        const std::size_t header = wide_ ? 6 : 4, unit = wide_ ? 2 : 1;
        if (at > limit || limit - at < header) return std::nullopt;
        const std::size_t length = Word(b_, at);
        if (length < header || length > limit - at) return std::nullopt;
        Block block;
        block.start = at;
        block.end = at + length;
        const std::size_t valueLength = Word(b_, at + 2);
        block.text = wide_ && Word(b_, at + 4) != 0;
        block.keyStart = at + header;
        std::size_t pos = block.keyStart;
        for (;; pos += unit) {
            if (block.end - pos < unit) return std::nullopt;  // the key runs to the end of its block
            if ((wide_ ? Word(b_, pos) : b_[pos]) == 0) break;
        }
        block.keyChars = (pos - block.keyStart) / unit;
        block.valueStart = std::min(AlignFrom(at, pos + unit), block.end);
        block.statedBytes = block.text ? valueLength * 2 : valueLength;
        const std::size_t room = block.end - block.valueStart;
        block.childrenStart =
            block.statedBytes > room ? block.end : AlignFrom(at, block.valueStart + block.statedBytes);
        return block;
    }

    bool KeyIs(const Block& block, std::string_view name) const {
        if (block.keyChars != name.size()) return false;
        for (std::size_t i = 0; i < name.size(); ++i) {
            const unsigned c = wide_ ? Word(b_, block.keyStart + 2 * i) : b_[block.keyStart + i];
            if (c > 0x7F || FoldCase(c) != FoldCase(static_cast<unsigned char>(name[i]))) return false;
        }
        return true;
    }

    // The child named `name`; none when a damaged child comes before it.
    std::optional<Block> Child(const Block& parent, std::string_view name) const {
        for (std::size_t at = parent.childrenStart; at < parent.end;) {
            const std::optional<Block> child = Parse(at, parent.end);
            if (!child) return std::nullopt;
            if (KeyIs(*child, name)) return child;
            at = AlignFrom(child->start, child->end);
        }
        return std::nullopt;
    }

private:
    Bytes b_;
    bool wide_;
};

}  // namespace

std::span<const std::uint8_t> VersionValue::Binary() const { return data.first(std::min(statedBytes, data.size())); }

std::optional<VersionValue> QueryVersionValue(std::span<const std::uint8_t> block, std::string_view subBlock) {
    // A 16-bit block has its key where a 32-bit block has its type (0 or 1).
    const bool wide = block.size() < 5 || block[4] < ' ';
    const Walker walker(block, wide);
    std::optional<Block> current = walker.Parse(0, block.size());
    for (std::size_t pos = 0; current && pos < subBlock.size();) {
        if (subBlock[pos] == '\\') {
            ++pos;
            continue;
        }
        const std::size_t next = std::min(subBlock.find('\\', pos), subBlock.size());
        current = walker.Child(*current, subBlock.substr(pos, next - pos));
        pos = next;
    }
    if (!current) return std::nullopt;
    VersionValue value;
    value.data = block.subspan(current->valueStart, current->end - current->valueStart);
    value.statedBytes = current->statedBytes;
    value.text = current->text;
    value.wide = wide;
    return value;
}

std::string VersionValueText(const VersionValue& value) {
    if (value.statedBytes == 0) return {};  // the block says it holds no value
    if (value.wide && value.text) {
        std::u16string text;
        for (std::size_t at = 0; at + 2 <= value.data.size(); at += 2) {
            const char16_t c = static_cast<char16_t>(Word(value.data, at));
            if (c == 0) break;
            text.push_back(c);
        }
        return Utf8FromUtf16(text);
    }
    // 8-bit texts of 16-bit resources run to their NUL like UTF-16 ones;
    // a binary value read as text ends at its stated length as well.
    const Bytes bytes = value.wide ? value.Binary() : value.data;
    std::string text;
    for (auto at = bytes.begin(); at != bytes.end() && *at != 0; ++at) AppendUtf8(text, *at);
    return text;
}

VersionResource::VersionResource(IVersionResources& versions, std::string path)
    : versions_(versions), path_(std::move(path)), size_(versions.GetFileVersionInfoSize(path_)) {}

bool VersionResource::Read() {
    if (size_ == 0) return false;
    std::vector<std::uint8_t> fresh;
    if (!versions_.GetFileVersionInfo(path_, std::min(size_, kLargestBuffer), fresh)) return false;
    buffer_ = std::move(fresh);
    return true;
}

std::optional<FixedFileInfo> VersionResource::Fixed() const {
    const std::optional<VersionValue> root = QueryVersionValue(buffer_, "\\");
    if (!root) return std::nullopt;
    const Bytes bytes = root->Binary();
    if (bytes.size() < sizeof(FixedFileInfo)) return std::nullopt;
    static constexpr std::array<std::uint32_t FixedFileInfo::*, 13> kMembers{
        &FixedFileInfo::dwSignature,     &FixedFileInfo::dwStrucVersion,     &FixedFileInfo::dwFileVersionMS,
        &FixedFileInfo::dwFileVersionLS, &FixedFileInfo::dwProductVersionMS, &FixedFileInfo::dwProductVersionLS,
        &FixedFileInfo::dwFileFlagsMask, &FixedFileInfo::dwFileFlags,        &FixedFileInfo::dwFileOS,
        &FixedFileInfo::dwFileType,      &FixedFileInfo::dwFileSubtype,      &FixedFileInfo::dwFileDateMS,
        &FixedFileInfo::dwFileDateLS};
    FixedFileInfo fixed;
    for (std::size_t i = 0; i < kMembers.size(); ++i) fixed.*kMembers[i] = Dword(bytes, i * 4);
    return fixed;
}

std::optional<std::uint32_t> VersionResource::FirstTranslation() const {
    const std::optional<VersionValue> table = QueryVersionValue(buffer_, "\\VarFileInfo\\Translation");
    if (!table || table->Binary().size() < 4) return std::nullopt;
    return Dword(table->Binary(), 0);
}

std::optional<std::string> VersionResource::Text(std::string_view subBlock) const {
    const std::optional<VersionValue> value = QueryVersionValue(buffer_, subBlock);
    if (!value) return std::nullopt;
    return VersionValueText(*value);
}

bool GetFileVersionText(IVersionResources& versions, const std::string& fileName, std::string& text) {
    text.clear();
    VersionResource resource(versions, fileName);
    // A resource that cannot be read or has no root value counts as none.
    const std::optional<FixedFileInfo> fixed = resource.Read() ? resource.Fixed() : std::nullopt;
    if (!fixed) return false;
    const std::uint32_t ms = fixed->dwFileVersionMS, ls = fixed->dwFileVersionLS;
    char buffer[48];
    std::snprintf(buffer, sizeof(buffer), "%u.%u.%u.%u", ms >> 16, ms & 0xFFFFu, ls >> 16, ls & 0xFFFFu);
    text = buffer;
    return true;
}

bool GetProductVersionText(IVersionResources& versions, const std::string& fileName, std::string& text) {
    text.clear();
    VersionResource resource(versions, fileName);
    const std::optional<std::uint32_t> first = resource.Read() ? resource.FirstTranslation() : std::nullopt;
    if (!first) return false;
    char subBlock[64];
    std::snprintf(subBlock, sizeof(subBlock), "\\StringFileInfo\\%04x%04x\\ProductVersion", *first & 0xFFFFu,
                  *first >> 16);
    text = resource.Text(subBlock).value_or("");
    return !text.empty();
}

}  // namespace qm
