// The collectors: each appends the rows of one autostart location to its
// list and never empties it; the caller does that first.
#pragma once

#include <cstdint>

namespace qm {

class TMainForm;
struct TEntryRow;

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

}  // namespace qm
