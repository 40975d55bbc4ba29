#include "report/fields.h"

#include "report/formats.h"

namespace qm::report {

namespace {

void Repair(std::string& text) {
    if (!IsValidUtf8(text)) text = ValidUtf8(text);
}

}  // namespace

LocationKind KindOf(std::string_view type) {
    for (const LocationKindName& kind : kLocationKinds)
        if (type == kind.type) return kind.kind;
    return kNoLocation;
}

bool SameValue(const Field& field, const Record& a, const Record& b) {
    if (field.text) return a.*field.text == b.*field.text;
    if (field.flag) return a.*field.flag == b.*field.flag;
    if (field.list) return a.*field.list == b.*field.list;
    for (const LocationField& member : kLocationFields)
        if ((a.*field.location).*member.member != (b.*field.location).*member.member) return false;
    return true;
}

std::uint64_t FieldBit(const Field& field) { return std::uint64_t{1} << (&field - kFields); }

void CopyValue(const Field& field, const Record& from, Record& to) {
    if (field.text) to.*field.text = from.*field.text;
    if (field.flag) to.*field.flag = from.*field.flag;
    if (field.list) to.*field.list = from.*field.list;
    if (field.location) to.*field.location = from.*field.location;
}

void MakeValidUtf8(Record& r) {
    for (const Field& field : kFields) {
        if (field.text) Repair(r.*field.text);
        if (field.list)
            for (std::string& text : r.*field.list) Repair(text);
        if (field.location)
            for (const LocationField& member : kLocationFields) Repair((r.*field.location).*member.member);
    }
}

}  // namespace qm::report
