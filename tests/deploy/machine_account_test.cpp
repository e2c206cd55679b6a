// Whose shortcuts an installation makes, decided from the account in the
// process token: Wine cannot start a process as SYSTEM, so the decision is
// tested here on the SIDs themselves, and on this process's own token.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include "deploy/machine_account.h"
#include "util/error.h"

namespace {

bool IsMachineAccountSid(const wchar_t* text) {
    PSID sid = nullptr;
    EXPECT_TRUE(ConvertStringSidToSidW(text, &sid)) << WideToUtf8(text);
    const bool result = IsMachineAccount(sid);
    LocalFree(sid);
    return result;
}

TEST(MachineAccountTest, TheServiceAccountsAreMachineAccountsAndPeopleAreNot) {
    EXPECT_TRUE(IsMachineAccountSid(L"S-1-5-18"));  // LocalSystem, as deployment engines run installers
    EXPECT_TRUE(IsMachineAccountSid(L"S-1-5-19"));  // LocalService
    EXPECT_TRUE(IsMachineAccountSid(L"S-1-5-20"));  // NetworkService
    EXPECT_FALSE(IsMachineAccountSid(L"S-1-5-32-544"));                        // the Administrators group
    EXPECT_FALSE(IsMachineAccountSid(L"S-1-5-21-1004336348-1177238915-682003330-500"));  // an administrator
    EXPECT_FALSE(IsMachineAccountSid(L"S-1-5-21-1004336348-1177238915-682003330-1001"));  // a person
    EXPECT_FALSE(IsMachineAccountSid(L"S-1-1-0"));                             // Everyone
    EXPECT_FALSE(IsMachineAccount(nullptr));

    // The tests run as a person under Wine: the token says so.
    const TProcessAccount self = ProcessAccount();
    EXPECT_FALSE(self.machineAccount);
    EXPECT_NE(self.name.find(L'\\'), std::wstring::npos) << WideToUtf8(self.name);
}

TEST(MachineAccountTest, ShortcutsGoToEveryUserForAllUsersOrAnUnattendedMachineAccount) {
    const TProcessAccount system{L"NT AUTHORITY\\SYSTEM", true}, person{L"OFFICE\\anna", false};
    const struct {
        const wchar_t* line;
        const TProcessAccount& account;
        TShortcutOwner owner;
        const wchar_t* because;
    } cases[] = {
        {L"Setup.exe /S", system, TShortcutOwner::AllUsers, L"runs as the machine account NT AUTHORITY\\SYSTEM"},
        {L"Setup.exe /passive", system, TShortcutOwner::AllUsers, L"runs as the machine account"},
        {L"Setup.exe /LOG=x.log", system, TShortcutOwner::CurrentUser, L"the wizard installs for the account"},
        {L"Setup.exe /S", person, TShortcutOwner::CurrentUser, L"runs as the user OFFICE\\anna"},
        {L"Setup.exe /ALLUSERS", person, TShortcutOwner::AllUsers, L"/ALLUSERS was given"},
        {L"Setup.exe /S /ALLUSERS", person, TShortcutOwner::AllUsers, L"/ALLUSERS was given"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.line) + (c.account.machineAccount ? " as SYSTEM" : " as a person"));
        std::wstring why;
        EXPECT_EQ(ChooseShortcutOwner(ParseCommandLine(c.line), c.account, why), c.owner);
        EXPECT_NE(why.find(c.because), std::wstring::npos) << WideToUtf8(why);
    }
}

}  // namespace
