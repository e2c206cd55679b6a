#include "util/path.h"

#include <windows.h>

namespace {

size_t LastSeparator(const std::wstring& path) { return path.find_last_of(L"\\:"); }

}  // namespace

std::wstring ExtractFolder(const std::wstring& path) {
    size_t sep = LastSeparator(path);
    return sep == std::wstring::npos ? std::wstring() : path.substr(0, sep + 1);
}

std::wstring ExtractName(const std::wstring& path) {
    size_t sep = LastSeparator(path);
    return sep == std::wstring::npos ? path : path.substr(sep + 1);
}

std::wstring ChangeExtension(const std::wstring& name, const std::wstring& extension) {
    size_t dot = name.find_last_of(L"\\:.");
    if (dot == std::wstring::npos || name[dot] != L'.') return name + extension;
    return name.substr(0, dot) + extension;
}

std::wstring IncludeBackslash(const std::wstring& path) {
    if (!path.empty() && path.back() == L'\\') return path;
    return path + L'\\';
}

bool IsDotEntry(const std::wstring& name) { return name == L"." || name == L".."; }

std::wstring ReplaceAll(const std::wstring& text, const std::wstring& pattern, const std::wstring& replacement) {
    if (pattern.empty()) return text;
    std::wstring result;
    size_t from = 0;
    for (size_t at; (at = text.find(pattern, from)) != std::wstring::npos; from = at + pattern.size()) {
        result.append(text, from, at - from);
        result += replacement;
    }
    result.append(text, from, std::wstring::npos);
    return result;
}

std::wstring UpperCaseW(const std::wstring& text) {
    std::wstring upper = text;
    if (!upper.empty()) CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    return upper;
}

bool NameInList(const std::wstring& name, const std::vector<std::wstring>& names) {
    for (const std::wstring& entry : names) {
        if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, name.c_str(), static_cast<int>(name.size()),
                           entry.c_str(), static_cast<int>(entry.size())) == CSTR_EQUAL)
            return true;
    }
    return false;
}
