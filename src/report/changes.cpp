#include "report/changes.h"

#include "core/actions/restore.h"
#include "report/record.h"

namespace qm::report {

namespace {

struct Row {
    std::string file, state, time, kind, done, category, entry, where, damage;
};

Row RowOf(Platform& platform, const JournalItem& item) {
    Row row;
    row.file = item.file;
    row.state = item.record ? "ok" : "damaged";
    row.damage = item.damage;
    if (!item.record) return row;
    const ChangeRecord& record = *item.record;
    row.time = Iso8601Utc(record.time);
    row.kind = ChangeKindName(record.kind);
    row.done = CellsOf(platform, item).done;
    row.category = record.category;
    row.entry = record.entry;
    row.where = record.where;
    return row;
}

}  // namespace

void WriteChanges(Platform& platform, const std::string& folder, const std::vector<JournalItem>& items, Format format,
                  IOutput& output, const CsvStyle& csv) {
    if (format == Format::Csv) {
        output.Write("file,state,time,kind,done,category,entry,where,damage\r\n");
        for (const JournalItem& item : items) {
            const Row row = RowOf(platform, item);
            std::string line;
            for (const std::string* field : {&row.file, &row.state, &row.time, &row.kind, &row.done, &row.category,
                                             &row.entry, &row.where, &row.damage}) {
                if (!line.empty() || field != &row.file) line += ',';
                line += CsvField(*field, csv);
            }
            output.Write(line + "\r\n");
        }
        return;
    }
    output.Write("{\"journal\":" + JsonString(folder) + ",\"changes\":[");
    bool first = true;
    for (const JournalItem& item : items) {
        const Row row = RowOf(platform, item);
        std::string line = first ? "\n{" : ",\n{";
        first = false;
        line += "\"file\":" + JsonString(row.file) + ",\"state\":" + JsonString(row.state);
        if (item.record) {
            line += ",\"time\":" + JsonString(row.time) + ",\"kind\":" + JsonString(row.kind) +
                    ",\"done\":" + JsonString(row.done) + ",\"category\":" + JsonString(row.category) +
                    ",\"entry\":" + JsonString(row.entry) + ",\"where\":" + JsonString(row.where);
        } else {
            line += ",\"damage\":" + JsonString(row.damage);
        }
        output.Write(line + "}");
    }
    output.Write("\n]}\n");
}

}  // namespace qm::report
