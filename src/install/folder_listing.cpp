#include "install/folder_listing.h"

#include <windows.h>

#include "util/handles.h"
#include "util/path.h"

TFolderListing::TFolderListing(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    UniqueHFind find(FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                      nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
        const DWORD error = GetLastError();
        // A drive's root lists no "." entry, so an empty one finds nothing.
        if (error == ERROR_FILE_NOT_FOUND) state_ = TState::Read;
        else if (error == ERROR_PATH_NOT_FOUND) state_ = TState::Missing;
        return;
    }
    do {
        if (!IsDotEntry(data.cFileName)) Added(data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileW(find.get(), &data));
    state_ = GetLastError() == ERROR_NO_MORE_FILES ? TState::Read : TState::Unreadable;
}

bool TFolderListing::Has(const std::wstring& name) const { return entries_.contains(UpperCaseW(name)); }

bool TFolderListing::HasFolder(const std::wstring& name) const {
    const auto entry = entries_.find(UpperCaseW(name));
    return entry != entries_.end() && entry->second;
}

void TFolderListing::Added(const std::wstring& name, bool isFolder) { entries_[UpperCaseW(name)] = isFolder; }

void TFolderListing::Removed(const std::wstring& name) { entries_.erase(UpperCaseW(name)); }

TFolderListing& TFolderListings::OfFolderOf(const std::wstring& path, std::wstring& name) {
    const size_t slash = path.find_last_of(L'\\');
    const std::wstring folder = path.substr(0, slash + 1);
    name = path.substr(slash + 1);
    const std::wstring key = UpperCaseW(folder);
    auto listing = listings_.find(key);
    if (listing == listings_.end()) listing = listings_.emplace(key, TFolderListing(folder)).first;
    return listing->second;
}
