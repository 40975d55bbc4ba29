// Single, fixed registry values: one row per place, whether it holds a value or not.
#include "core/categories/row_marks.h"
#include "core/collectors/collector.h"
#include "core/model/text.h"
#include "core/registry.h"

namespace qm {

namespace {

// `always`: a row whether the value holds anything or not.
void ScanNamedValue(const NamedValues& source, const NamedValue& value, RegView view, bool always, ScanContext& context,
                    RowReader& rows) {
    Registry reg(context.platform.registry);
    reg.SetRootKey(RootKeyOf(source.root));
    reg.SetView(view);
    // A key that is not there reads as empty; one that refuses reading says so.
    const std::string refusal =
        reg.OpenKey("\\" + std::string(source.key), false) ? std::string() : RefusalText(reg.LastOpenError());
    if (!always && refusal.empty() && reg.ReadString(value.valueName).empty()) return;
    Entry& row = rows.Start();
    row.name = value.caption;
    row.where = RegistryLocation{
        .root = source.root, .view = view, .key = source.key, .value = value.valueName, .refused = !refusal.empty()};
    if (refusal.empty()) {
        ValueText text = reg.ReadValueText(value.valueName);
        row.command = std::move(text.text);
        row.valueType = text.nonTextType;
        if (row.command.empty()) row.command = kNoAutorunEntry;
        if (BeginsWithMark(row.command, kNoAutorunEntry)) row.mark = Mark::NoAutorunEntry;
    } else {
        row.command =
            refusal + ": " + RootKeyName(source.root) + "\\" + RealKeyPath(std::get<RegistryLocation>(row.where));
        row.problem = row.command;
    }
    // Commas go before the cut, so "userinit.exe," names userinit.exe.
    const std::string target = ExtractTargetPath(
        context.platform.system, ReplaceAll(reg.ReadString(value.valueName), ",", ""), source.targetMarker);
    rows.Finish(context, IconSource{target, true});
    reg.CloseKey();
}

}  // namespace

void ScanNamedValues(const NamedValues& source, ScanContext& context, RowReader& rows) {
    // The first view's places are rows whether they hold a value or not; a
    // second view (the 32-bit one on 64-bit Windows) adds the values it holds.
    bool first = true;
    for (RegView view : ViewsOf(context.platform, source.root, source.redirected)) {
        for (const NamedValue& value : source.values) ScanNamedValue(source, value, view, first, context, rows);
        first = false;
    }
}

}  // namespace qm
