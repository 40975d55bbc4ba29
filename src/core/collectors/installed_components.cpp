// Active Setup installed components that carry a logon command.
#include "core/categories/row_marks.h"
#include "core/collectors/collector.h"
#include "core/model/text.h"
#include "core/registry.h"

namespace qm {

namespace {

constexpr std::uint32_t kListAccess = kKeyQueryValue | kKeyEnumerateSubKeys;

// A row for a key that exists but refuses reading; `name` is the component's
// key, empty for the components key itself.
void RefusedRow(const InstalledComponents& source, RegView view, const std::string& name, const std::string& refusal,
                ScanContext& context, RowReader& rows) {
    Entry& row = rows.Start();
    row.where = RegistryLocation{.root = source.root, .view = view, .key = source.key, .subKey = name, .refused = true};
    row.name = KeyNameOf(source, std::get<RegistryLocation>(row.where));
    row.command = refusal;
    row.problem = refusal;
    rows.Finish(context, IconSource{});
}

void ScanInstalledComponentsView(const InstalledComponents& source, RegView view, ScanContext& context,
                                 RowReader& rows) {
    Registry reg(context.platform.registry);
    const std::string componentsKey = std::string(source.key) + "\\";
    std::vector<std::string> names;
    reg.SetView(view);
    reg.SetRootKey(RootKeyOf(source.root));
    if (reg.OpenKey(componentsKey, false, kListAccess)) {
        reg.GetKeyNames(names);
    } else if (const std::string refusal = RefusalText(reg.LastOpenError()); !refusal.empty()) {
        RefusedRow(source, view, "", refusal, context, rows);
    }
    reg.CloseKey();
    for (const std::string& name : names) {
        reg.SetRootKey(RootKeyOf(source.root));
        // Each component key is opened below the components key, never by
        // its full path: with a name of 255 characters (the most a key name
        // may have) that path is longer than Wine's RegOpenKeyExA takes. A
        // key that is not there (any more) reads as empty: no command, no
        // row; one that refuses reading is a row saying so.
        if (!reg.OpenKey(componentsKey, false, kListAccess)) {
            reg.CloseKey();
            continue;
        }
        if (!reg.OpenKey(name, false)) {
            const std::string refusal = RefusalText(reg.LastOpenError());
            reg.CloseKey();
            if (!refusal.empty()) RefusedRow(source, view, name, refusal, context, rows);
            continue;
        }
        if (reg.ReadString("StubPath").empty()) {
            reg.CloseKey();
            continue;
        }
        Entry& row = rows.Start();
        row.where =
            RegistryLocation{.root = source.root, .view = view, .key = source.key, .subKey = name, .value = "StubPath"};
        row.name = reg.ReadString("");
        row.componentId = reg.ReadString("ComponentID");
        ValueText command = reg.ReadValueText("StubPath");
        row.command = std::move(command.text);
        row.valueType = command.nonTextType;
        if (row.componentId.empty()) row.componentId = kSuspectMalware;
        if (BeginsWithMark(row.componentId, kSuspectMalware)) row.mark = Mark::SuspectMalware;
        if (row.name.empty() || row.name == "Active Directory Service Interface") row.name = "n/a";
        const std::string target = ExtractTargetPath(context.platform.system, reg.ReadString("StubPath"), ".exe");
        rows.Finish(context, IconSource{target, true, true});
        reg.CloseKey();
    }
}

}  // namespace

void ScanInstalledComponents(const InstalledComponents& source, ScanContext& context, RowReader& rows) {
    for (RegView view : ViewsOf(context.platform, source.root, source.redirected))
        ScanInstalledComponentsView(source, view, context, rows);
}

}  // namespace qm
