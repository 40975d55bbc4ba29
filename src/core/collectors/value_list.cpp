// Registry keys whose every value is an autostart entry.
#include <functional>

#include "core/collectors/collector.h"
#include "core/model/text.h"
#include "core/registry.h"

namespace qm {

namespace {

void ScanValueListView(const ValueList& source, RegView view, ScanContext& context, RowReader& rows) {
    Registry& reg = context.sharedRegistry;
    const RegistryLocation at{.root = source.root, .view = view, .key = source.key};
    // The key as the rows show it: where it really is in its view.
    const std::string subKey = "\\" + RealKeyPath(at);
    std::vector<std::string> names;
    reg.SetRootKey(RootKeyOf(source.root));
    reg.SetView(view);
    const bool opened = reg.OpenKey("\\" + std::string(source.key), false);
    reg.SetView(RegView::Default);
    if (!opened) {
        // A key that exists but refuses reading may hold anything: it is a
        // row of its own, never an empty list.
        const std::string refusal = RefusalText(reg.LastOpenError());
        if (refusal.empty()) return;
        Entry& row = rows.Start();
        row.name = std::string(RootKeyName(source.root)) + subKey;
        row.where = RegistryLocation{.root = source.root, .view = view, .key = source.key, .refused = true};
        row.command = refusal;
        row.problem = refusal;
        rows.Finish(context, IconSource{});
        return;
    }
    // One row per value; its text is read once the row is begun, so that a
    // read that fails leaves the row it failed on.
    const auto addRow = [&](const std::string& name, const std::function<ValueText()>& read) {
        Entry& row = rows.Start();
        row.name = name;
        row.where = RegistryLocation{.root = source.root, .view = view, .key = source.key, .value = name};
        ValueText text = read();
        row.command = std::move(text.text);
        row.valueType = text.nonTextType;
        // The value is read a second time for its icon's target, as it
        // always was; a program without icons has no use for that read.
        IconSource icon;
        if (context.icons)
            icon.name = *source.iconName ? std::string(source.iconName)
                                         : ExtractTargetPath(context.platform.system, reg.ReadString(name), ".exe");
        rows.Finish(context, icon);
    };
    // A failure leaves the key open; the next user of the accessor closes it.
    if (reg.ReadsInOneCall() && !context.icons) {
        // Only the rows are wanted: each value comes with its name.
        reg.ForEachValueText(
            [&](const std::string& name, const ValueText& text) { addRow(name, [&] { return text; }); });
    } else {
        reg.GetValueNames(names);
        for (const std::string& name : names) addRow(name, [&] { return reg.ReadValueText(name); });
    }
    reg.CloseKey();
}

}  // namespace

void ScanValueList(const ValueList& source, ScanContext& context, RowReader& rows) {
    // On 64-bit Windows a redirected key is listed once per view, the 64-bit
    // view first.
    for (RegView view : ViewsOf(context.platform, source.root, source.redirected))
        ScanValueListView(source, view, context, rows);
}

}  // namespace qm
