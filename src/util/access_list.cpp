#include "util/access_list.h"

#include <aclapi.h>
#include <sddl.h>

#include <cstring>
#include <memory>
#include <optional>

#include "util/win_error.h"

namespace {

// Memory the security API hands out with LocalAlloc.
struct LocalFreer {
    void operator()(void* p) const noexcept { LocalFree(p); }
};
template <class T>
using LocalPtr = std::unique_ptr<T, LocalFreer>;

// A well-known SID, built by the system (never looked up by name).
struct TWellKnownSid {
    explicit TWellKnownSid(WELL_KNOWN_SID_TYPE type) {
        DWORD size = sizeof bytes;
        if (!CreateWellKnownSid(type, nullptr, bytes, &size)) RaiseLastOSError(L"Cannot make a well-known SID");
    }
    PSID get() { return bytes; }
    BYTE bytes[SECURITY_MAX_SID_SIZE];
};

// The list's entries one by one.
template <class Visit>
void ForEachAce(PACL acl, Visit visit) {
    if (!acl) return;
    ACL_SIZE_INFORMATION size{};
    if (!GetAclInformation(acl, &size, sizeof size, AclSizeInformation)) return;
    for (DWORD i = 0; i < size.AceCount; ++i) {
        void* ace = nullptr;
        if (GetAce(acl, i, &ace)) visit(static_cast<const ACE_HEADER*>(ace));
    }
}

// True when the list has the entry (or one that allows more) of its own.
bool HasEntry(PACL acl, const TAllowEntry& entry) {
    TWellKnownSid group(entry.group);
    const BYTE flags = entry.inheritance == TInheritance::FoldersAndFiles ? OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE : 0;
    bool found = false;
    ForEachAce(acl, [&](const ACE_HEADER* header) {
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || header->AceFlags != flags) return;
        const ACCESS_ALLOWED_ACE* allowed = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
        if ((allowed->Mask & entry.rights) == entry.rights &&
            EqualSid(const_cast<DWORD*>(&allowed->SidStart), group.get()))
            found = true;
    });
    return found;
}

// The list with the entry added by SetEntriesInAclW: inherited entries stay
// behind the list's own. A list that has the entry already is kept as it is
// (Windows would merge the two; Wine adds a second one).
LocalPtr<ACL> AclWithEntry(PACL acl, const TAllowEntry& entry) {
    if (acl && HasEntry(acl, entry)) {
        LocalPtr<ACL> copy(static_cast<ACL*>(LocalAlloc(LMEM_FIXED, acl->AclSize)));
        if (!copy) throw EOSError(ERROR_NOT_ENOUGH_MEMORY, L"Cannot copy an access list");
        memcpy(copy.get(), acl, acl->AclSize);
        return copy;
    }
    TWellKnownSid group(entry.group);
    EXPLICIT_ACCESS_W access{};
    access.grfAccessPermissions = entry.rights;
    access.grfAccessMode = GRANT_ACCESS;
    access.grfInheritance =
        entry.inheritance == TInheritance::FoldersAndFiles ? SUB_CONTAINERS_AND_OBJECTS_INHERIT : NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPWSTR>(group.get());
    PACL result = nullptr;
    const DWORD status = SetEntriesInAclW(1, &access, acl, &result);
    if (status != ERROR_SUCCESS) throw EOSError(status, L"Cannot add an entry to an access list");
    return LocalPtr<ACL>(result);
}

// The list of a descriptor as SDDL, with its protection and auto-inheritance.
std::wstring DaclSddl(PSECURITY_DESCRIPTOR descriptor) {
    LPWSTR text = nullptr;
    CheckWin32Bool(ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                                        DACL_SECURITY_INFORMATION, &text, nullptr),
                   L"Cannot write an access list as SDDL");
    LocalPtr<wchar_t> owned(text);
    return text;
}

// A descriptor holding only the list, with the given control bits.
std::wstring DaclSddl(PACL acl, SECURITY_DESCRIPTOR_CONTROL control) {
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    const SECURITY_DESCRIPTOR_CONTROL kept = SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED;
    SetSecurityDescriptorControl(&descriptor, kept, control & kept);
    return DaclSddl(&descriptor);
}

// A file's descriptor with its list and owner.
struct TFileSecurity {
    LocalPtr<void> descriptor;
    PACL dacl = nullptr;
    PSID owner = nullptr;
};

TFileSecurity ReadFileSecurity(const std::wstring& path) {
    TFileSecurity security;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status =
        GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | OWNER_SECURITY_INFORMATION,
                              &security.owner, nullptr, &security.dacl, nullptr, &descriptor);
    if (status != ERROR_SUCCESS) throw EOSError(status, L"Cannot read the access list of " + path);
    security.descriptor.reset(descriptor);
    return security;
}

// Rights that let a holder change a file or what a folder holds.
constexpr DWORD kWritingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                 WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL | MAXIMUM_ALLOWED;

bool IsTrustedWriter(PSID sid, PSID owner) {
    if (owner && EqualSid(sid, owner)) return true;
    for (WELL_KNOWN_SID_TYPE type : {WinBuiltinAdministratorsSid, WinLocalSystemSid}) {
        TWellKnownSid trusted(type);
        if (EqualSid(sid, trusted.get())) return true;
    }
    // NT SERVICE\TrustedInstaller, which owns Windows' own files.
    PSID installer = nullptr;
    if (!ConvertStringSidToSidW(L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", &installer))
        return false;
    LocalPtr<void> owned(installer);
    return EqualSid(sid, installer);
}

}  // namespace

std::wstring EntrySddl(const TAllowEntry& entry) {
    ACL empty;
    InitializeAcl(&empty, sizeof empty, ACL_REVISION);
    LocalPtr<ACL> acl = AclWithEntry(&empty, entry);
    std::wstring sddl = DaclSddl(acl.get(), 0);
    return sddl.starts_with(L"D:") ? sddl.substr(2) : sddl;
}

std::wstring DaclSddlWithEntry(const std::wstring& daclSddl, const TAllowEntry& entry) {
    PSECURITY_DESCRIPTOR parsed = nullptr;
    CheckWin32Bool(
        ConvertStringSecurityDescriptorToSecurityDescriptorW(daclSddl.c_str(), SDDL_REVISION_1, &parsed, nullptr),
        L"Not an access list: " + daclSddl);
    LocalPtr<void> owned(parsed);
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(parsed, &present, &dacl, &defaulted);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(parsed, &control, &revision);
    LocalPtr<ACL> result = AclWithEntry(present ? dacl : nullptr, entry);
    return DaclSddl(result.get(), control);
}

std::wstring ReadDaclSddl(const std::wstring& path) {
    try {
        return DaclSddl(ReadFileSecurity(path).descriptor.get());
    } catch (const EOSError&) {
        return {};
    }
}

bool AddAllowEntry(const std::wstring& path, const TAllowEntry& entry) {
    TFileSecurity security = ReadFileSecurity(path);
    if (security.dacl && HasEntry(security.dacl, entry)) return false;
    LocalPtr<ACL> acl = AclWithEntry(security.dacl, entry);
    // Only the list is written, and not as protected: the entries inherited
    // from the folder above stay, and inheritable ones reach the folder's
    // contents.
    const DWORD status = SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                                               DACL_SECURITY_INFORMATION, nullptr, nullptr, acl.get(), nullptr);
    if (status != ERROR_SUCCESS) throw EOSError(status, L"Cannot change the access list of " + path);
    return true;
}

bool OpenToUsers(const std::wstring& path, const TAllowEntry* tolerated) {
    TFileSecurity security = ReadFileSecurity(path);
    if (!security.dacl) return true;  // no list: everyone may do everything
    std::optional<TWellKnownSid> toleratedGroup;
    if (tolerated) toleratedGroup.emplace(tolerated->group);
    bool open = false;
    ForEachAce(security.dacl, [&](const ACE_HEADER* header) {
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERITED_ACE)) return;
        const ACCESS_ALLOWED_ACE* allowed = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
        PSID sid = const_cast<DWORD*>(&allowed->SidStart);
        if (!(allowed->Mask & kWritingRights) || IsTrustedWriter(sid, security.owner)) return;
        if (toleratedGroup && EqualSid(sid, toleratedGroup->get()) && (allowed->Mask & ~tolerated->rights) == 0)
            return;
        open = true;
    });
    return open;
}

void ResetToInherited(const std::wstring& path) {
    ACL empty;
    InitializeAcl(&empty, sizeof empty, ACL_REVISION);
    const DWORD status =
        SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                              DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &empty, nullptr);
    if (status != ERROR_SUCCESS) throw EOSError(status, L"Cannot restore the inherited access list of " + path);
}
