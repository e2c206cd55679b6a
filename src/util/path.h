// Path and name text operations. Paths are wide text; the separators are the
// backslash and the colon (the forward slash is not one).
#pragma once

#include <string>
#include <vector>

// Up to and including the last backslash or colon; empty when there is none.
std::wstring ExtractFolder(const std::wstring& path);
// After the last backslash or colon; the whole path when there is none.
std::wstring ExtractName(const std::wstring& path);
// Replaces the extension (from the last "." after the last separator) with
// extension; an empty extension strips it; without such a "." appends it.
std::wstring ChangeExtension(const std::wstring& name, const std::wstring& extension);
// The path with a final backslash (an empty path gives "\").
std::wstring IncludeBackslash(const std::wstring& path);
bool IsDotEntry(const std::wstring& name);
// Every occurrence of pattern, case-sensitive, left to right; the replacement
// is not searched again. An empty pattern changes nothing.
std::wstring ReplaceAll(const std::wstring& text, const std::wstring& pattern, const std::wstring& replacement);
// The platform's upper-casing of the whole text.
std::wstring UpperCaseW(const std::wstring& text);
// True when name equals an entry of names, ignoring letter case.
bool NameInList(const std::wstring& name, const std::vector<std::wstring>& names);
