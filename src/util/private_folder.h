// Folders of a process's own under a folder that others may write to (the
// temporary folder; as SYSTEM that is C:\Windows\Temp, where users may add
// files to folders that others create). A folder made there with the
// inherited access list could receive a planted DLL before the program put
// into it starts; a private folder gets a list of its own.
#pragma once

#include <string>

// The access list of a private folder as SDDL: protected from inheritance,
// full control for SYSTEM, Administrators and the account this process runs
// as, inherited by everything below; nobody else. Empty when the process's
// account cannot be read.
std::wstring PrivateFolderSddl();

// Creates the folder (one level) with that list; false, with the system's
// error, when it exists already (an existing folder is never taken over) or
// cannot be made.
bool CreatePrivateFolder(const std::wstring& path);

// True when the file's or folder's owner is the account this process runs
// as, SYSTEM or Administrators: a folder that a user made (to plant
// something, or to point elsewhere) is not.
bool OwnedByThisAccountOrAdministrators(const std::wstring& path);
