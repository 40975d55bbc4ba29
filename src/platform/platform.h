// The one door to Windows. Everything the program asks of the machine goes
// through these interfaces; platform/win32 answers with the real API and
// platform/sim with an in-memory machine. Signatures follow the Win32 calls
// they stand for closely, so that the logic above keeps their flags, orders
// and failure rules. The platform knows nothing of the program's forms.
//
// Every text here is UTF-8 (WTF-8 where the machine's UTF-16 holds an
// unpaired surrogate: platform/text_utf.h), and every call it stands for is
// the wide (W) one: a name outside any ANSI code page is read, shown and
// named back exactly. A text that is no valid UTF-8 names nothing: the call
// fails with kErrorNoUnicodeTranslation.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/constants.h"
#include "platform/handles.h"

namespace qm {

// ---- Registry -------------------------------------------------------------

struct RegValue {
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> data;
};

// Value names are counted: a name may hold NULs (the native registry takes
// them, and any program running as the user can write one), and every call
// below names exactly the value of that whole name, never the one named by
// its part before a NUL.
class IRegistry {
public:
    virtual ~IRegistry() = default;
    // RegOpenKeyExW. `parent` is a root key or a key opened before.
    virtual long OpenKey(KeyHandle parent, const std::string& subKey, std::uint32_t access, KeyHandle& out) = 0;
    virtual long CloseKey(KeyHandle key) = 0;
    // RegQueryInfoKeyW: the number of sub-keys and values.
    virtual long QueryInfoKey(KeyHandle key, std::uint32_t& subKeys, std::uint32_t& values) = 0;
    // RegEnumValueW / RegEnumKeyExW by index, the name as long as the call
    // counts it; kErrorNoMoreItems past the end.
    virtual long EnumValue(KeyHandle key, std::uint32_t index, std::string& name) = 0;
    // RegEnumValueW by index with the value's type and data in the same
    // call, the data as QueryValue hands it over: one registry round trip
    // for name and data. kErrorMoreData when the data is larger than `size`
    // bytes; the name is then not known from this call (enumerate it alone).
    virtual long EnumValueData(KeyHandle key, std::uint32_t index, std::uint32_t size, std::string& name,
                               RegValue& out) = 0;
    virtual long EnumKey(KeyHandle key, std::uint32_t index, std::string& name) = 0;
    // RegQueryValueExW without a buffer: the type and size of the data as
    // QueryValue hands it over (text in UTF-8, so its size in UTF-8 bytes).
    // kErrorFileNotFound when the value is absent.
    virtual long QueryValueInfo(KeyHandle key, const std::string& name, std::uint32_t& type, std::uint32_t& size) = 0;
    // RegQueryValueExW with a buffer of `size` bytes: the type and the data,
    // text (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) in UTF-8 with its NULs.
    virtual long QueryValue(KeyHandle key, const std::string& name, std::uint32_t size, RegValue& out) = 0;
    virtual long DeleteValue(KeyHandle key, const std::string& name) = 0;
    // RegDeleteKeyW: a key without sub-keys.
    virtual long DeleteKey(KeyHandle key, const std::string& subKey) = 0;
    // RegCreateKeyExW: the key opened with `access` (its view flags
    // included), made first with its missing parents when it is absent.
    // The program makes only the key where Explorer keeps whether an entry
    // starts; SetValue also writes back a list value an entry was removed from.
    virtual long CreateKey(KeyHandle parent, const std::string& subKey, std::uint32_t access, KeyHandle& out) = 0;
    virtual long SetValue(KeyHandle key, const std::string& name, std::uint32_t type,
                          const std::vector<std::uint8_t>& data) = 0;
};

// ---- Service control manager ----------------------------------------------

struct ServiceEntry {  // one ENUM_SERVICE_STATUSW
    std::string serviceName;
    std::optional<std::string> displayName;  // Wine lists a service created without one as NULL
    std::uint32_t serviceType = 0;
    std::uint32_t currentState = 0;
};

// QUERY_SERVICE_CONFIG: the whole configuration, as the manager keeps it
// (the tag aside, which the manager gives out itself).
struct ServiceConfig {
    std::uint32_t serviceType = 0;
    std::uint32_t startType = 0;
    std::string binaryPath;          // lpBinaryPathName as the manager keeps it
    std::uint32_t errorControl = 0;  // SERVICE_ERROR_CRITICAL: a failure to start it restarts Windows
    std::string loadOrderGroup;      // empty: none
    // lpDependencies, each as the manager keeps it (a group with its "+").
    std::vector<std::string> dependencies;
    std::string account;  // lpServiceStartName: "LocalSystem", "NT AUTHORITY\LocalService", a user ...
    std::string displayName;
};

class IServices {
public:
    virtual ~IServices() = default;
    virtual ScManagerHandle OpenSCManager(std::uint32_t access) = 0;  // none on failure
    // EnumServicesStatusW with a buffer of `bufferSize` bytes. Appends the
    // entries the call returned to `out`; returns false with `lastError`
    // kErrorMoreData when more entries remain, to be fetched with the updated
    // `resume` handle, and `bytesNeeded` the size the call asked for.
    virtual bool EnumServicesStatus(ScManagerHandle scm, std::uint32_t type, std::uint32_t state,
                                    std::uint32_t bufferSize, std::uint32_t& resume, std::vector<ServiceEntry>& out,
                                    std::uint32_t& bytesNeeded, long& lastError) = 0;
    virtual ServiceHandle OpenService(ScManagerHandle scm, const std::string& name, std::uint32_t access) = 0;
    // QueryServiceConfigW: the configured command line (lpBinaryPathName).
    virtual bool QueryServiceBinaryPath(ServiceHandle service, std::string& path) = 0;
    // QueryServiceConfigW: the whole configuration.
    virtual bool ReadServiceConfig(ServiceHandle service, ServiceConfig& config) = 0;
    // QueryServiceConfig2W(SERVICE_CONFIG_DESCRIPTION): the description,
    // none when the service has none. False when it cannot be read.
    virtual bool ReadServiceDescription(ServiceHandle service, std::optional<std::string>& description) = 0;
    // CreateServiceW of `name` with that configuration, no tag asked for and
    // no password (an account that needs one is created without it, and
    // the manager refuses it or the service will not start until one is
    // set). None on failure, `error` saying why (kErrorServiceExists,
    // kErrorServiceMarkedForDelete ...).
    virtual ServiceHandle CreateService(ScManagerHandle scm, const std::string& name, const ServiceConfig& config,
                                        std::uint32_t access, long& error) = 0;
    // ChangeServiceConfig2W(SERVICE_CONFIG_DESCRIPTION).
    virtual bool SetServiceDescription(ServiceHandle service, const std::string& description) = 0;
    virtual bool DeleteService(ServiceHandle service) = 0;
    // ChangeServiceConfigW with every argument "no change" but the start type.
    virtual bool ChangeServiceStartType(ServiceHandle service, std::uint32_t startType) = 0;
    virtual bool CloseServiceHandle(ScManagerHandle manager) = 0;
    virtual bool CloseServiceHandle(ServiceHandle service) = 0;
};

// ---- Shell and COM shell links ---------------------------------------------

struct ShellFileInfo {  // SHFILEINFOW
    IconHandle hIcon;
    int iIcon = 0;
    std::uint32_t attributes = 0;
    std::string displayName;
    std::string typeName;
};

// The shell link object (IShellLinkW with its IPersistFile).
class IShellLinkObject {
public:
    virtual ~IShellLinkObject() = default;
    virtual long Load(const std::string& path, std::uint32_t mode) = 0;  // HRESULT
    virtual long GetPath(std::string& path, int bufferChars) = 0;        // HRESULT
};

// Which of the program's own windows owns a shell call (its hwnd): the
// shell parents whatever it shows for the call (an error box, a sheet) to it.
enum class ShellOwner { None, MainWindow, ItemProperties };

struct ShellExecuteInfo {  // SHELLEXECUTEINFOW
    ShellOwner owner = ShellOwner::None;
    std::uint32_t mask = 0;
    std::string verb;
    std::string file;
    std::string parameters;
    std::string directory;
    int show = 1;
};

class IShell {
public:
    virtual ~IShell() = default;
    // SHGetFileInfoW; returns what the API returns (an image list handle for
    // SHGFI_SYSICONINDEX, the executable type for SHGFI_EXETYPE, else nonzero
    // on success).
    virtual std::uintptr_t GetFileInfo(const std::string& path, std::uint32_t fileAttributes, ShellFileInfo& info,
                                       std::uint32_t flags) = 0;
    virtual bool DestroyIcon(IconHandle icon) = 0;
    // SHGetSpecialFolderPathW.
    virtual bool GetSpecialFolderPath(int csidl, bool create, std::string& path) = 0;
    // CoCreateInstance of the shell link object; throws the COM error when it fails.
    virtual std::unique_ptr<IShellLinkObject> CreateShellLink() = 0;
    // ShellExecuteW: above 32 when the shell took the request.
    virtual std::uintptr_t ShellExecute(ShellOwner owner, const std::string& operation, const std::string& file,
                                        const std::string& parameters, const std::string& directory, int show) = 0;
    virtual bool ShellExecuteEx(const ShellExecuteInfo& info) = 0;
    // ShellExecute done by the desktop's shell (its IShellDispatch2, reached
    // from the desktop window of IShellWindows), so that what starts runs
    // with the desktop user's rights rather than this elevated program's.
    // False when the desktop shell offers no such way: nothing was started
    // then. Once handed over, the shell's own answer is not looked at.
    virtual bool ShellExecuteByDesktop(const std::string& operation, const std::string& file,
                                       const std::string& parameters, const std::string& directory, int show) = 0;
};

// ---- Files ------------------------------------------------------------------

struct FoundFile {
    std::string name;
    std::uint32_t attributes = 0;
};

// One entry of a folder's listing.
struct FolderEntry {
    std::string name;       // as stored
    std::string shortName;  // its 8.3 name; empty when it has none
    std::uint32_t attributes = 0;
};

// Which file an open handle is: the same volume and file ID are the same
// file, whatever name it has now.
struct FileIdentity {
    std::uint32_t volumeSerial = 0;
    std::uint64_t fileId = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

struct FileEntryInfo {  // BY_HANDLE_FILE_INFORMATION, the parts the program uses
    std::uint32_t attributes = 0;
    FileIdentity identity;
    std::uint64_t size = 0;
    // FILETIMEs (UTC); 0 where the file system keeps none.
    std::uint64_t creationTime = 0;
    std::uint64_t lastAccessTime = 0;
    std::uint64_t lastWriteTime = 0;
};

// What an entry's handle is opened for.
enum class EntryAccess {
    Attributes,  // its attributes, identity and final path
    Deletion,    // those, its content (FILE_READ_DATA) and DELETE
    Security,    // those and its owner and access list (READ_CONTROL)
};

// Whom a security identifier stands for, as far as the program trusts it.
enum class Trustee { Administrators, LocalSystem, CreatorOwner, Other };

// One entry of an access list (an ACE of a DACL).
struct AccessRule {
    Trustee trustee = Trustee::Other;
    std::string sid;           // as text, "S-1-5-32-544"
    bool allow = true;         // ACCESS_ALLOWED_ACE; false: ACCESS_DENIED_ACE (or any other kind)
    bool inheritOnly = false;  // applies only to what is made inside
    std::uint32_t mask = 0;    // generic rights as written, not mapped
};

// A file's or folder's owner and access list (GetSecurityInfo).
struct EntrySecurity {
    Trustee owner = Trustee::Other;
    std::string ownerSid;
    bool nullAcl = false;  // no access list at all: everyone may do anything
    std::vector<AccessRule> rules;
};

// SetFileInformationByHandle(FileBasicInfo): what a file is given back.
struct FileBasics {
    std::uint32_t attributes = kFileAttributeNormal;  // never 0, which would mean "unchanged"
    std::uint64_t creationTime = 0;                   // 0: unchanged
    std::uint64_t lastAccessTime = 0;
    std::uint64_t lastWriteTime = 0;
};

// GetFinalPathNameByHandleW (VOLUME_NAME_DOS) without its "\\?\" prefix:
// where the file really is, every link on the way followed.
struct FinalPath {
    std::string exact;
};

class IFiles {
public:
    virtual ~IFiles() = default;
    // FindFirstFileW/FindNextFileW over `pattern`, keeping entries whose
    // attributes fit `attributeMask` as the classic search did (directories
    // only when the mask has the directory bit). Names come whole, as stored.
    virtual void FindFiles(const std::string& pattern, std::uint32_t attributeMask, std::vector<FoundFile>& out) = 0;
    // DeleteFileW: kErrorSuccess, or the error it failed with (GetLastError).
    virtual long DeleteFile(const std::string& path) = 0;
    // GetFileAttributesW: kInvalidFileAttributes when the path does not exist.
    virtual std::uint32_t GetFileAttributes(const std::string& path) = 0;
    // Every entry of `folder` (FindFirstFileExW of "<folder>\*" with the 8.3
    // names, in large fetches; FindNextFileW), "." and ".." left out, in the
    // file system's order. kErrorSuccess; kErrorMoreData when the folder
    // holds more than `limit` entries (nothing kept then); or the error the
    // listing failed with (a folder that is not there or refuses listing;
    // on Windows also a drive's root without any entry, where the search
    // finds nothing).
    virtual long ListFolder(const std::string& folder, std::size_t limit, std::vector<FolderEntry>& out) = 0;

    // CreateFileW of the entry itself (FILE_FLAG_OPEN_REPARSE_POINT and
    // FILE_FLAG_BACKUP_SEMANTICS, every sharing mode), a folder too: a link
    // is opened as the link where the system allows it, for what `access`
    // says. None on failure, `error` saying why.
    virtual FileHandle OpenEntry(const std::string& path, EntryAccess access, long& error) = 0;
    // The whole content of a file opened for deletion, of at most `limit`
    // bytes, read from its start: kErrorSuccess, kErrorFileTooLarge (nothing
    // read), or the error.
    virtual long ReadEntryBytes(FileHandle file, std::uint32_t limit, std::vector<std::uint8_t>& out) = 0;
    // Owner and access list of an entry opened for its security.
    virtual long GetEntrySecurity(FileHandle file, EntrySecurity& security) = 0;
    // CreateDirectoryW with an owner of Administrators and a protected
    // access list (nothing inherited from above) granting Administrators and
    // SYSTEM full control, passed on to what is made inside, and no one
    // else anything. kErrorSuccess, kErrorAlreadyExists, or the error.
    virtual long CreateProtectedFolder(const std::string& path) = 0;
    // CreateFileW(CREATE_NEW) for writing, its attributes and DELETE, with
    // no sharing: fails with kErrorFileExists when anything has that name,
    // a link too. None on failure, `error` saying why.
    virtual FileHandle CreateNewFile(const std::string& path, long& error) = 0;
    // Writes all of `bytes` at the end of a file made by CreateNewFile and
    // flushes them to the disk (FlushFileBuffers). kErrorSuccess or the
    // error (kErrorDiskFull ...); what was written before a failure stays.
    virtual long WriteEntry(FileHandle file, const std::vector<std::uint8_t>& bytes) = 0;
    // Gives a file made by CreateNewFile its attributes and times.
    virtual long SetEntryBasics(FileHandle file, const FileBasics& basics) = 0;
    // GetFileInformationByHandle.
    virtual bool GetEntryInfo(FileHandle file, FileEntryInfo& info) = 0;
    virtual bool GetFinalPath(FileHandle file, FinalPath& path) = 0;
    // Where a path leads with every link followed (CreateFileW without
    // FILE_FLAG_OPEN_REPARSE_POINT, then the final path); false when it
    // leads nowhere.
    virtual bool GetLinkTarget(const std::string& path, FinalPath& target) = 0;
    // SetFileInformationByHandle(FileDispositionInfo): the file goes when
    // its last handle is closed. kErrorSuccess or the error.
    virtual long DeleteEntry(FileHandle file) = 0;
    virtual bool CloseEntry(FileHandle file) = 0;
    // The whole content of a file of at most `limit` bytes (CreateFileW for
    // reading, every sharing mode). kErrorSuccess, kErrorFileTooLarge for a
    // larger file (nothing read), or the error the open or read failed with.
    virtual long ReadFileBytes(const std::string& path, std::uint32_t limit, std::vector<std::uint8_t>& out) = 0;
};

// ---- Scheduled tasks -------------------------------------------------------------

// One node of an XML document, in document order: an element's start and
// end (its local name), or the value of a text or CDATA node.
struct XmlEvent {
    enum Kind { Start, End, Text };
    Kind kind = Start;
    int depth = 0;  // 0 for the root element
    std::string name;
    std::string text;
};

class ITasks {
public:
    virtual ~ITasks() = default;
    // The nodes of an XML document, read by the system's own reader
    // (XmlLite, loaded from System32), no DTD processed and the nesting
    // bounded. False with `error` saying why when the document is not
    // well-formed or cannot be read; the nodes before the fault stay.
    virtual bool ReadXml(const std::vector<std::uint8_t>& document, std::vector<XmlEvent>& events,
                         std::string& error) = 0;
    // Deletes the task `name` of the task folder `folder` ("\\" for the
    // root, "\\Sub" below it) through the Task Scheduler (ITaskService,
    // ITaskFolder::DeleteTask). The HRESULT.
    virtual long DeleteTask(const std::string& folder, const std::string& name) = 0;
    // Registers the task `name` in the task folder `folder` from its
    // definition (ITaskFolder::RegisterTask with TASK_CREATE, no user and no
    // password given: the definition's own principal and logon type): fails
    // when a task has that path. The HRESULT.
    virtual long RegisterTask(const std::string& folder, const std::string& name, const std::string& xml) = 0;
    // Enables or disables that task through the Task Scheduler
    // (ITaskFolder::GetTask, IRegisteredTask::put_Enabled), which writes the
    // change into the task's definition and its file. The HRESULT.
    virtual long SetTaskEnabled(const std::string& folder, const std::string& name, bool enabled) = 0;
};

// ---- Version resources --------------------------------------------------------

class IVersionResources {
public:
    virtual ~IVersionResources() = default;
    virtual std::uint32_t GetFileVersionInfoSize(const std::string& path) = 0;
    // GetFileVersionInfoSizeW / GetFileVersionInfoW. The block is read by
    // the program's own bounded reader (inspect/version_resource.h), never
    // by the system's query, which trusts the lengths inside the block.
    virtual bool GetFileVersionInfo(const std::string& path, std::uint32_t size, std::vector<std::uint8_t>& block) = 0;
};

// ---- Processes and other programs' windows -----------------------------------

struct ProcessInfo {
    ProcessHandle process;
    ThreadHandle thread;
    std::uint32_t processId = 0;
};

// What CreateProcessW is given to start a program, besides its handles.
struct ProcessStart {
    std::string commandLine;  // the program is its first word; no application name
    std::uint32_t creationFlags = 0;
    // lpCurrentDirectory: the folder the program starts in; empty: this
    // program's current folder.
    std::string directory{};
    // lpEnvironment, "NAME=value" each, handed over in UTF-16
    // (CREATE_UNICODE_ENVIRONMENT); none: a copy of this program's own.
    std::optional<std::vector<std::string>> environment{};
};

class IProcesses {
public:
    virtual ~IProcesses() = default;
    virtual bool CreateProcess(const ProcessStart& start, ProcessInfo& info) = 0;
    virtual std::uint32_t WaitForInputIdle(ProcessHandle process, std::uint32_t milliseconds) = 0;
    virtual std::uint32_t WaitForSingleObject(ProcessHandle process, std::uint32_t milliseconds) = 0;
    virtual bool GetExitCodeProcess(ProcessHandle process, std::uint32_t& code) = 0;
    virtual bool CloseHandle(ProcessHandle process) = 0;
    virtual bool CloseHandle(ThreadHandle thread) = 0;
    virtual WindowHandle FindWindow(const std::string* className, const std::string* title) = 0;
    virtual WindowHandle FindWindowEx(WindowHandle parent, WindowHandle after, const std::string* className,
                                      const std::string* title) = 0;
    virtual bool ShowWindow(WindowHandle window, int show) = 0;
    virtual bool SetForegroundWindow(WindowHandle window) = 0;
    virtual WindowHandle SetFocus(WindowHandle window) = 0;
    // SendMessageTimeoutW (SMTO_ABORTIFHUNG): false when the window did not
    // answer within `milliseconds`, is hung, or is gone. A WM_CHAR carries
    // one UTF-16 unit.
    virtual bool SendWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                   std::intptr_t lParam, std::uint32_t milliseconds) = 0;
    // The full path of the program whose process made `window`
    // (GetWindowThreadProcessId, then QueryFullProcessImageNameW); false when
    // it cannot be told.
    virtual bool GetWindowProgram(WindowHandle window, std::string& path) = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    virtual std::uint32_t GetLastError() = 0;  // of the last call above that failed
};

// ---- System information and the access token ----------------------------------

// A moment in the local time of the machine (SYSTEMTIME's parts).
struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

class ISystemInfo {
public:
    virtual ~ISystemInfo() = default;
    // GetComputerNameW with a buffer of `size` characters.
    virtual bool GetComputerName(std::uint32_t size, std::string& name) = 0;
    // GetUserNameW with a buffer of `size` characters; `sizeOut` counts the NUL.
    virtual bool GetUserName(std::uint32_t size, std::string& buffer, std::uint32_t& sizeOut) = 0;
    virtual int LocalYear() = 0;
    // The time now as a FILETIME: 100-nanosecond intervals since 1601, UTC.
    virtual std::uint64_t FileTimeNow() = 0;
    // A FILETIME in the machine's local time zone, with the daylight saving
    // rule of that date (SystemTimeToTzSpecificLocalTime); false when it
    // names no time the system can convert.
    virtual bool ToLocalTime(std::uint64_t fileTime, LocalTime& local) = 0;
    virtual std::string ModuleFileName() = 0;  // the running program's own path
    // The shared Windows directory (GetSystemWindowsDirectoryW: never the
    // per-user directory a terminal session may give GetWindowsDirectory).
    virtual bool GetWindowsDirectory(std::string& path) = 0;
    // System32 (GetSystemDirectoryW), by the name every program knows it by:
    // a 32-bit program on 64-bit Windows gets the same path, which the file
    // system then shows it as SysWOW64.
    virtual bool GetSystemDirectory(std::string& path) = 0;
    // The environment Windows gives a program that belongs to no user
    // (CreateEnvironmentBlock with no token, not inheriting this program's):
    // the machine's own variables, which only an administrator sets
    // (SystemRoot, windir, PATH, TEMP ...), "NAME=value" each in the
    // block's order. Nothing of the user's environment, nor of this
    // program's. False when the system cannot make one.
    virtual bool GetSystemEnvironment(std::vector<std::string>& variables) = 0;
    // Whether Windows is 64-bit: a 64-bit build, or a 32-bit one that
    // IsWow64Process finds running under WOW64. There HKLM\SOFTWARE has two
    // registry views and System32 two folders.
    virtual bool Is64BitWindows() = 0;
    // A 32-bit program on 64-bit Windows: the file system shows it SysWOW64
    // under the name System32, and the real System32 as Sysnative.
    virtual bool IsWow64Program() = 0;
    // Whether every search for a DLL by name, from the program's start on,
    // looks in System32 alone (SetDefaultDllDirectories took); never the
    // program's own folder.
    virtual bool DllSearchRestricted() = 0;
    // Whether the program runs under Wine (its ntdll exports
    // wine_get_version, which no Windows has). Wine keeps no security
    // descriptor of a file: it makes one up from the Unix mode, owned by the
    // one user every program of the prefix runs as.
    virtual bool IsWine() = 0;
    // `text` with its letters in lower case as the system's own rules have
    // them (CharLowerBuffW): A to Z as always, and every other alphabet's
    // capitals too (Cyrillic, Greek, accented Latin ...).
    virtual std::string LowerCase(const std::string& text) = 0;
};

struct Luid {
    std::uint32_t low = 0;
    std::int32_t high = 0;
};

class IToken {
public:
    virtual ~IToken() = default;
    virtual bool OpenProcessToken(std::uint32_t access, TokenHandle& token) = 0;
    virtual bool LookupPrivilegeValue(const std::string& name, Luid& luid) = 0;
    // AdjustTokenPrivileges with a set of one privilege; `bufferLength` is the
    // size of the previous-state buffer handed to the call.
    virtual bool AdjustTokenPrivileges(TokenHandle token, const Luid& luid, std::uint32_t attributes,
                                       std::uint32_t bufferLength) = 0;
    virtual bool CloseToken(TokenHandle token) = 0;
};

// ---- The user: message dialogs -------------------------------------------------

struct DialogRequest {
    DialogKind kind = DialogKind::Plain;
    std::string title;
    std::string text;
    bool defaultNo = false;  // a confirmation whose "&No" is the default button
};

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // Shows a modal message dialog and returns the button the user chose.
    // Error and Plain dialogs have one "OK" button; Confirmation "&Yes"/"&No".
    virtual DialogResult Show(const DialogRequest& request) = 0;
};

// ---- The whole machine ------------------------------------------------------------

struct Platform {
    IRegistry& registry;
    IServices& services;
    IShell& shell;
    IFiles& files;
    IVersionResources& versions;
    IProcesses& processes;
    ISystemInfo& system;
    IToken& token;
    IDialogs& dialogs;
    ITasks& tasks;
};

}  // namespace qm
