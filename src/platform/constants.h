// Windows constants the portable code needs, under names that cannot clash
// with the macros of <windows.h>. The values are Windows' own.
#pragma once
#include <cstdint>

#include "platform/handles.h"

namespace qm {

// Predefined registry root keys.
inline constexpr KeyHandle kHkeyClassesRoot{0x80000000u};
inline constexpr KeyHandle kHkeyCurrentUser{0x80000001u};
inline constexpr KeyHandle kHkeyLocalMachine{0x80000002u};
inline constexpr KeyHandle kHkeyUsers{0x80000003u};
inline constexpr KeyHandle kHkeyPerformanceData{0x80000004u};
inline constexpr KeyHandle kHkeyCurrentConfig{0x80000005u};
inline constexpr KeyHandle kHkeyDynData{0x80000006u};

inline constexpr std::uint32_t kKeyAllAccess = 0xF003Fu;
inline constexpr std::uint32_t kKeyRead = 0x20019u;
inline constexpr std::uint32_t kKeyQueryValue = 0x1u;
inline constexpr std::uint32_t kKeySetValue = 0x2u;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x4u;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x8u;
inline constexpr std::uint32_t kKeyCreateLink = 0x20u;
// The registry view a key is opened in on 64-bit Windows (ignored elsewhere).
inline constexpr std::uint32_t kKeyWow64_64Key = 0x0100u;
inline constexpr std::uint32_t kKeyWow64_32Key = 0x0200u;

// Registry value types.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

// Win32 error codes.
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorPathNotFound = 3;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorInsufficientBuffer = 122;
inline constexpr long kErrorInvalidName = 123;
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorFileTooLarge = 223;
inline constexpr long kErrorNoMoreItems = 259;
inline constexpr long kErrorNoUnicodeTranslation = 1113;  // a text no UTF-16 spells
inline constexpr long kErrorFileExists = 80;
inline constexpr long kErrorDiskFull = 112;
inline constexpr long kErrorAlreadyExists = 183;
inline constexpr long kErrorServiceMarkedForDelete = 1072;
inline constexpr long kErrorServiceExists = 1073;
inline constexpr long kErrorServiceDoesNotExist = 1060;

// SHGetFileInfoA flags.
inline constexpr std::uint32_t kShgfiIcon = 0x100;
inline constexpr std::uint32_t kShgfiTypeName = 0x400;
inline constexpr std::uint32_t kShgfiExeType = 0x2000;
inline constexpr std::uint32_t kShgfiSysIconIndex = 0x4000;
inline constexpr std::uint32_t kShgfiSmallIcon = 0x1;
inline constexpr std::uint32_t kShgfiUseFileAttributes = 0x10;

// List view image list kinds (LVM_SETIMAGELIST).
inline constexpr int kLvsilNormal = 0;
inline constexpr int kLvsilSmall = 1;

// Access token.
inline constexpr std::uint32_t kTokenAdjustPrivileges = 0x20;
inline constexpr std::uint32_t kTokenQuery = 0x8;
inline constexpr std::uint32_t kSePrivilegeEnabled = 2;

// File attributes.
inline constexpr std::uint32_t kFileAttributeReadonly = 0x1;
inline constexpr std::uint32_t kFileAttributeHidden = 0x2;
inline constexpr std::uint32_t kFileAttributeSystem = 0x4;
inline constexpr std::uint32_t kFileAttributeDirectory = 0x10;
inline constexpr std::uint32_t kFileAttributeArchive = 0x20;
inline constexpr std::uint32_t kFileAttributeNormal = 0x80;
inline constexpr std::uint32_t kFileAttributeReparsePoint = 0x400;  // a junction or symbolic link

// Access rights of a file or folder, in an access list's entries.
inline constexpr std::uint32_t kFileWriteData = 0x2;   // FILE_ADD_FILE of a folder
inline constexpr std::uint32_t kFileAppendData = 0x4;  // FILE_ADD_SUBDIRECTORY
inline constexpr std::uint32_t kFileWriteEa = 0x10;
inline constexpr std::uint32_t kFileDeleteChild = 0x40;
inline constexpr std::uint32_t kFileWriteAttributes = 0x100;
inline constexpr std::uint32_t kDelete = 0x10000;
inline constexpr std::uint32_t kWriteDac = 0x40000;
inline constexpr std::uint32_t kWriteOwner = 0x80000;
inline constexpr std::uint32_t kFileAllAccess = 0x1F01FF;  // every right of a file or folder (SDDL "FA")
inline constexpr std::uint32_t kGenericAll = 0x10000000;
inline constexpr std::uint32_t kMaximumAllowed = 0x02000000;
inline constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;

// Shell special folders.
inline constexpr int kCsidlStartup = 7;
inline constexpr int kCsidlCommonStartup = 24;
inline constexpr int kCsidlCommonAppData = 35;  // ProgramData

// Service control manager.
inline constexpr std::uint32_t kScManagerAllAccess = 0xF003F;
inline constexpr std::uint32_t kScManagerConnect = 0x1;
inline constexpr std::uint32_t kScManagerCreateService = 0x2;
inline constexpr std::uint32_t kScManagerEnumerateService = 0x4;
inline constexpr std::uint32_t kGenericExecute = 0x20000000;
inline constexpr std::uint32_t kGenericWrite = 0x40000000;
inline constexpr std::uint32_t kServiceAllAccess = 0xF01FF;
inline constexpr std::uint32_t kServiceQueryConfig = 0x1;
inline constexpr std::uint32_t kServiceChangeConfig = 0x2;
inline constexpr std::uint32_t kServiceDelete = 0x10000;  // DELETE
inline constexpr std::uint32_t kServiceWin32OwnProcess = 0x10;
inline constexpr std::uint32_t kServiceWin32ShareProcess = 0x20;
inline constexpr std::uint32_t kServiceKernelDriver = 0x1;
inline constexpr std::uint32_t kServiceFileSystemDriver = 0x2;
inline constexpr std::uint32_t kServiceDriver = 0xB;  // SERVICE_DRIVER: kernel, file-system and recognizer drivers
inline constexpr std::uint32_t kServiceWin32 = 0x30;  // SERVICE_WIN32: own and shared process
inline constexpr std::uint32_t kServiceStateAll = 3;
inline constexpr std::uint32_t kServiceBootStart = 0;
inline constexpr std::uint32_t kServiceSystemStart = 1;
inline constexpr std::uint32_t kServiceActive = 1;
inline constexpr std::uint32_t kServiceInactive = 2;
inline constexpr std::uint32_t kServiceNoChange = 0xFFFFFFFFu;
inline constexpr std::uint32_t kServiceAutoStart = 2;
inline constexpr std::uint32_t kServiceDemandStart = 3;
inline constexpr std::uint32_t kServiceDisabled = 4;
inline constexpr std::uint32_t kServiceRunning = 4;
inline constexpr std::uint32_t kServiceStopped = 1;

// Message dialog results and kinds.
enum class DialogKind { Error, Confirmation, Information, Plain };
enum class DialogResult { None, Ok, Yes, No, Cancel };

}  // namespace qm
