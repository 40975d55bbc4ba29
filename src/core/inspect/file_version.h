// What the shell and a file's version resource say about the file: its type
// name, the twelve standard version strings, a type text and the build flags.
#pragma once
#include <cstdint>
#include <string>

#include "core/inspect/version_resource.h"
#include "core/model/native_path.h"
#include "platform/platform.h"

namespace qm {

struct FileVersionInfo {
    std::string ShellTypeName;
    std::string CompanyName;
    std::string FileDescription;
    std::string FileVersion;
    std::string InternalName;
    std::string LegalCopyRight;
    std::string LegalTradeMarks;
    std::string OriginalFileName;
    std::string ProductName;
    std::string ProductVersion;
    std::string Comments;
    std::string SpecialBuild;
    std::string PrivateBuild;
    std::string FileTypeText;
    bool IsDebug = false;
    bool IsPreRelease = false;
    bool IsSpecialBuild = false;
    bool IsPrivateBuild = false;
    bool IsPatched = false;
    bool IsInfoInferred = false;
};

inline constexpr std::uint32_t kVsFfDebug = 0x01;
inline constexpr std::uint32_t kVsFfPreRelease = 0x02;
inline constexpr std::uint32_t kVsFfPatched = 0x04;
inline constexpr std::uint32_t kVsFfPrivateBuild = 0x08;
inline constexpr std::uint32_t kVsFfInfoInferred = 0x10;
inline constexpr std::uint32_t kVsFfSpecialBuild = 0x20;

// Resets every field of `info`, then fills what the file yields. Failures
// only leave fields empty or false. With `programsOnly`, a file the shell
// does not count as a program (SHGFI_EXETYPE) gets no version details;
// without it (a driver's .sys file, a DLL) every file's resource is read.
void ReadFileVersionInfo(Platform& platform, const std::string& path, FileVersionInfo& info, bool programsOnly = true);
// The same, the path made native by `native`, which asks for the Windows
// folder once for many files.
void ReadFileVersionInfo(NativePaths& native, Platform& platform, const std::string& path, FileVersionInfo& info,
                         bool programsOnly = true);
// Only the version strings (company, description, version ...), for a
// program that shows nothing else: the shell's type name, the fixed
// information's flags and its type text are left out, and with them most
// of the calls per file.
void ReadFileVersionStrings(NativePaths& native, Platform& platform, const std::string& path, FileVersionInfo& info,
                            bool programsOnly = true);

// The text for the file's type and subtype; `text` is left alone where the
// type table has no entry. A lookup in the program's own table: it asks
// the machine nothing, and needs no privilege.
void GetFileTypeText(const FixedFileInfo& fixed, std::string& text);

}  // namespace qm
