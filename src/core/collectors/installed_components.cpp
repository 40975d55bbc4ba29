// Active Setup installed components that carry a logon command.
#include "core/collectors/collector.h"
#include "core/model/text.h"
#include "core/registry.h"

namespace qm {

namespace {

void ScanInstalledComponentsView(const InstalledComponents& source, RegView view, ScanContext& context,
                                 RowReader& rows) {
    TRegistry reg(context.platform.registry);
    reg.SetView(view);
    const std::string componentsKey = std::string(source.key) + "\\";
    std::vector<std::string> names;
    reg.SetRootKey(RootKeyOf(source.root));
    if (reg.OpenKey(componentsKey, false)) reg.GetKeyNames(names);
    reg.CloseKey();
    for (const std::string& name : names) {
        reg.SetRootKey(RootKeyOf(source.root));
        // Each component key is opened below the components key, never by
        // its full path: with a name of 255 characters (the most a key name
        // may have) that path is longer than Wine's RegOpenKeyExA takes. A
        // key that cannot be opened reads as empty: no command, no row.
        if (!reg.OpenKey(componentsKey, false) || !reg.OpenKey(name, false) || reg.ReadString("StubPath").empty()) {
            reg.CloseKey();
            continue;
        }
        TEntryRow& row = rows.Start();
        row.Where = RegistryLocation{
            .root = source.root, .view = view, .key = source.key, .subKey = name, .value = "StubPath"};
        row.Caption = reg.ReadString("");
        row.SubItems.Add(reg.ReadString("ComponentID"));
        row.SubItems.Add(reg.ReadString("StubPath"));
        row.SubItems.Add(name);
        if (row.SubItems[0].empty()) row.SubItems[0] = "Suspect Malware";
        if (row.Caption.empty() || row.Caption == "Active Directory Service Interface") row.Caption = "n/a";
        const std::string target = ExtractTargetPath(reg.ReadString("StubPath"), ".exe");
        row.StateIndex = 3;
        rows.Finish(context, IconSource{target, true});
        reg.CloseKey();
    }
}

}  // namespace

void ScanInstalledComponents(const InstalledComponents& source, ScanContext& context, RowReader& rows) {
    for (RegView view : ViewsOf(context.platform, source.root, source.redirected))
        ScanInstalledComponentsView(source, view, context, rows);
}

}  // namespace qm
