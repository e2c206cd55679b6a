// What folders hold, each read once. A step that asks of thousands of files
// whether they are there (the journal before an extraction, the commit after
// it) reads each folder in one go instead of asking the system once per
// file: under Wine every such question is a round trip to the server, and on
// Windows a transition into the kernel.
#pragma once

#include <string>
#include <unordered_map>

class TFolderListing {
public:
    enum class TState { Read, Missing, Unreadable };

    // Reads the folder (ending in a backslash).
    explicit TFolderListing(const std::wstring& folder);

    TState State() const { return state_; }
    // Whether an entry of that name (a file or a folder; letter case ignored) is there.
    bool Has(const std::wstring& name) const;
    bool HasFolder(const std::wstring& name) const;
    // The caller put an entry there, or took one away.
    void Added(const std::wstring& name, bool isFolder = false);
    void Removed(const std::wstring& name);

private:
    TState state_ = TState::Unreadable;
    std::unordered_map<std::wstring, bool> entries_;  // upper-case name: whether it is a folder
};

// The listings of any number of folders, each read the first time it is asked for.
class TFolderListings {
public:
    // The listing of the folder a path lies in, and the path's name in it.
    TFolderListing& OfFolderOf(const std::wstring& path, std::wstring& name);

private:
    std::unordered_map<std::wstring, TFolderListing> listings_;  // by upper-case folder
};
