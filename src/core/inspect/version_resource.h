// The one reader of version resources. A resource comes from any file an
// autostart entry names, so its bytes are hostile: every block must lie
// within its parent and the parent within the buffer, a text ends at its
// first NUL or at the end of its block, a binary value at its stated length
// or the end of its block, and the lengths the blocks report are never
// trusted beyond that. A damaged block is a block that is not there.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace qm {

// VS_FIXEDFILEINFO, the binary root of a version resource.
struct FixedFileInfo {
    std::uint32_t dwSignature = 0;
    std::uint32_t dwStrucVersion = 0;
    std::uint32_t dwFileVersionMS = 0;
    std::uint32_t dwFileVersionLS = 0;
    std::uint32_t dwProductVersionMS = 0;
    std::uint32_t dwProductVersionLS = 0;
    std::uint32_t dwFileFlagsMask = 0;
    std::uint32_t dwFileFlags = 0;
    std::uint32_t dwFileOS = 0;
    std::uint32_t dwFileType = 0;
    std::uint32_t dwFileSubtype = 0;
    std::uint32_t dwFileDateMS = 0;
    std::uint32_t dwFileDateLS = 0;
};
static_assert(sizeof(FixedFileInfo) == 13 * sizeof(std::uint32_t));

// One value of a version resource: a view into the buffer, from the start of
// the value to the end of the block that holds it.
struct VersionValue {
    std::span<const std::uint8_t> data;
    std::size_t statedBytes = 0;  // what the block's value length names, in bytes
    bool text = false;            // the block calls its value text
    bool wide = false;            // a 32-bit resource (UTF-16 texts), else a 16-bit one (8-bit texts)

    // The value's bytes as its length states them, cut at the end of its block.
    std::span<const std::uint8_t> Binary() const;
};

// The sub-block at `subBlock` ("\\" or "" for the root, "\\VarFileInfo\\Translation",
// "\\StringFileInfo\\040904B0\\CompanyName" ...), found the way VerQueryValue
// finds it: backslashes separate names, runs of them count as one, names
// match without regard to letter case. Both layouts are read: the 32-bit one
// of PE files and the 16-bit one of NE files.
std::optional<VersionValue> QueryVersionValue(std::span<const std::uint8_t> block, std::string_view subBlock);

// A value read as text, in UTF-8 up to the first NUL: a UTF-16 text
// whole, whatever its characters; the 8-bit text of a 16-bit resource, and
// a binary value read as text, byte by byte as Latin-1 (each byte the
// character of that number).
std::string VersionValueText(const VersionValue& value);

// One file's version resource, read through the platform into a buffer of
// its own and then queried only within that buffer.
class VersionResource {
public:
    // Asks for the size of the file's resource (GetFileVersionInfoSize).
    VersionResource(IVersionResources& versions, std::string path);

    // 0 when the file has no version resource.
    std::uint32_t Size() const { return size_; }
    // Reads the resource again (GetFileVersionInfo). A failed read keeps
    // the resource of the last read that succeeded.
    bool Read();

    std::optional<FixedFileInfo> Fixed() const;  // the root block
    // The first entry of "\\VarFileInfo\\Translation": language in the low
    // 16 bits, code page in the high 16 bits.
    std::optional<std::uint32_t> FirstTranslation() const;
    // The text at `subBlock`, up to its first NUL.
    std::optional<std::string> Text(std::string_view subBlock) const;

    // No version block is larger than 64 KiB; Windows asks for up to four
    // times the block (room for converted texts). A larger size a file
    // claims is not allocated.
    static constexpr std::uint32_t kLargestBuffer = 4 * 0x10000 + 4;

private:
    IVersionResources& versions_;
    std::string path_;
    std::uint32_t size_;
    std::vector<std::uint8_t> buffer_;
};

// The four-part file version ("1.0.0.1") of a file's version resource; false
// with an empty text when the file has none or it cannot be read.
bool GetFileVersionText(IVersionResources& versions, const std::string& fileName, std::string& text);

// The "ProductVersion" string of the resource's first translation; false with
// an empty text when there is none.
bool GetProductVersionText(IVersionResources& versions, const std::string& fileName, std::string& text);

}  // namespace qm
