// The places where the system itself starts a program or loads a DLL: into
// every program (AppInit_DLLs), instead of a program (its debugger), when a
// program ends (its SilentProcessExit monitor), at boot (BootExecute), into
// the logon process (the LSA packages) and into the print spooler (its
// monitors). One row per entry: a list value gives a row for each of its
// entries. A value of a type that holds no entry is a row saying what it
// holds; nothing here stops the scan.
#include <algorithm>

#include "core/collectors/collector.h"
#include "core/model/text.h"
#include "core/registry.h"

namespace qm {

namespace {

struct PlaceReader {
    const SystemHooks& source;
    const HookPlace& place;
    RegView view;
    const std::string& windows;
    ScanContext& context;
    RowReader& rows;

    RegistryLocation Location(const std::string& subKey) const {
        return RegistryLocation{
            .root = place.root, .view = view, .key = place.key, .subKey = subKey, .value = place.value};
    }

    void Add(const ListItemLocation& where, const std::string& caption, const std::string& kind,
             const std::string& file, Mark mark = Mark::None) {
        Entry& row = rows.Start();
        row.name = caption;
        row.where = where;
        row.hookKind = kind;
        row.command = file;
        row.mark = mark;
        if (where.at.refused) row.problem = caption;
        rows.Finish(context, IconSource{file});
    }

    // A key that is there but refuses reading is a row naming it.
    void Refused(const std::string& subKey, long error) {
        const std::string refusal = RefusalText(error);
        if (refusal.empty()) return;
        ListItemLocation where{.at = Location(subKey), .removable = false};
        where.at.refused = true;
        Add(where,
            refusal + ": " + RootKeyName(place.root) + "\\" + RealKeyPath(where.at) +
                (subKey.empty() ? "" : "\\" + subKey),
            place.kind, "");
    }

    // Whether the entries are loaded at all: "" or what the row adds to its kind.
    std::string NotLoaded(Registry& reg) const {
        if (!place.enabledBy) return {};
        RegValue flag;
        const long error = reg.ReadValue(place.enabledBy, flag);
        std::string is;
        if (error == kErrorFileNotFound) is = "not set";
        else if (error != kErrorSuccess) is = "unreadable";
        else if (flag.type == kRegDword && flag.data.size() == 4) {
            const std::uint32_t v =
                flag.data[0] | flag.data[1] << 8 | flag.data[2] << 16 | static_cast<std::uint32_t>(flag.data[3]) << 24;
            if (v == 1) return {};
            is = std::to_string(v);
        } else {
            is = DescribeValueType(flag.type, static_cast<std::uint32_t>(flag.data.size()));
        }
        return std::string(" (not loaded: ") + place.enabledBy + " is " + is + ")";
    }

    void Value(Registry& reg, const std::string& subKey) {
        RegValue value;
        const long error = reg.ReadValue(place.value, value);
        if (error == kErrorFileNotFound) return;
        const std::string notLoaded = NotLoaded(reg);
        const std::string kind = std::string(place.kind) + (subKey.empty() ? "" : " (" + subKey + ")") + notLoaded;
        const Mark mark = notLoaded.empty() ? Mark::None : Mark::NotLoaded;
        ListItemLocation where{.at = Location(subKey), .listed = value};
        if (error != kErrorSuccess) {
            where.removable = false;
            Add(where, "(cannot be read, error " + std::to_string(error) + ")", kind, "", mark);
            return;
        }
        const bool text = value.type == kRegSz || value.type == kRegExpandSz;
        const std::optional<std::vector<ListEntry>> entries = ListEntries(value.type, value.data);
        if (!entries || (!place.list && !text)) {
            where.removable = false;
            Add(where, DescribeValueType(value.type, static_cast<std::uint32_t>(value.data.size())), kind, "", mark);
            return;
        }
        if (!place.list) {
            // The whole text is the one entry: a command line keeps its blanks.
            const std::string command(value.data.begin(),
                                      std::find(value.data.begin(), value.data.end(), std::uint8_t{0}));
            if (TrimControl(command).empty()) return;  // an empty value starts nothing
            where.text = command;
            Add(where, command, kind, HookFileOf(command, place.file, windows), mark);
            return;
        }
        for (size_t i = 0; i < entries->size(); ++i) {
            where.item = static_cast<int>(i);
            where.text = (*entries)[i].text;
            Add(where, where.text, kind, HookFileOf(where.text, place.file, windows), mark);
        }
    }

    void Read() {
        Registry reg(context.platform.registry);
        reg.SetRootKey(RootKeyOf(place.root));
        reg.SetView(view);
        const std::uint32_t access = place.perSubKey ? kKeyQueryValue | kKeyEnumerateSubKeys : kKeyQueryValue;
        if (!reg.OpenKey("\\" + std::string(place.key), false, access)) {
            Refused("", reg.LastOpenError());
            return;
        }
        if (!place.perSubKey) {
            Value(reg, "");
            return;
        }
        std::vector<std::string> names;
        reg.GetKeyNames(names);
        reg.CloseKey();
        for (const std::string& name : names) {
            // Each sub-key is opened below its parent, never by a full path
            // that could be longer than the system takes.
            Registry sub(context.platform.registry);
            sub.SetRootKey(RootKeyOf(place.root));
            sub.SetView(view);
            if (!sub.OpenKey("\\" + std::string(place.key), false)) return;
            if (!sub.OpenKey(name, false)) {
                Refused(name, sub.LastOpenError());
                continue;
            }
            Value(sub, name);
        }
    }
};

}  // namespace

void ScanSystemHooks(const SystemHooks& source, ScanContext& context, RowReader& rows) {
    std::string windows;
    if (!context.platform.system.GetWindowsDirectory(windows)) windows = "C:\\Windows";
    for (const HookPlace& place : source.places)
        for (const RegView view : ViewsOf(context.platform, place.root, place.redirected))
            PlaceReader{source, place, view, windows, context, rows}.Read();
}

}  // namespace qm
