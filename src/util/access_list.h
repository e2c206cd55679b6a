// Access lists of files and folders, read and changed in the process through
// Windows' security API and shown as SDDL, the text form administrators
// audit. Groups are named by their well-known SIDs, the same in every
// language of Windows ("Everyone" is "Jeder" on German Windows), never by a
// localised name.
#pragma once

#include <windows.h>

#include <string>

// Read, write, create and delete, and run; not change the permissions, not
// take ownership (WRITE_DAC and WRITE_OWNER are not in it). SDDL 0x1301bf.
inline constexpr DWORD kModifyRights = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;

enum class TInheritance {
    ThisOnly,          // the file or folder itself
    FoldersAndFiles,   // and, inherited, everything below the folder (OI CI)
};

// An entry that allows a well-known group some rights.
struct TAllowEntry {
    WELL_KNOWN_SID_TYPE group;
    DWORD rights;
    TInheritance inheritance;
};

// The entry in SDDL, as the system writes it: "(A;OICI;0x1301bf;;;BU)".
std::wstring EntrySddl(const TAllowEntry& entry);

// The access list ("D:" and its entries) that adding the entry to the list
// daclSddl gives: the list's own entries and its inherited ones kept, in
// their order, the entry merged with an equal one or added. The same
// computation AddAllowEntry makes on a file's list; raises EOSError for a
// text that is no access list.
std::wstring DaclSddlWithEntry(const std::wstring& daclSddl, const TAllowEntry& entry);

// The access list of a file or folder as SDDL ("D:..."); empty when it
// cannot be read.
std::wstring ReadDaclSddl(const std::wstring& path);

// Adds the entry to the access list of a file or folder, keeping what is
// there (the inherited entries too); an inheritable entry reaches everything
// below. False, writing nothing, when the list has the entry already (so a
// second installation does not make Windows walk a full data folder again).
// Raises EOSError when the list cannot be read or written.
bool AddAllowEntry(const std::wstring& path, const TAllowEntry& entry);

// True when the list of a file or folder holds an entry of its own (not
// inherited) that lets anyone but Administrators, SYSTEM, the owner and
// TrustedInstaller write, delete or change permissions, or when it has no
// list at all (which lets everyone do everything). Such a list was made for
// the file, by an earlier setup that opened the folder to everyone, say.
// An entry of the tolerated group with no rights beyond the tolerated ones
// (the entry this program itself adds) does not count.
bool OpenToUsers(const std::wstring& path, const TAllowEntry* tolerated = nullptr);

// Drops the entries of the file's or folder's own list and lets it inherit
// its folder's again, as "icacls <path> /reset" does. Raises EOSError.
void ResetToInherited(const std::wstring& path);
