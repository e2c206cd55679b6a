#include "install/journal_places.h"

#include <cwctype>

#include "install/installation_journal.h"
#include "util/path.h"

namespace {

bool IsDriveRoot(const std::wstring& path) {
    return path.size() >= 3 && std::iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\';
}

}  // namespace

bool IsPlainAbsolutePath(const std::wstring& path) {
    size_t start = 0;
    if (IsDriveRoot(path)) {
        start = 3;
    } else if (path.starts_with(L"\\\\") && !path.starts_with(L"\\\\?\\") && !path.starts_with(L"\\\\.\\")) {
        start = 2;
    } else {
        return false;
    }
    for (size_t i = start; i < path.size(); ++i) {
        const wchar_t c = path[i];
        if (c < 32 || c == L':' || c == L'*' || c == L'?' || c == L'"' || c == L'<' || c == L'>' || c == L'|' ||
            c == L'/')
            return false;
    }
    // Every component between backslashes: none empty (but a final
    // backslash), none "." or "..".
    size_t at = start;
    while (at < path.size()) {
        size_t end = path.find(L'\\', at);
        if (end == std::wstring::npos) end = path.size();
        const std::wstring part = path.substr(at, end - at);
        if (part.empty() || part == L"." || part == L"..") return false;
        at = end + 1;
    }
    return true;
}

bool LiesInPlaces(const std::wstring& path, const std::vector<std::wstring>& places) {
    if (!IsPlainAbsolutePath(path)) return false;
    const std::wstring upper = UpperCaseW(path);
    for (const std::wstring& place : places) {
        if (place.empty() || !IsPlainAbsolutePath(place)) continue;
        const std::wstring upperPlace = UpperCaseW(place);
        if (upperPlace.back() != L'\\') {
            if (upper == upperPlace) return true;
            continue;
        }
        // The folder itself, with or without its backslash, and everything below it.
        if (upper.starts_with(upperPlace) || upper + L"\\" == upperPlace) return true;
    }
    return false;
}

bool IsAsideOf(const std::wstring& aside, const std::wstring& path) {
    const std::wstring stem = UpperCaseW(path) + UpperCaseW(kAsideSuffix);
    const std::wstring upper = UpperCaseW(aside);
    if (!upper.starts_with(stem)) return false;
    const std::wstring number = upper.substr(stem.size());
    if (number.empty()) return true;
    if (number.size() > 6 || number[0] == L'0' || number == L"1") return false;
    for (wchar_t c : number)
        if (c < L'0' || c > L'9') return false;
    return true;
}
