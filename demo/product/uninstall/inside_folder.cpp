#include "uninstall/inside_folder.h"

#include <windows.h>

#include <algorithm>

namespace {

bool DotsAndBlanksOnly(const std::wstring& part) { return part.find_first_not_of(L". ") == std::wstring::npos; }

bool HasFolderPrefix(const std::wstring& path, const std::wstring& folder) {
    return path.size() > folder.size() &&
           CompareStringOrdinal(path.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                                static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL;
}

bool IsLinkedFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

}  // namespace

std::wstring FullPath(const std::wstring& path) {
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return {};
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    full.resize(n);
    return full;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

std::optional<std::wstring> ResolveInsideFolder(const std::wstring& folder, const std::wstring& entry) {
    std::wstring relative = entry;
    std::replace(relative.begin(), relative.end(), L'/', L'\\');
    if (relative.empty() || relative.front() == L'\\' || relative.find(L':') != std::wstring::npos) return {};
    for (size_t start = 0;;) {
        size_t end = relative.find(L'\\', start);
        if (DotsAndBlanksOnly(relative.substr(start, end - start))) return {};
        if (end == std::wstring::npos) break;
        start = end + 1;
    }

    const std::wstring full = FullPath(folder + relative);
    if (!HasFolderPrefix(full, folder)) return {};
    for (size_t i = full.find(L'\\', folder.size()); i != std::wstring::npos; i = full.find(L'\\', i + 1))
        if (IsLinkedFolder(full.substr(0, i))) return {};
    return full;
}
