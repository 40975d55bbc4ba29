// Active Setup installed components that carry a logon command.
#include "collectors/collectors.h"
#include "startups.h"

namespace qm {

namespace {
constexpr const char* kComponentsKey = "SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\";
}

void actxAdvancedCustomDrawSubItem(const TEntryRow& item, std::uint32_t& fontColour) {
    if (item.SubItems.Count() > 0 && StartsWithNoCase(TrimControl(item.SubItems[0]), "Suspect Malware"))
        fontColour = 255;  // red
}

void ScanInstalledComponents(TMainForm& form) {
    Platform& platform = form.platform;
    TRegistry reg(platform.registry);
    std::vector<std::string> names;
    reg.SetRootKey(kHkeyLocalMachine);
    if (reg.OpenKey(kComponentsKey, false)) reg.GetKeyNames(names);
    reg.CloseKey();
    for (const std::string& name : names) {
        reg.SetRootKey(kHkeyLocalMachine);
        // Each component key is opened below the components key, never by
        // its full path: with a name of 255 characters (the most a key name
        // may have) that path is longer than Wine's RegOpenKeyExA takes. A
        // key that cannot be opened reads as empty: no command, no row.
        if (!reg.OpenKey(kComponentsKey, false) || !reg.OpenKey(name, false) || reg.ReadString("StubPath").empty()) {
            reg.CloseKey();
            continue;
        }
        TEntryRow& row = form.actx.Add();
        row.Caption = reg.ReadString("");
        row.SubItems.Add(reg.ReadString("ComponentID"));
        row.SubItems.Add(reg.ReadString("StubPath"));
        row.SubItems.Add(name);
        if (row.SubItems[0].empty()) row.SubItems[0] = "Suspect Malware";
        if (row.Caption.empty() || row.Caption == "Active Directory Service Interface") row.Caption = "n/a";
        const std::string target = ExtractTargetPath(reg.ReadString("StubPath"), ".exe");
        row.ImageIndex = GetSysIconIndex(platform, target);
        if (row.ImageIndex == GetSysIconIndex(platform, "0")) row.ImageIndex = GetSysIconIndex(platform, ".exe");
        row.StateIndex = 3;
        AttachSystemImageLists(platform, form.actx);
        reg.CloseKey();
    }
}

}  // namespace qm
