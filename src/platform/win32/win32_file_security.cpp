// The owner and access list of a file or folder, as a change keeps them
// and checks them, and the folder only administrators may change that
// keeps what a change removed.
#include "platform/win32/windows_clean.h"
#include "platform/win32/win32_platform.h"

#include <aclapi.h>
#include <sddl.h>

#include <cstddef>

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace qm::win32 {

namespace {

constexpr const char* kAdministratorsSid = "S-1-5-32-544";
constexpr const char* kLocalSystemSid = "S-1-5-18";
constexpr const char* kCreatorOwnerSid = "S-1-3-0";

// The owner Administrators; a protected list (nothing inherited from the
// folder above) granting Administrators and SYSTEM every right of a file
// (FILE_ALL_ACCESS, not GENERIC_ALL: a generic right is split by the
// system into an entry for the folder and one for what it holds), passed on
// to files and folders made inside; no one else anything.
constexpr const wchar_t* kProtectedFolder = L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
// The same list without the owner, for a token that may not name
// Administrators as an owner: the folder is then owned by the token's own
// default owner, which GetEntrySecurity shows.
constexpr const wchar_t* kProtectedFolderListOnly = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

std::string SidText(PSID sid) {
    LPWSTR text = nullptr;
    if (!sid || !ConvertSidToStringSidW(sid, &text)) return std::string();
    const LocalMemoryOwner<wchar_t> owned({}, text);
    return FromWide(text);
}

Trustee TrusteeOf(const std::string& sid) {
    if (sid == kAdministratorsSid) return Trustee::Administrators;
    if (sid == kLocalSystemSid) return Trustee::LocalSystem;
    if (sid == kCreatorOwnerSid) return Trustee::CreatorOwner;
    return Trustee::Other;
}

// Every kind of entry that grants: a grant that carries an object type, a
// condition (a callback entry) or a compound server is still a grant, and
// counting it as one keeps a list that grants someone else from looking
// like one that does not. Denials, and any kind the program does not know,
// grant nothing.
bool Grants(BYTE type) {
    switch (type) {
        case ACCESS_ALLOWED_ACE_TYPE:
        case ACCESS_ALLOWED_COMPOUND_ACE_TYPE:
        case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
        case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
        case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
            return true;
        default:
            return false;
    }
}

// Where the entry's security identifier lies: after the mask in the plain
// and callback kinds, after the flags and the object types they name in the
// object kinds. None for the compound kind (its server and client are two)
// and any other, or when the identifier would not fit in the entry: its
// trustee is then Other, which trusts no one.
PSID SidOf(const ACE_HEADER* ace) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(ace);
    size_t at = 0;
    switch (ace->AceType) {
        case ACCESS_ALLOWED_ACE_TYPE:
        case ACCESS_DENIED_ACE_TYPE:
        case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
        case ACCESS_DENIED_CALLBACK_ACE_TYPE:
            at = offsetof(ACCESS_ALLOWED_ACE, SidStart);
            break;
        case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
        case ACCESS_DENIED_OBJECT_ACE_TYPE:
        case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
        case ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE: {
            const auto* object = reinterpret_cast<const ACCESS_ALLOWED_OBJECT_ACE*>(ace);
            if (ace->AceSize < offsetof(ACCESS_ALLOWED_OBJECT_ACE, ObjectType)) return nullptr;
            at = offsetof(ACCESS_ALLOWED_OBJECT_ACE, ObjectType);
            if (object->Flags & ACE_OBJECT_TYPE_PRESENT) at += sizeof(GUID);
            if (object->Flags & ACE_INHERITED_OBJECT_TYPE_PRESENT) at += sizeof(GUID);
            break;
        }
        default:
            return nullptr;
    }
    // The fixed part of a SID (revision, count, authority) is 8 bytes.
    if (at + 8 > ace->AceSize) return nullptr;
    auto* sid = const_cast<std::uint8_t*>(bytes + at);
    const size_t length = 8 + size_t{sid[1]} * sizeof(DWORD);
    if (at + length > ace->AceSize || !IsValidSid(sid)) return nullptr;
    return sid;
}

AccessRule RuleOf(const ACE_HEADER* ace) {
    AccessRule rule;
    rule.sid = SidText(SidOf(ace));
    rule.trustee = TrusteeOf(rule.sid);
    rule.allow = Grants(ace->AceType);
    rule.inheritOnly = (ace->AceFlags & INHERIT_ONLY_ACE) != 0;
    // Every entry kind has its mask right after its header.
    rule.mask = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(ace)->Mask;
    return rule;
}

long CreateFolderWith(const std::wstring& path, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
        return static_cast<long>(GetLastError());
    const LocalMemoryOwner<void> owned({}, descriptor);
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
    return CreateDirectoryW(path.c_str(), &attributes) ? kErrorSuccess : static_cast<long>(GetLastError());
}

}  // namespace

long Win32Files::GetEntrySecurity(FileHandle file, EntrySecurity& security) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error =
        GetSecurityInfo(ToRaw<HANDLE>(file), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                        &owner, nullptr, &dacl, nullptr, &descriptor);
    const LocalMemoryOwner<void> owned({}, descriptor);
    if (error != ERROR_SUCCESS) return static_cast<long>(error);
    security = EntrySecurity{};
    security.ownerSid = SidText(owner);
    security.owner = TrusteeOf(security.ownerSid);
    security.nullAcl = dacl == nullptr;
    if (!dacl) return kErrorSuccess;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace)) return static_cast<long>(GetLastError());
        security.rules.push_back(RuleOf(static_cast<const ACE_HEADER*>(ace)));
    }
    return kErrorSuccess;
}

// Windows keeps the descriptor given. Wine 8 keeps none on the disk: it
// takes the Unix mode from the list (nothing for others) and shows the user
// as the owner, and SYSTEM and the user with every right, whatever was
// given; it refuses no owner either, so the second call never comes there.
long Win32Files::CreateProtectedFolder(const std::string& path) {
    std::wstring wide;
    if (!ToWide(path, wide)) return kErrorNoUnicodeTranslation;
    const long made = CreateFolderWith(wide, kProtectedFolder);
    if (made != ERROR_INVALID_OWNER) return made;
    return CreateFolderWith(wide, kProtectedFolderListOnly);
}

}  // namespace qm::win32
