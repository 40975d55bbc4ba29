// Registry keys whose every value is an autostart entry.
#include <array>

#include "core/collectors/collector.h"
#include "core/forms/main_form.h"

namespace qm {

namespace {

struct TValueListSource {
    Handle RootKey;
    const char* SubKey;  // opened below the root; also each row's SubItems[3]
    std::string TMainForm::*SubKeyGlobal;  // when set, the path comes from this global instead
    TListView TMainForm::*List;
    const char* RootName;
    const char* FullKeyName;  // null: the rows carry neither SubItems[2] nor [3]
    const char* IconName;     // empty: the icon of each row's target path
    bool AttachPerRow;
};

constexpr const char* kHKCU = "HKEY_CURRENT_USER";
constexpr const char* kHKLM = "HKEY_LOCAL_MACHINE";

enum Source { HKCURun, HKLMRun, HKCURunOnce, HKLMRunOnce, HKLMShellObjects, HKLMRunOnceEx, HKLMExplorerRun, HKCUExplorerRun };

const std::array<TValueListSource, 8> kSources{{
    {kHkeyCurrentUser, nullptr, &TMainForm::HKCURunKeyPath, &TMainForm::hku, kHKCU,
     "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "", true},
    {kHkeyLocalMachine, nullptr, &TMainForm::HKLMRunKeyPath, &TMainForm::LV, kHKLM,
     "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "", true},
    {kHkeyCurrentUser, "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", nullptr, &TMainForm::runonce, kHKCU,
     "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "", true},
    {kHkeyLocalMachine, "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", nullptr, &TMainForm::hklmrunonce,
     kHKLM, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "", true},
    {kHkeyLocalMachine, "\\Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad", nullptr,
     &TMainForm::shellobject, kHKLM,
     "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad", ".dll", false},
    {kHkeyLocalMachine, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx", nullptr, &TMainForm::runoncex,
     kHKLM, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx", "", true},
    {kHkeyLocalMachine, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run", nullptr,
     &TMainForm::explomac, kHKLM, nullptr, "", true},
    {kHkeyCurrentUser, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run", nullptr,
     &TMainForm::explou, kHKCU, "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run",
     "", true},
}};

void ScanValueList(TMainForm& form, const TValueListSource& source) {
    TRegistry& reg = *form.SharedRegistry;
    TListView& list = form.*source.List;
    const std::string subKey = source.SubKeyGlobal ? form.*source.SubKeyGlobal : std::string(source.SubKey);
    std::vector<std::string> names;
    reg.SetRootKey(source.RootKey);
    if (!reg.OpenKey(subKey, false)) return;
    reg.GetValueNames(names);
    // A failure leaves the key open; the next user of the accessor closes it.
    for (const std::string& name : names) {
        TEntryRow& row = list.Add();
        row.Caption = name;
        row.SubItems.Add(reg.ReadString(name));
        row.SubItems.Add(source.RootName);
        if (source.FullKeyName) {
            row.SubItems.Add(source.FullKeyName);
            row.SubItems.Add(subKey);
        }
        // The value is read a second time for its target, as it always was.
        row.ImageIndex = *source.IconName ? GetSysIconIndex(form.platform, source.IconName)
                                          : GetSysIconIndex(form.platform, ExtractTargetPath(reg.ReadString(name), ".exe"));
        if (source.AttachPerRow) AttachSystemImageLists(form.platform, list);
        row.StateIndex = 3;
        form.UpdateCountCaption(list);
    }
    reg.CloseKey();
}

}  // namespace

void ScanHKCURun(TMainForm& form) { ScanValueList(form, kSources[HKCURun]); }
void ScanHKLMRun(TMainForm& form) { ScanValueList(form, kSources[HKLMRun]); }
void ScanHKCURunOnce(TMainForm& form) { ScanValueList(form, kSources[HKCURunOnce]); }
void ScanHKLMRunOnce(TMainForm& form) { ScanValueList(form, kSources[HKLMRunOnce]); }
void ScanHKLMShellObjects(TMainForm& form) { ScanValueList(form, kSources[HKLMShellObjects]); }
void ScanHKLMRunOnceEx(TMainForm& form) { ScanValueList(form, kSources[HKLMRunOnceEx]); }
void ScanHKLMExplorerRun(TMainForm& form) { ScanValueList(form, kSources[HKLMExplorerRun]); }
void ScanHKCUExplorerRun(TMainForm& form) { ScanValueList(form, kSources[HKCUExplorerRun]); }

}  // namespace qm
