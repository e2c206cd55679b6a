// What the setup made for the product outside its folder: the Apps &
// Features entry, the InstallPath value of the product's key, and the
// shortcuts on the desktop and in the Start menu, the user's and every
// user's. The uninstaller removes them once the product's files are gone,
// and only what belongs to its own folder: an entry or value that names
// another folder (the product installed twice) and a link whose target lies
// elsewhere stay.
#pragma once

#include <string>
#include <vector>

struct TLinkFolder {
    std::wstring path;  // a folder of links, ending in a backslash
    bool groups;        // its direct subfolders (program groups) too
};

struct TOutsideTraces {
    bool appsAndFeatures = false;         // the entry was removed
    bool installPath = false;             // the value was removed
    std::vector<std::wstring> links;      // the links removed
    std::vector<std::wstring> groups;     // the program groups they left empty, removed
};

// Whether path lies below folder (a full path ending in a backslash), by the
// system's full form of both and its letter-case rule.
bool LiesInside(const std::wstring& path, const std::wstring& folder);

// Deletes every link (".lnk") in the folders, and in the program groups of
// those that have them, whose target lies inside productFolder, then each
// program group this leaves empty.
void RemoveLinksInto(const std::wstring& productFolder, const std::vector<TLinkFolder>& linkFolders,
                     TOutsideTraces& removed);

// The desktop, Start menu and Programs folders of the current user and of
// every user, as the shell names them (those it has).
std::vector<TLinkFolder> ShellLinkFolders();

// Everything above for the product installed in folder under productName
// (the key names the setup gave): HKEY_LOCAL_MACHINE's Apps & Features key
// when its InstallLocation is folder, the current user's InstallPath value
// when it is folder (and the product's key when that leaves it empty), and
// the links of ShellLinkFolders(). COM must be initialised.
TOutsideTraces RemoveOutsideTraces(const std::wstring& folder, const std::wstring& productName);
