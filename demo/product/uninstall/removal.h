// Removing an installation's files from the product folder, and the folders
// that this leaves empty.
#pragma once

#include <string>
#include <vector>

struct TRemovalResult {
    std::vector<std::wstring> removed;  // full paths of the deleted files
    std::vector<std::wstring> failed;   // full paths the system refused to delete (a file in use)
    int missing = 0;                    // entries naming no file (gone since, or renamed)
    int ignored = 0;                    // entries that could name something outside the folder
};

// Deletes the files that entries name below folder (a full path ending in a
// backslash), except keep (the running uninstaller, which cannot delete its
// own file), then every folder below folder that the deletions left empty,
// deepest first. Folder itself stays. Read-only files are deleted too.
TRemovalResult RemoveInstalledFiles(const std::wstring& folder, const std::vector<std::wstring>& entries,
                                    const std::wstring& keep);
