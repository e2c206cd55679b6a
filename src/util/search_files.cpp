#include "util/search_files.h"

#include "util/file_ops.h"
#include "util/message_pump.h"
#include "util/path.h"

void SearchFiles(const std::wstring& folder, TWideStringList& list, const std::wstring& mask,
                 const std::vector<std::wstring>& excludedNames, bool namesOnly, bool mark) {
    const std::wstring base = IncludeBackslash(folder);
    TFindEntry entry;

    // Every match of the mask, hidden and system entries and folders included.
    TFindEntries matches(base + mask, faAnyFile);
    while (matches.Next(entry)) {
        if (namesOnly) {
            if (!NameInList(entry.name, excludedNames)) list.Add(ChangeExtension(entry.name, L""), mark ? 1 : 0);
        } else {
            list.Add(base + entry.name, mark ? 1 : 0);
        }
        // A long search keeps the window painted and responsive.
        ProcessPendingMessages();
    }

    // Then the visible sub-folders, depth first, with the plain options.
    TFindEntries folders(base + L"*.*", faDirectory);
    while (folders.Next(entry)) {
        if ((entry.attributes & faDirectory) && !IsDotEntry(entry.name)) SearchFiles(base + entry.name, list, mask);
    }
}
