#include "util/private_folder.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "util/handles.h"

namespace {

// The account this process runs as: its TOKEN_USER, empty when unreadable.
std::vector<BYTE> ProcessUser() {
    UniqueKernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return {};
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
    return buffer;
}

PSID UserSid(std::vector<BYTE>& user) { return reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid; }

// The SID of the account this process runs as, as "S-1-5-...".
std::wstring ProcessUserSid() {
    std::vector<BYTE> user = ProcessUser();
    LPWSTR text = nullptr;
    if (user.empty() || !ConvertSidToStringSidW(UserSid(user), &text)) return {};
    std::wstring sid = text;
    LocalFree(text);
    return sid;
}

}  // namespace

std::wstring PrivateFolderSddl() {
    const std::wstring user = ProcessUserSid();
    if (user.empty()) return {};
    return L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;" + user + L")";
}

bool CreatePrivateFolder(const std::wstring& path) {
    const std::wstring sddl = PrivateFolderSddl();
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (sddl.empty() ||
        !ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    const BOOL created = CreateDirectoryW(path.c_str(), &attributes);
    const DWORD error = GetLastError();
    LocalFree(descriptor);
    SetLastError(error);
    return created != FALSE;
}

bool OwnedByThisAccountOrAdministrators(const std::wstring& path) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                              nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    bool trusted = false;
    std::vector<BYTE> user = ProcessUser();
    if (owner && !user.empty() && EqualSid(owner, UserSid(user))) trusted = true;
    for (WELL_KNOWN_SID_TYPE type : {WinLocalSystemSid, WinBuiltinAdministratorsSid}) {
        BYTE sid[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof sid;
        if (owner && CreateWellKnownSid(type, nullptr, sid, &size) && EqualSid(owner, sid)) trusted = true;
    }
    LocalFree(descriptor);
    return trusted;
}
