// The collectors: each appends the rows of one autostart location to its
// list and never empties it; the caller does that first.
#pragma once

#include <cstdint>
#include <string>

namespace qm {

class TMainForm;
class TListView;
struct TEntryRow;
struct Platform;

// Registry keys whose every value is an entry.
void ScanHKCURun(TMainForm& form);
void ScanHKLMRun(TMainForm& form);
void ScanHKCURunOnce(TMainForm& form);
void ScanHKLMRunOnce(TMainForm& form);
void ScanHKLMShellObjects(TMainForm& form);
void ScanHKLMRunOnceEx(TMainForm& form);
void ScanHKLMExplorerRun(TMainForm& form);
void ScanHKCUExplorerRun(TMainForm& form);

// Single named values: one row each, whether the value exists or not.
void ScanWinlogonUserinit(TMainForm& form);
void ScanWinlogonSystem(TMainForm& form);
void ScanWinlogonShell(TMainForm& form);
void ScanWinlogonUIHost(TMainForm& form);
void ScanWinlogonTaskman(TMainForm& form);
void ScanWinlogonLsaStart(TMainForm& form);
void ScanWinlogonSaveDumpStart(TMainForm& form);
void ScanWinlogonAppSetup(TMainForm& form);
void ScanWinlogonServiceControllerStart(TMainForm& form);
void ScanWindowsRun(TMainForm& form);
void ScanWindowsLoad(TMainForm& form);
void ScanScreenSaver(TMainForm& form);
// Places without a value ("No Autorun Entry") are drawn in silver.
void logsAdvancedCustomDrawSubItem(const TEntryRow& item, std::uint32_t& fontColour);

// Active Setup installed components with a command.
void ScanInstalledComponents(TMainForm& form);
// Components without an identifier ("Suspect Malware") are drawn in red.
void actxAdvancedCustomDrawSubItem(const TEntryRow& item, std::uint32_t& fontColour);

// The running services of their own process, into `InstCompo`.
void ScanServices(TMainForm& form);
// A service's configured command line, or "-" for a null handle or a
// configuration that cannot be read.
std::string GetServiceBinaryPath(Platform& platform, std::uintptr_t service);

// The startup folders: all users' (CSIDL 24) into `comon`, the current
// user's (CSIDL 7) into `User`.
void ScanCommonStartup(TMainForm& form);
void ScanUserStartup(TMainForm& form);
// Appends a row for each file (not folder) of `folder` matching the wildcard `mask`.
void ScanStartupFolder(TMainForm& form, TListView& list, const std::string& folder, const std::string& mask);
// The path of a shell special folder; empty when the shell cannot give it.
std::string GetSpecialFolderPath(Platform& platform, int csidl);
// The target stored in a shortcut file; empty for any other file. Raises the
// COM error when the shell link object cannot be created.
std::string ResolveShortcut(Platform& platform, const std::string& path);

}  // namespace qm
