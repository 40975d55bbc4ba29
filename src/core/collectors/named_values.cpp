// Single, fixed registry values: one row per place, whether it holds a value or not.
#include <array>

#include "core/collectors/collector.h"
#include "core/forms/main_form.h"

namespace qm {

namespace {

struct TNamedValueSource {
    Handle RootKey;
    const char* KeyPath;
    const char* ValueName;
    const char* Caption;
    TListView TMainForm::*List;
    const char* TargetMarker;
};

constexpr const char* kWinlogon = "\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\";
constexpr const char* kWindows = "\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\";

enum Source { Userinit, System, Shell, UIHost, Taskman, LsaStart, SaveDumpStart, AppSetup,
              ServiceControllerStart, WindowsRun, WindowsLoad, ScreenSaver };

const std::array<TNamedValueSource, 12> kSources{{
    {kHkeyLocalMachine, kWinlogon, "Userinit", "Userinit", &TMainForm::logs, ".exe"},
    {kHkeyLocalMachine, kWinlogon, "system", "system", &TMainForm::logs, ".exe"},
    {kHkeyLocalMachine, kWinlogon, "Shell", "Shell", &TMainForm::logs, ".exe"},
    {kHkeyLocalMachine, kWinlogon, "UIHost", "UIHost", &TMainForm::logs, ".exe"},
    {kHkeyLocalMachine, kWinlogon, "Taskman", "Taskman", &TMainForm::logs, ".exe"},
    {kHkeyLocalMachine, kWinlogon, "LsaStart", "LsaStart", &TMainForm::logs, ".exe"},
    {kHkeyLocalMachine, kWinlogon, "SaveDumpStart", "SaveDumpStart", &TMainForm::logs, ".exe"},
    {kHkeyLocalMachine, kWinlogon, "AppSetup", "AppSetup", &TMainForm::logs, ".exe"},
    {kHkeyLocalMachine, kWinlogon, "ServiceControllerStart", "ServiceControllerStart", &TMainForm::logs, ".exe"},
    {kHkeyCurrentUser, kWindows, "run", "Run", &TMainForm::lorun, ".exe"},
    {kHkeyCurrentUser, kWindows, "Load", "Load", &TMainForm::lorun, ".exe"},
    {kHkeyCurrentUser, "\\Control Panel\\Desktop\\", "Scrnsave.exe", "Scrnsave", &TMainForm::desktop, ".scr"},
}};

void ScanNamedValue(TMainForm& form, const TNamedValueSource& source) {
    TRegistry reg(form.platform.registry);
    TListView& list = form.*source.List;
    reg.SetRootKey(source.RootKey);
    reg.OpenKey(source.KeyPath, false);  // a key that cannot be opened reads as empty
    TEntryRow& row = list.Add();
    row.Caption = source.Caption;
    row.SubItems.Add(reg.ReadString(source.ValueName));
    if (row.SubItems[0].empty()) row.SubItems[0] = "No Autorun Entry";
    // Commas go before the cut, so "userinit.exe," names userinit.exe.
    const std::string target =
        ExtractTargetPath(ReplaceAll(reg.ReadString(source.ValueName), ",", ""), source.TargetMarker);
    row.ImageIndex = GetSysIconIndex(form.platform, target);
    if (row.ImageIndex == GetSysIconIndex(form.platform, "0")) row.ImageIndex = GetSysIconIndex(form.platform, ".exe");
    row.StateIndex = 3;
    AttachSystemImageLists(form.platform, list);
    reg.CloseKey();
}

}  // namespace

void logsAdvancedCustomDrawSubItem(const TEntryRow& item, std::uint32_t& fontColour) {
    // A row whose read failed has no command and keeps the list's colour.
    if (item.SubItems.Count() > 0 && StartsWithNoCase(TrimControl(item.SubItems[0]), "No Autorun Entry"))
        fontColour = 12632256;  // silver
}

void ScanWinlogonUserinit(TMainForm& form) { ScanNamedValue(form, kSources[Userinit]); }
void ScanWinlogonSystem(TMainForm& form) { ScanNamedValue(form, kSources[System]); }
void ScanWinlogonShell(TMainForm& form) { ScanNamedValue(form, kSources[Shell]); }
void ScanWinlogonUIHost(TMainForm& form) { ScanNamedValue(form, kSources[UIHost]); }
void ScanWinlogonTaskman(TMainForm& form) { ScanNamedValue(form, kSources[Taskman]); }
void ScanWinlogonLsaStart(TMainForm& form) { ScanNamedValue(form, kSources[LsaStart]); }
void ScanWinlogonSaveDumpStart(TMainForm& form) { ScanNamedValue(form, kSources[SaveDumpStart]); }
void ScanWinlogonAppSetup(TMainForm& form) { ScanNamedValue(form, kSources[AppSetup]); }
void ScanWinlogonServiceControllerStart(TMainForm& form) { ScanNamedValue(form, kSources[ServiceControllerStart]); }
void ScanWindowsRun(TMainForm& form) { ScanNamedValue(form, kSources[WindowsRun]); }
void ScanWindowsLoad(TMainForm& form) { ScanNamedValue(form, kSources[WindowsLoad]); }
void ScanScreenSaver(TMainForm& form) { ScanNamedValue(form, kSources[ScreenSaver]); }

}  // namespace qm
