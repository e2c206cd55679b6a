// Where a journal may make changes, checked when a record is written and
// again when it is played: a damaged or planted journal must never make the
// rollback delete or move anything but what the installation itself made or
// moved aside.
#pragma once

#include <string>
#include <vector>

// A plain absolute path: a drive letter and ":\" or a "\\server\share\"
// path, no device or "\\?\" form, no "." or ".." component, no wildcard, no
// stream (":" after the drive), no control character.
bool IsPlainAbsolutePath(const std::wstring& path);
// Whether path is one of places (a place ending in a backslash is a folder
// and holds everything below it; any other place is a single file), ignoring
// letter case.
bool LiesInPlaces(const std::wstring& path, const std::vector<std::wstring>& places);
// Whether aside is a name the journal gives a moved-aside file of path: the
// same path followed by ".setup-earlier" and, from the second one on, a number.
bool IsAsideOf(const std::wstring& aside, const std::wstring& path);
