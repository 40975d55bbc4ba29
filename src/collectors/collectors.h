// The collectors: each appends the rows of one autostart location to its
// list and never empties it; the caller does that first.
#pragma once

namespace qm {

class TMainForm;

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

// Active Setup installed components with a command.
void ScanInstalledComponents(TMainForm& form);

}  // namespace qm
