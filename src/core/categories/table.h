// The autostart categories, one row per tab in tab order, with every fact of
// each: captions, columns, tab image, where its entries come from, how they
// are deleted, jumped to and inspected, and what showing the tab empties.
// A category of a kind the program knows is added here and nowhere else.
#pragma once
#include <array>
#include <iterator>

#include "core/categories/category.h"
#include "core/categories/cells.h"
#include "platform/constants.h"

namespace qm {

// The registry keys the program reads, below their roots, each spelled once
// in the letter case its rows, its Properties dialog and Jump To show.
// On 64-bit Windows the HKLM keys below SOFTWARE have a 32-bit view of their
// own, but for the policies keys, which the two views share (Microsoft's
// list of the keys WOW64 redirects and shares): the categories of those
// keys are marked `redirected`. The HKCU keys are shared.
namespace keys {
// The first design held it in two globals, HKCURunKeyPath and HKLMRunKeyPath.
inline constexpr const char* kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr const char* kRunOnceEx = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
inline constexpr const char* kShellServiceObjects =
    "Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
inline constexpr const char* kExplorerRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run";
inline constexpr const char* kInstalledComponents = "SOFTWARE\\Microsoft\\Active Setup\\Installed Components";
inline constexpr const char* kWinlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
// With a trailing backslash: the Load - Run rows have always shown it so.
inline constexpr const char* kWindows = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\";
inline constexpr const char* kDesktop = "Control Panel\\Desktop";
inline constexpr const char* kImageFileExecutionOptions =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options";
inline constexpr const char* kSilentProcessExit = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\SilentProcessExit";
inline constexpr const char* kWindowsNtWindows = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
inline constexpr const char* kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
inline constexpr const char* kLsa = "SYSTEM\\CurrentControlSet\\Control\\Lsa";
inline constexpr const char* kPrintMonitors = "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors";
}  // namespace keys

namespace columns {
using namespace cells;
// The registry lists: the value's name and command, its root, and, in two
// hidden columns, the full key name and the key path (the report has them).
constexpr std::array<Column, 5> Run(int locationWidth, bool keyColumns = true) {
    return {Column{"Key Name", 145, Name}, Column{"Target Value", 270, Command},
            Column{"Key Location", locationWidth, RootName}, Column{"", 0, keyColumns ? KeyName : Nothing},
            Column{"", 0, keyColumns ? KeyPath : Nothing}};
}
constexpr std::array<Column, 5> Startup(const char* name) {
    return {Column{name, 145, Name}, Column{"Target Value", 270, Command}, Column{"Location", 126, WindowsAutoRun},
            Column{"", 0, Folder}, Column{"", 0, Nothing}};
}
inline constexpr std::array<Column, 5> kRun126 = Run(126);
inline constexpr std::array<Column, 5> kRun128 = Run(128);
inline constexpr std::array<Column, 5> kRun129 = Run(129);
inline constexpr std::array<Column, 5> kRun128WithoutKey = Run(128, false);
inline constexpr std::array<Column, 5> kCommonStartup = Startup(" Name");
inline constexpr std::array<Column, 5> kUserStartup = Startup("Name");
inline constexpr Column kServices[] = {
    {"Service Name", 145, Name}, {"Description", 180, ServiceDisplayName}, {"Path", 300, Command}};
inline constexpr Column kComponents[] = {
    {"Name", 200, Name}, {"ComponentID", 110, ComponentId}, {"Path", 330, Command}};
inline constexpr Column kNamedValues[] = {{"Name", 200, Name}, {"Target Value", 340, Command}};
inline constexpr Column kAutoStartServices[] = {{"Service Name", 120, Name},
                                                {"Display Name", 160, ServiceDisplayName},
                                                {"Type", 100, ServiceType},
                                                {"Start", 70, ServiceStart},
                                                {"State", 70, cells::ServiceState},
                                                {"File", 260, Command},
                                                {"Command Line", 300, ServiceCommandLine}};
inline constexpr Column kScheduledTasks[] = {
    {"Task", 200, Name},          {"Actions", 280, TaskActions}, {"Triggers", 90, TaskTriggers},
    {"Enabled", 60, TaskEnabled}, {"File", 240, Command},        {"Task File", 330, TaskFile}};
inline constexpr Column kSystemHooks[] = {{"Entry", 170, Name},
                                          {"Kind", 200, HookKind},
                                          {"File", 240, Command},
                                          {"Key", 330, KeyName},
                                          {"Value", 130, ValueName}};
}  // namespace columns

// The tables below are laid out by hand, a category's facts read as one block.
// clang-format off

// Where the system itself starts programs and loads DLLs. The keys below
// SOFTWARE have a 32-bit view of their own, which 32-bit programs follow:
// an AppInit DLL or a SilentProcessExit monitor there applies to 32-bit
// programs. The Image File Execution Options are one key that both views
// share (on Windows 7 and later, and in Wine): read once, its debuggers
// are listed once.
namespace hooks {
using enum RegRoot;
inline constexpr HookPlace kPlaces[] = {
    {"Debugger", LocalMachine, keys::kImageFileExecutionOptions, "Debugger", true, false, HookFile::CommandLine, false},
    {"SilentProcessExit monitor", LocalMachine, keys::kSilentProcessExit, "MonitorProcess", true, false,
     HookFile::CommandLine, true},
    {"AppInit DLL", LocalMachine, keys::kWindowsNtWindows, "AppInit_DLLs", false, true, HookFile::SystemDll, true,
     "LoadAppInit_DLLs"},
    {"BootExecute", LocalMachine, keys::kSessionManager, "BootExecute", false, true, HookFile::BootProgram, false},
    {"LSA authentication package", LocalMachine, keys::kLsa, "Authentication Packages", false, true,
     HookFile::SystemDll, false},
    {"LSA notification package", LocalMachine, keys::kLsa, "Notification Packages", false, true, HookFile::SystemDll,
     false},
    {"LSA security package", LocalMachine, keys::kLsa, "Security Packages", false, true, HookFile::SystemDll, false},
    {"Print monitor", LocalMachine, keys::kPrintMonitors, "Driver", true, false, HookFile::SystemDll, false},
};
}  // namespace hooks
namespace named {
inline constexpr NamedValue kWinlogon[] = {
    {"Userinit", "Userinit"},   {"system", "system"},           {"Shell", "Shell"},
    {"UIHost", "UIHost"},       {"Taskman", "Taskman"},         {"LsaStart", "LsaStart"},
    {"SaveDumpStart", "SaveDumpStart"}, {"AppSetup", "AppSetup"}, {"ServiceControllerStart", "ServiceControllerStart"},
};
inline constexpr NamedValue kLoadRun[] = {{"run", "Run"}, {"Load", "Load"}};
inline constexpr NamedValue kScreenSaver[] = {{"Scrnsave.exe", "Scrnsave"}};
}  // namespace named

// Where Explorer keeps whether Windows starts the entries of the Run keys
// and the Startup folders (the machine's 32-bit Run view: Run32).
namespace approval {
inline constexpr StartupApprovalPlace kUserRun{RegRoot::CurrentUser, "Run"};
inline constexpr StartupApprovalPlace kMachineRun{RegRoot::LocalMachine, "Run", "Run32"};
inline constexpr StartupApprovalPlace kUserStartup{RegRoot::CurrentUser, "StartupFolder"};
inline constexpr StartupApprovalPlace kCommonStartup{RegRoot::LocalMachine, "StartupFolder"};
}  // namespace approval

inline constexpr PropertiesView kKeyProperties{"&Properties", false, ShownLocation::KeyName};
inline constexpr PropertiesView kKeyPropertiesDots{"&Properties...", false, ShownLocation::KeyName};

inline constexpr Category kCategories[] = {
    {.trace = "TabSheet2 hku HKURun DeleteItems1Click JumpTo1Click FileProperties1 hkuDblClick ScanHKCURun",
     .id = "hkcu-run", .designCaption = "HKCU / Run", .countPrefix = "HKCU / Run (", .tabImage = 10, .scanPosition = 0,
     .columns = columns::kRun126,
     .source = ValueList{.root = RegRoot::CurrentUser, .key = keys::kRun,
                         .keyName = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
     .imageListsAtStart = true, .imageListsPerRow = true, .group = kGroupLists, .showClears = kGroupLists,
     .removal = Removal::CaptionedValue, .canDisable = false, .jump = JumpTarget::RegistryKey,
     .properties = kKeyProperties, .approval = &approval::kUserRun},
    {.trace = "TabSheet1 LV hklmrun DeleteItems2Click JumpTo2Click Properties1 LVDblClick ScanHKLMRun",
     .id = "hklm-run", .designCaption = "HKLM / Run", .countPrefix = "HKLM / Run (", .tabImage = 10, .scanPosition = 1,
     .columns = columns::kRun129, .source = ValueList{.root = RegRoot::LocalMachine, .key = keys::kRun, .redirected = true},
     .imageListsAtStart = true, .imageListsPerRow = true, .group = kGroupLists, .showClears = kNoGroup,
     .removal = Removal::CaptionedValue, .canDisable = false, .jump = JumpTarget::RegistryKey,
     .properties = kKeyPropertiesDots, .approval = &approval::kMachineRun},
    // The two startup tabs are captioned for what they list: the all-users
    // folder (two users) and the current user's folder (a folder).
    {.trace = "TabSheet4 comon startupuser DeleteItems3Click JumpTo3Click Properties2 comonDblClick ScanCommonStartup",
     .id = "startup-common", .designCaption = "Startup (comon)", .countPrefix = "Startup (common) - (", .tabImage = 3,
     .scanPosition = 2, .columns = columns::kCommonStartup,
     .source = StartupFolder{.csidl = kCsidlCommonStartup},
     .imageListsAtStart = true, .imageListsPerRow = false, .group = kGroupLists, .showClears = kGroupLists,
     .removal = Removal::File, .canDisable = false, .jump = JumpTarget::Folder,
     .properties = {"&Properties...", false, ShownLocation::Folder}, .approval = &approval::kCommonStartup},
    {.trace = "TabSheet5 User PopupMenu1 DeleteItems4Click JumpTo4Click Properties3 UserDblClick ScanUserStartup",
     .id = "startup-user", .designCaption = "Startup (User)", .countPrefix = "Startup (user) - (", .tabImage = 1,
     .scanPosition = 3, .columns = columns::kUserStartup,
     .source = StartupFolder{.csidl = kCsidlStartup},
     .imageListsAtStart = true, .imageListsPerRow = false, .group = kGroupLists, .showClears = kGroupLists,
     .removal = Removal::File, .canDisable = false, .jump = JumpTarget::Folder,
     .properties = {"&Properties", false, ShownLocation::Folder}, .approval = &approval::kUserStartup},
    {.trace = "TabSheet3 runonce hkurunonce DeleteItems5Click JumpTo5Click Properties4 runonceDblClick ScanHKCURunOnce",
     .id = "hkcu-runonce", .designCaption = "HKCU / Run Once", .countPrefix = "HKCU / Run Once (", .tabImage = 10,
     .scanPosition = 4, .columns = columns::kRun126,
     .source = ValueList{.root = RegRoot::CurrentUser, .key = keys::kRunOnce},
     .imageListsAtStart = true, .imageListsPerRow = true, .group = kGroupLists, .showClears = kGroupLists,
     .removal = Removal::CaptionedValue, .canDisable = false, .jump = JumpTarget::RegistryKey,
     .properties = kKeyProperties},
    {.trace = "TabSheet8 hklmrunonce hklmrunces DeleteItems6Click JumpTo6Click Properties5 hklmrunonceDblClick "
              "ScanHKLMRunOnce",
     .id = "hklm-runonce", .designCaption = "HKLM / Run Once", .countPrefix = "HKLM / Run Once (", .tabImage = 10,
     .scanPosition = 5, .columns = columns::kRun126,
     .source = ValueList{.root = RegRoot::LocalMachine, .key = keys::kRunOnce, .redirected = true},
     .imageListsAtStart = true, .imageListsPerRow = true, .group = kGroupLists, .showClears = kGroupLists,
     .removal = Removal::CaptionedValue, .canDisable = false, .jump = JumpTarget::RegistryKey,
     .properties = kKeyPropertiesDots},
    {.trace = "TabSheet7 shellobject shellob DeleteItems7Click JumpTo7Click Properties6 shellobjectDblClick "
              "ScanHKLMShellObjects",
     .id = "hklm-shell-service-objects", .designCaption = "HKLM / ShellObject", .countPrefix = "HKLM / ShellObject (",
     .tabImage = 10, .scanPosition = 6, .columns = columns::kRun128,
     .source = ValueList{.root = RegRoot::LocalMachine, .key = keys::kShellServiceObjects, .iconName = ".dll",
                         .redirected = true},
     .imageListsAtStart = true, .imageListsPerRow = false, .group = kGroupLists, .showClears = kGroupLists,
     .removal = Removal::CaptionedValue, .canDisable = false, .jump = JumpTarget::RegistryKey,
     .properties = kKeyPropertiesDots},
    {.trace = "TabSheet9 runoncex PopupMenu2 DeleteItems8Click JumpTo8Click Properties7 runoncexDblClick "
              "ScanHKLMRunOnceEx",
     .id = "hklm-runonceex", .designCaption = "HKLM / Run OnceEx", .countPrefix = "HKLM / Run OnceEx (", .tabImage = 10,
     .scanPosition = 7, .columns = columns::kRun126,
     .source = ValueList{.root = RegRoot::LocalMachine, .key = keys::kRunOnceEx, .redirected = true},
     .imageListsAtStart = true, .imageListsPerRow = true, .group = kGroupLists, .showClears = kGroupLists,
     .removal = Removal::CaptionedValue, .canDisable = false, .jump = JumpTarget::RegistryKey,
     .properties = kKeyProperties},
    {.trace = "TabSheet10 InstCompo PopupMenu3 DeleteItems9Click DisableItems1Click Timer1Timer JumpTo9Click "
              "Properties8 InstCompoDblClick ScanServices",
     .id = "services-running", .designCaption = "Startup (services)", .countPrefix = "Startup (services) - (",
     .tabImage = 16, .scanPosition = 8, .columns = columns::kServices, .source = RunningServices{},
     .imageListsAtStart = true, .imageListsPerRow = false, .group = kNoGroup, .showClears = kNoGroup,
     .removal = Removal::Service, .canDisable = true, .jump = JumpTarget::ProgramFolder,
     .properties = {"&Properties", false, ShownLocation::Description}},
    {.trace = "TabSheet6 actx actxmenu DeleteItems10Click JumpTo10Click Properties9 actxDblClick "
              "ScanInstalledComponents actxAdvancedCustomDrawSubItem",
     .id = "components", .designCaption = "ActiveX", .countPrefix = "ActiveX (", .tabImage = 10, .scanPosition = 9,
     .columns = columns::kComponents,
     .source = InstalledComponents{.root = RegRoot::LocalMachine, .key = keys::kInstalledComponents,
                                   .redirected = true},
     .imageListsAtStart = false, .imageListsPerRow = true, .group = kComponentsAndWinlogon,
     .showClears = kGroupLists | kComponentsAndWinlogon, .removal = Removal::LocatedValue, .canDisable = false,
     .jump = JumpTarget::RegistryKey, .properties = {"&Properties", false, ShownLocation::KeyName}},
    {.trace = "TabSheet11 logs winlGNS DeleteItems11Click JumpTo11Click Properties10 logsDblClick "
              "ScanWinlogonUserinit ScanWinlogonSystem ScanWinlogonShell ScanWinlogonUIHost ScanWinlogonTaskman "
              "ScanWinlogonLsaStart ScanWinlogonSaveDumpStart ScanWinlogonAppSetup "
              "ScanWinlogonServiceControllerStart logsAdvancedCustomDrawSubItem",
     .id = "winlogon", .designCaption = "WinLogon", .countPrefix = "WinLogon (", .tabImage = 19, .scanPosition = 10,
     .columns = columns::kNamedValues,
     .source = NamedValues{.root = RegRoot::LocalMachine, .key = keys::kWinlogon, .values = named::kWinlogon,
                           .targetMarker = ".exe", .redirected = true},
     .imageListsAtStart = false, .imageListsPerRow = true, .group = kComponentsAndWinlogon,
     .showClears = kGroupLists | kComponentsAndWinlogon, .removal = Removal::CaptionedValue, .canDisable = false,
     .jump = JumpTarget::RegistryKey, .properties = {"&Properties", true, ShownLocation::KeyName}},
    {.trace = "TabSheet12 lorun loruns DeleteItems12Click JumpTo12Click Properties11 lorunDblClick ScanWindowsRun "
              "ScanWindowsLoad logsAdvancedCustomDrawSubItem",
     .id = "load-run", .designCaption = "Load - Run", .countPrefix = "Load - Run (", .tabImage = 10,
     .scanPosition = 11, .columns = columns::kNamedValues,
     .source = NamedValues{.root = RegRoot::CurrentUser, .key = keys::kWindows, .values = named::kLoadRun,
                           .targetMarker = ".exe"},
     .imageListsAtStart = false, .imageListsPerRow = true, .group = kNoGroup, .showClears = kNoGroup,
     .removal = Removal::CaptionedValue, .canDisable = false, .jump = JumpTarget::RegistryKey,
     .properties = {"&Properties", true, ShownLocation::KeyName}},
    // The start-up scan reads the two Explorer-Run tabs the other way round.
    {.trace = "TabSheet13 explomac explom DeleteItems13Click JumpTo13Click Properties13 explomacDblClick "
              "ScanHKLMExplorerRun",
     .id = "hklm-explorer-run", .designCaption = "HKLM / Explorer-Run", .countPrefix = "HKLM / Explorer-Run (",
     .tabImage = 10, .scanPosition = 13, .columns = columns::kRun128WithoutKey,
     .source = ValueList{.root = RegRoot::LocalMachine, .key = keys::kExplorerRun},
     .imageListsAtStart = false, .imageListsPerRow = true, .group = kNoGroup, .showClears = kNoGroup,
     .removal = Removal::CaptionedValue, .canDisable = false, .jump = JumpTarget::RegistryKey,
     .properties = kKeyProperties},
    {.trace = "TabSheet14 explou userexplorer DeleteItems14Click JumpTo14Click Properties12 explouDblClick "
              "ScanHKCUExplorerRun",
     .id = "hkcu-explorer-run", .designCaption = "HKCU / Explorer-Run", .countPrefix = "HKCU / Explorer-Run (",
     .tabImage = 10, .scanPosition = 12, .columns = columns::kRun126,
     .source = ValueList{.root = RegRoot::CurrentUser, .key = keys::kExplorerRun},
     .imageListsAtStart = false, .imageListsPerRow = true, .group = kNoGroup, .showClears = kNoGroup,
     .removal = Removal::CaptionedValue, .canDisable = false, .jump = JumpTarget::RegistryKey,
     .properties = kKeyProperties},
    {.trace = "TabSheet15 desktop PopupMenu4 DeleteItems15Click JumpTo15Click Properties14 desktopDblClick "
              "ScanScreenSaver logsAdvancedCustomDrawSubItem",
     .id = "screensaver", .designCaption = "HKCU / Deskstop", .countPrefix = "HKCU / Desktop (", .tabImage = 10,
     .scanPosition = 14, .columns = columns::kNamedValues,
     .source = NamedValues{.root = RegRoot::CurrentUser, .key = keys::kDesktop, .values = named::kScreenSaver,
                           .targetMarker = ".scr"},
     .imageListsAtStart = false, .imageListsPerRow = true, .group = kNoGroup, .showClears = kNoGroup,
     .removal = Removal::LocatedValue, .canDisable = false, .jump = JumpTarget::RegistryKey,
     .properties = kKeyProperties},
    // Every scheduled task with the programs it runs and what starts it.
    {.trace = "ScanScheduledTasks",
     .id = "tasks", .designCaption = "Scheduled Tasks", .countPrefix = "Scheduled Tasks (", .tabImage = 3,
     .scanPosition = 15, .columns = columns::kScheduledTasks,
     .source = ScheduledTasks{},
     .imageListsAtStart = true, .imageListsPerRow = false, .group = kNoGroup, .showClears = kNoGroup,
     .removal = Removal::Task, .canDisable = false, .jump = JumpTarget::Folder,
     .properties = {"&Properties", false, ShownLocation::Folder},
     .commandIsFile = true},
    // The places where the system itself starts a program or loads a DLL,
    // one row per entry of each.
    {.trace = "ScanSystemHooks",
     .id = "system-hooks", .designCaption = "System Hooks", .countPrefix = "System Hooks (", .tabImage = 10,
     .scanPosition = 16, .columns = columns::kSystemHooks,
     .source = SystemHooks{hooks::kPlaces},
     .imageListsAtStart = true, .imageListsPerRow = false, .group = kNoGroup, .showClears = kNoGroup,
     .removal = Removal::ListItem, .canDisable = false, .jump = JumpTarget::RegistryKey,
     .properties = kKeyProperties, .commandIsFile = true},
    // Every service and driver that starts by itself, running or not; its
    // rows name the file each one loads, resolved from the form the system
    // keeps it in.
    {.trace = "ScanAutoStartServices",
     .id = "services-drivers", .designCaption = "Services and Drivers", .countPrefix = "Services and Drivers (",
     .tabImage = 16, .scanPosition = 17, .columns = columns::kAutoStartServices,
     .source = AutoStartServices{},
     .imageListsAtStart = true, .imageListsPerRow = false, .group = kNoGroup, .showClears = kNoGroup,
     .removal = Removal::Service, .canDisable = true, .disableAsks = true, .jump = JumpTarget::ProgramFolder,
     .properties = {"&Properties", false, ShownLocation::Description},
     .commandIsFile = true},
};

// clang-format on

inline constexpr int kCategoryCount = static_cast<int>(std::size(kCategories));

// The table's rules that the compiler can check: the scan reads every tab once.
consteval bool ScanPositionsArePermutation(std::span<const Category> categories) {
    for (size_t position = 0; position < categories.size(); ++position) {
        int found = 0;
        for (const Category& c : categories) found += c.scanPosition == static_cast<int>(position);
        if (found != 1) return false;
    }
    return true;
}
static_assert(ScanPositionsArePermutation(kCategories));

}  // namespace qm
