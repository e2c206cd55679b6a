// Who may change what the installation puts on the machine. Setup runs with
// administrator rights, and deployment engines run it and the product's
// quiet uninstall as SYSTEM: a file of the product that users may replace
// is code that the next administrator, or SYSTEM, runs for them. So the
// program folder keeps the list Program Files gives it (administrators and
// SYSTEM write, users read and run), and users get Modify (never full
// control, never Everyone) only where the product writes as it runs: the
// data folder, inherited by everything below it, and the product's settings
// files, each file alone (a user who may create a file in the program folder
// can put a DLL beside the product).
// Entries are added to the inherited list, in the process, through the
// security API; every change is named in the installation's log with its
// SDDL. Only on NTFS: other file systems keep no access lists. An entry
// added is journalled, and undone with the installation; an earlier setup's
// entries that are taken back are not (undoing must not open a folder to
// everyone again).
#pragma once

#include <string>
#include <vector>

#include "util/access_list.h"

// BUILTIN\Users (S-1-5-32-545), Modify, inherited by the folder's folders
// and files: the data folder's entry.
inline constexpr TAllowEntry kUsersModifyInherited{WinBuiltinUsersSid, kModifyRights, TInheritance::FoldersAndFiles};
// BUILTIN\Users, Modify, on one file: a settings file's entry.
inline constexpr TAllowEntry kUsersModifyFile{WinBuiltinUsersSid, kModifyRights, TInheritance::ThisOnly};

// The data folder F (ending in a backslash): an earlier setup's entries that
// opened it to everyone are dropped first (the folder and everything in it
// inherit again), then Users get Modify on it, inherited by what is below,
// the batch folders made after it included. Nothing when F is not an
// existing folder. A list that cannot be changed is logged, and the
// installation goes on, as it always has when permissions could not be set.
void GrantFolderPermissions(const std::wstring& folder);

// The product's settings files, which it rewrites as it runs: System.ini and
// the other .ini files of D and of D + "Lang\", each given Users Modify on
// itself alone.
void GrantSettingsFilePermissions(const std::wstring& destination);

// Before anything is extracted into D or started from it: when an earlier
// setup opened D to users (an entry of its own that lets them write), D and
// everything in it inherit the list of the folder above again, and each
// file there that Windows would load or run as code but no installation put
// there (neither among payloadPaths, the payload's entries relative to D, nor
// in the earlier Uninstall.log and System.ini) is named in the log as a
// warning, since it may have been planted while the folder was open. Links
// inside D are never followed. Raises EOSError when D's own list cannot be
// restored: nothing is installed into a folder users may change.
void RestoreProgramFolderAccess(const std::wstring& destination, const std::vector<std::wstring>& payloadPaths);
