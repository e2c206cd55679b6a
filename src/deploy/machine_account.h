// Whether Setup runs as one of the machine's own service accounts, as the
// deployment engines start installers (Intune, Configuration Manager and
// Group Policy start-up scripts as LocalSystem). Such an account's Start
// menu and desktop are seen by nobody, so an unattended installation under
// it puts the shortcuts where every user sees them.
#pragma once

#include <windows.h>

#include <string>

#include "deploy/command_line.h"
#include "install/shortcut.h"

// LocalSystem (S-1-5-18), LocalService (S-1-5-19) or NetworkService
// (S-1-5-20): the well-known accounts whose profiles no person uses.
bool IsMachineAccount(PSID sid);
// The user of this process's token, as "DOMAIN\name", and whether it is a
// machine account (false when the token cannot be read).
struct TProcessAccount {
    std::wstring name;
    bool machineAccount = false;
};
TProcessAccount ProcessAccount();

// Whose shortcuts an installation makes: every user's with /ALLUSERS, or
// when an unattended installation (silent or passive) runs as a machine
// account; else the current user's. why says which rule decided.
TShortcutOwner ChooseShortcutOwner(const TCommandLine& commandLine, const TProcessAccount& account,
                                   std::wstring& why);
