#include "core/categories/category.h"

namespace qm {

std::string KeyNameOf(const Source& source, const RegistryLocation& location) {
    if (const auto* list = std::get_if<ValueList>(&source); list && list->keyName) return list->keyName;
    std::string name = std::string(RootKeyName(location.root)) + "\\" + location.key;
    if (!location.subKey.empty()) name += "\\" + location.subKey;
    return name;
}

}  // namespace qm
