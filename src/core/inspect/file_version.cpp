#include "core/inspect/file_version.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <optional>

#include "core/model/native_path.h"
#include "core/model/text.h"

namespace qm {

namespace {

// The twelve version strings in the order they are read. The keys keep
// their historic letter case; the lookup ignores case, so they also find
// "LegalCopyright", "LegalTrademarks" and "OriginalFilename".
struct VersionKey {
    const char* Key;
    std::string FileVersionInfo::*Field;
};
constexpr std::array<VersionKey, 12> kVersionKeys{{
    {"CompanyName", &FileVersionInfo::CompanyName},
    {"FileDescription", &FileVersionInfo::FileDescription},
    {"FileVersion", &FileVersionInfo::FileVersion},
    {"InternalName", &FileVersionInfo::InternalName},
    {"LegalCopyRight", &FileVersionInfo::LegalCopyRight},
    {"LegalTradeMarks", &FileVersionInfo::LegalTradeMarks},
    {"OriginalFileName", &FileVersionInfo::OriginalFileName},
    {"ProductName", &FileVersionInfo::ProductName},
    {"ProductVersion", &FileVersionInfo::ProductVersion},
    {"Comments", &FileVersionInfo::Comments},
    {"SpecialBuild", &FileVersionInfo::SpecialBuild},
    {"PrivateBuild", &FileVersionInfo::PrivateBuild},
}};

struct FileFlag {
    std::uint32_t Flag;
    bool FileVersionInfo::*Field;
};
constexpr std::array<FileFlag, 6> kFileFlags{{
    {kVsFfDebug, &FileVersionInfo::IsDebug},
    {kVsFfPreRelease, &FileVersionInfo::IsPreRelease},
    {kVsFfSpecialBuild, &FileVersionInfo::IsSpecialBuild},
    {kVsFfPrivateBuild, &FileVersionInfo::IsPrivateBuild},
    {kVsFfPatched, &FileVersionInfo::IsPatched},
    {kVsFfInfoInferred, &FileVersionInfo::IsInfoInferred},
}};

constexpr std::uint32_t kAnySubtype = 0xFFFFFFFFu;
struct FileTypeName {
    std::uint32_t Type;
    std::uint32_t Subtype;  // kAnySubtype: every subtype
    const char* Text;
    bool AppendSubtype;  // the subtype follows as eight upper-case hex digits
};
// Types and subtypes missing here (drivers from 11, fonts from 4, type 6,
// types from 8) have no text.
constexpr std::array<FileTypeName, 20> kFileTypeNames{{
    {0, kAnySubtype, "Unknown", false},
    {1, kAnySubtype, "Application", false},
    {2, kAnySubtype, "DLL", false},
    {3, 0, "Unknown Driver", false},
    {3, 1, "Printer Driver", false},
    {3, 2, "Keyboard Driver", false},
    {3, 3, "Language Driver", false},
    {3, 4, "Display Driver", false},
    {3, 5, "Mouse Driver", false},
    {3, 6, "Network Driver", false},
    {3, 7, "System Driver", false},
    {3, 8, "InstallableDriver", false},
    {3, 9, "Sound Driver", false},
    {3, 10, "Communications Driver", false},
    {4, 0, "Unknown Font", false},
    {4, 1, "Raster Font", false},
    {4, 2, "Vector Font", false},
    {4, 3, "Truetype Font", false},
    {5, kAnySubtype, "Virtual Defice Identifier = ", true},
    {7, kAnySubtype, "Static-link Library", false},
}};

std::string UpToNul(const char* data, size_t size) { return std::string(data, strnlen(data, size)); }

// Every key reads the resource again and looks only at the first
// translation; the block's own lengths are never trusted (VersionResource).
std::string ReadVersionString(VersionResource& resource, const char* key) {
    if (!resource.Read()) return {};
    const std::optional<std::uint32_t> first = resource.FirstTranslation();
    if (!first) return {};
    char subBlock[256];
    std::snprintf(subBlock, sizeof(subBlock), "\\StringFileInfo\\%.4X%.4X\\%s", *first & 0xFFFFu, *first >> 16, key);
    return resource.Text(subBlock).value_or("");
}

bool HasFileFlag(const FixedFileInfo& fixed, std::uint32_t flag) {
    return (flag & fixed.dwFileFlags & fixed.dwFileFlagsMask) == flag;
}

}  // namespace

void GetFileTypeText(const FixedFileInfo& fixed, std::string& text) {
    for (const FileTypeName& row : kFileTypeNames) {
        if (row.Type != fixed.dwFileType || (row.Subtype != kAnySubtype && row.Subtype != fixed.dwFileSubtype))
            continue;
        text = row.Text;
        if (row.AppendSubtype) {
            char hex[16];
            std::snprintf(hex, sizeof(hex), "%.8X", fixed.dwFileSubtype);
            text += hex;
        }
        return;
    }
}

namespace {

// `path`: the file `named` as NativePath gives it.
// With `details` false only the version strings are read: not the shell's
// type name, nor the fixed information's flags and type text.
void ReadFileVersionInfoAt(Platform& platform, const std::string& path, FileVersionInfo& info, bool programsOnly,
                           bool details = true) {
    ShellFileInfo shellInfo;
    if (details && platform.shell.GetFileInfo(path, 0, shellInfo, kShgfiTypeName) != 0)
        info.ShellTypeName = UpToNul(shellInfo.typeName.data(), shellInfo.typeName.size());
    // Files the shell does not count as programs get no version details,
    // whatever resources they carry.
    ShellFileInfo exeInfo;
    if (programsOnly && platform.shell.GetFileInfo(path, 0, exeInfo, kShgfiExeType) == 0) return;
    VersionResource resource(platform.versions, path);
    if (resource.Size() == 0) return;
    for (const VersionKey& key : kVersionKeys) info.*key.Field = ReadVersionString(resource, key.Key);
    if (!details) return;
    const std::optional<FixedFileInfo> fixed = resource.Fixed();
    if (!fixed) return;  // no root block: the flags stay false, the type text empty
    for (const FileFlag& flag : kFileFlags) info.*flag.Field = HasFileFlag(*fixed, flag.Flag);
    GetFileTypeText(*fixed, info.FileTypeText);
}

}  // namespace

void ReadFileVersionInfo(Platform& platform, const std::string& named, FileVersionInfo& info, bool programsOnly) {
    info = FileVersionInfo{};
    // Nothing is read from another machine or a device: its fields stay empty.
    if (IsNetworkOrDevicePath(named)) return;
    ReadFileVersionInfoAt(platform, NativePath(platform, named), info, programsOnly);
}

void ReadFileVersionInfo(NativePaths& native, Platform& platform, const std::string& named, FileVersionInfo& info,
                         bool programsOnly) {
    info = FileVersionInfo{};
    if (IsNetworkOrDevicePath(named)) return;
    ReadFileVersionInfoAt(platform, native(named), info, programsOnly);
}

void ReadFileVersionStrings(NativePaths& native, Platform& platform, const std::string& named, FileVersionInfo& info,
                            bool programsOnly) {
    info = FileVersionInfo{};
    if (IsNetworkOrDevicePath(named)) return;
    ReadFileVersionInfoAt(platform, native(named), info, programsOnly, false);
}

}  // namespace qm
