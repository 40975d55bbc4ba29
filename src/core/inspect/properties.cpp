// What the Item Properties dialog shows of an entry, as its category shows it.
#include "core/inspect/properties.h"

namespace qm {

std::string CommandOf(const Category&, const Entry& row) { return row.command; }

std::string LocationTextOf(const Category& category, const Entry& row) {
    switch (category.properties.location) {
        case ShownLocation::KeyName:
            if (const RegistryLocation* at = RegistryOf(row.where)) return KeyNameOf(category.source, *at);
            return {};
        case ShownLocation::Folder:
            if (const auto* at = std::get_if<FileLocation>(&row.where)) return at->folder;
            if (const auto* task = std::get_if<TaskLocation>(&row.where)) return task->folder;
            return {};
        case ShownLocation::Description:
            return row.service.displayName;
    }
    return {};
}

}  // namespace qm
