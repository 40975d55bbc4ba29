#include "core/privileges.h"

#include "platform/owner.h"

namespace qm {

bool EnablePrivilege(Platform& platform, const std::string& name, bool enable) {
    TokenHandle token;
    if (!platform.token.OpenProcessToken(kTokenAdjustPrivileges | kTokenQuery, token)) return false;
    const TokenOwner owner(platform.token, token);
    Luid luid;
    if (!platform.token.LookupPrivilegeValue(name, luid)) return false;
    // The previous-state buffer is one TOKEN_PRIVILEGES of one entry: 16 bytes.
    constexpr std::uint32_t kPreviousStateBytes = sizeof(std::uint32_t) + sizeof(Luid) + sizeof(std::uint32_t);
    return platform.token.AdjustTokenPrivileges(token, luid, enable ? kSePrivilegeEnabled : 0, kPreviousStateBytes);
}

}  // namespace qm
