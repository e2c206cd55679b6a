// The destination folder's two routines: making a folder with its missing
// parents, and the folder dialog behind the Change button.
#pragma once

#include <string>

// Creates the folder (8-bit text in the ANSI code page) and every missing
// parent, outermost first; true when it exists afterwards. Parents are found
// at "\" or "/", never among the first three characters (a drive like "C:\").
bool CreateFolderChain(const std::string& path);

// Lets the user pick a file-system folder, with the 8-bit title shown in the
// dialog. True when the dialog returned a folder (then ending in a backslash
// unless the system gave no path); false when cancelled. Errors are swallowed.
bool BrowseForFolder(const std::string& title, std::string& folder);
