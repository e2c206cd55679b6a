#include "deploy/machine_account.h"

#include <vector>

#include "util/handles.h"

bool IsMachineAccount(PSID sid) {
    if (!sid || !IsValidSid(sid)) return false;
    for (WELL_KNOWN_SID_TYPE type : {WinLocalSystemSid, WinLocalServiceSid, WinNetworkServiceSid})
        if (IsWellKnownSid(sid, type)) return true;
    return false;
}

TProcessAccount ProcessAccount() {
    TProcessAccount account;
    UniqueKernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return account;
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return account;
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    account.machineAccount = IsMachineAccount(sid);
    wchar_t name[256] = {}, domain[256] = {};
    DWORD nameLength = 256, domainLength = 256;
    SID_NAME_USE use;
    if (LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use))
        account.name = domain[0] ? std::wstring(domain) + L"\\" + name : std::wstring(name);
    return account;
}

TShortcutOwner ChooseShortcutOwner(const TCommandLine& commandLine, const TProcessAccount& account,
                                   std::wstring& why) {
    if (commandLine.allUsers) {
        why = L"/ALLUSERS was given";
        return TShortcutOwner::AllUsers;
    }
    if (commandLine.Unattended() && account.machineAccount) {
        why = L"an unattended installation runs as the machine account " + account.name +
              L", whose own Start menu and desktop nobody sees";
        return TShortcutOwner::AllUsers;
    }
    why = account.machineAccount ? L"the wizard installs for the account that runs it"
                                 : L"Setup runs as the user " + account.name;
    return TShortcutOwner::CurrentUser;
}
