#include "core/model/location.h"

#include "platform/text_case.h"

namespace qm {

std::uint32_t RootKeyFromName(const std::string& name) {
    for (size_t i = 0; i < RootKeyNames.size(); ++i)
        if (LowerAscii(name) == LowerAscii(RootKeyNames[i])) return 0x80000000u + static_cast<std::uint32_t>(i);
    return 0;
}

std::string RealKeyPath(const RegistryLocation& location) {
    if (location.view != RegView::Registry32 || location.root != RegRoot::LocalMachine) return location.key;
    const size_t cut = location.key.find('\\');
    if (cut == std::string::npos) return location.key;
    return "SOFTWARE\\WOW6432Node" + location.key.substr(cut);
}

}  // namespace qm
