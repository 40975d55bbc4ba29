// The report's list of fields against the record it describes and the
// formats that use it: the list names every member of Record and of its
// location once; every field reads back from the JSON it is written in;
// the CSV header names, column by column, what each record holds there.
// A member added to Record with its one line in the list passes all of
// this, and one added without it does not.
#include <gtest/gtest.h>

#include <map>

#include "core/categories/table.h"
#include "report/compare.h"
#include "report/fields.h"
#include "report/formats.h"

namespace qm {
namespace {

using report::EntryLocation;
using report::Field;
using report::kFields;
using report::kLocationFields;
using report::LocationField;
using report::Record;

// The number of members an aggregate has: the most initializers it takes,
// each one of a type that converts to anything.
struct AnyMember {
    template <class T>
    operator T() const;  // only named in unevaluated operands
};
template <class T, class... Given>
constexpr size_t MemberCount() {
    if constexpr (requires { T{Given{}..., AnyMember{}}; }) return MemberCount<T, Given..., AnyMember>();
    else return sizeof...(Given);
}

TEST(ReportFields, TheListNamesEveryMemberOfARecordAndOfItsLocationOnce) {
    EXPECT_EQ(MemberCount<Record>(), std::size(kFields));
    EXPECT_EQ(MemberCount<EntryLocation>(), std::size(kLocationFields));
    // No two lines of a list name the same member.
    for (const Field& a : kFields)
        for (const Field& b : kFields) {
            if (&a == &b) continue;
            EXPECT_FALSE(a.text && a.text == b.text) << a.json << " " << b.json;
            EXPECT_FALSE(a.flag && a.flag == b.flag) << a.json << " " << b.json;
            EXPECT_FALSE(a.list && a.list == b.list) << a.json << " " << b.json;
            EXPECT_FALSE(a.location && a.location == b.location) << a.json << " " << b.json;
        }
    for (const LocationField& a : kLocationFields)
        for (const LocationField& b : kLocationFields)
            EXPECT_TRUE(&a == &b || a.member != b.member) << a.json << " " << b.json;
}

// A text that JSON must escape, CSV must quote, and that holds a byte
// starting no UTF-8 sequence.
const std::string kAwkward = "x,\"y\"\r\n\\ \xD0\x96 \xFF ";
const std::string kRepaired = "x,\"y\"\r\n\\ \xD0\x96 \xEF\xBF\xBD ";

// A record holding something in one field alone, and the CSV cells (by
// header) that differ from those of an empty record because of it.
struct Sample {
    std::string what;
    Record record;
    std::map<std::string, std::string> cells;
};

constexpr size_t kCells = 3;

std::vector<Sample> OneFieldEach() {
    std::vector<Sample> samples;
    for (const Field& field : kFields) {
        if (field.text) {
            Sample s{field.json, {}, {{field.csv, kRepaired + field.json}}};
            s.record.*field.text = kAwkward + field.json;
            samples.push_back(s);
        } else if (field.flag) {
            for (const bool value : {true, false}) {
                Sample s{std::string(field.json) + (value ? " yes" : " no"), {}, {{field.csv, value ? "yes" : "no"}}};
                s.record.*field.flag = value;
                samples.push_back(s);
            }
        } else if (field.list) {
            const std::string csv = field.csv;
            Sample s{field.json, {}, {{csv + "1", kRepaired}, {csv + "3", "last"}}};
            s.record.*field.list = {kAwkward, "", "last"};
            samples.push_back(s);
        } else {
            // Each member of the location in each kind of location whose JSON has it.
            for (const LocationField& member : kLocationFields)
                for (const report::LocationKindName& kind : report::kLocationKinds) {
                    if (!(member.kinds & kind.kind)) continue;
                    // The type alone of an empty record's kind is no sample.
                    if (member.member == &EntryLocation::type && kind.type == EntryLocation{}.type) continue;
                    Sample s{std::string(field.json) + "." + member.json + " of " + kind.type, {}, {}};
                    EntryLocation& at = s.record.*field.location;
                    at.type = kind.type;
                    s.cells[kLocationFields[0].csv] = kind.type;
                    if (member.member != &EntryLocation::type) {
                        at.*member.member = kAwkward + member.json;
                        s.cells[member.csv] = kRepaired + member.json;
                    }
                    samples.push_back(s);
                }
        }
    }
    return samples;
}

TEST(ReportFields, EveryFieldReadsBackFromTheJsonItIsWrittenIn) {
    const std::string empty = report::JsonRecord(Record{});
    for (const Sample& sample : OneFieldEach()) {
        const Record& raw = sample.record;
        // The record as the report holds it: its texts as the formats write them.
        Record repaired = raw;
        report::MakeValidUtf8(repaired);
        const std::string line = report::JsonRecord(raw);
        EXPECT_EQ(line, report::JsonRecord(repaired)) << sample.what;
        EXPECT_NE(empty, line) << sample.what << ": not written";

        std::vector<Record> back;
        std::string error;
        ASSERT_TRUE(report::ReadBaseline(
            "{\"schema\":" + std::to_string(report::kSchemaVersion) + ",\"entries\":[" + line + "]}", back, error))
            << sample.what << ": " << error << "\n"
            << line;
        ASSERT_EQ(1u, back.size());
        for (const Field& field : kFields)
            EXPECT_TRUE(report::SameValue(field, repaired, back[0])) << sample.what << ": " << field.json << "\n"
                                                                     << line;
        EXPECT_EQ(line, report::JsonRecord(back[0])) << sample.what;
        EXPECT_EQ(report::IdentityOf(repaired), report::IdentityOf(back[0])) << sample.what;
        EXPECT_FALSE(report::Compare({repaired}, back).Any()) << sample.what;
    }
}

// The fields of one CSV record, unquoted.
std::vector<std::string> CsvCells(const std::string& record) {
    EXPECT_EQ("\r\n", record.substr(record.size() - 2));
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (size_t i = 0; i + 2 < record.size(); ++i) {  // the record's own CRLF last
        const char c = record[i];
        if (quoted && c == '"' && i + 1 < record.size() && record[i + 1] == '"') cells.back() += c, ++i;
        else if (c == '"') quoted = !quoted;
        else if (c == ',' && !quoted) cells.emplace_back();
        else cells.back() += c;
    }
    return cells;
}

TEST(ReportFields, TheCsvHeaderNamesWhatEachRecordHoldsColumnByColumn) {
    const std::vector<std::string> header = CsvCells(report::CsvHeader(kCells, false));
    ASSERT_EQ(report::CsvColumnCount(kCells), header.size());
    const std::vector<std::string> empty = CsvCells(report::CsvRecord(Record{}, kCells));
    ASSERT_EQ(header.size(), empty.size());
    std::map<std::string, size_t> columnOf;
    for (size_t i = 0; i < header.size(); ++i) EXPECT_TRUE(columnOf.emplace(header[i], i).second) << header[i];

    for (const Sample& sample : OneFieldEach()) {
        const std::vector<std::string> row = CsvCells(report::CsvRecord(sample.record, kCells));
        ASSERT_EQ(header.size(), row.size()) << sample.what;
        for (size_t i = 0; i < header.size(); ++i) {
            const auto expected = sample.cells.find(header[i]);
            EXPECT_EQ(expected == sample.cells.end() ? empty[i] : expected->second, row[i])
                << sample.what << ": column " << header[i];
        }
        for (const auto& [name, value] : sample.cells) EXPECT_TRUE(columnOf.count(name)) << sample.what << ": " << name;

        // A comparison's "change" column comes first and moves nothing else.
        std::vector<std::string> changed = CsvCells(report::CsvRecord(sample.record, kCells, "changed to"));
        ASSERT_EQ(row.size() + 1, changed.size()) << sample.what;
        EXPECT_EQ("changed to", changed.front());
        changed.erase(changed.begin());
        EXPECT_EQ(row, changed) << sample.what;
    }
    std::vector<std::string> withChange = CsvCells(report::CsvHeader(kCells, true));
    EXPECT_EQ("change", withChange.front());
    withChange.erase(withChange.begin());
    EXPECT_EQ(header, withChange);
    // With no cell columns the list takes no column and leaves no empty one.
    EXPECT_EQ(report::CsvColumnCount(0), CsvCells(report::CsvHeader(0, false)).size());
    EXPECT_EQ(report::CsvColumnCount(0), CsvCells(report::CsvRecord(OneFieldEach()[0].record, 0)).size());
}

}  // namespace
}  // namespace qm
