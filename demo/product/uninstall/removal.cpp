#include "uninstall/removal.h"

#include <windows.h>

#include <algorithm>
#include <optional>

#include "uninstall/inside_folder.h"

namespace {

// Tries every folder between folder and the removed files, deepest first;
// the system refuses those that still hold anything.
void RemoveEmptiedFolders(const std::wstring& folder, const std::vector<std::wstring>& removedFiles) {
    std::vector<std::wstring> folders;
    for (const std::wstring& file : removedFiles)
        for (size_t i = file.find(L'\\', folder.size()); i != std::wstring::npos; i = file.find(L'\\', i + 1))
            folders.push_back(file.substr(0, i));
    // Longer paths first, so that a folder comes before its parent; equal
    // paths next to each other, so that each is tried once.
    std::sort(folders.begin(), folders.end(), [](const std::wstring& a, const std::wstring& b) {
        return a.size() != b.size() ? a.size() > b.size() : a < b;
    });
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    for (const std::wstring& emptied : folders) RemoveDirectoryW(emptied.c_str());
}

}  // namespace

TRemovalResult RemoveInstalledFiles(const std::wstring& folder, const std::vector<std::wstring>& entries,
                                    const std::wstring& keep) {
    TRemovalResult result;
    for (const std::wstring& entry : entries) {
        std::optional<std::wstring> path = ResolveInsideFolder(folder, entry);
        if (!path) {
            ++result.ignored;
            continue;
        }
        if (SamePath(*path, keep)) continue;
        DWORD attributes = GetFileAttributesW(path->c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ++result.missing;
            continue;
        }
        if (attributes & FILE_ATTRIBUTE_READONLY)
            SetFileAttributesW(path->c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        if (DeleteFileW(path->c_str())) result.removed.push_back(*path);
        else result.failed.push_back(*path);
    }
    RemoveEmptiedFolders(folder, result.removed);
    return result;
}
