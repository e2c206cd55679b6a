// The rule that keeps the uninstaller inside its own folder, whatever a log
// entry says.
#pragma once

#include <optional>
#include <string>

// The full path that a relative entry names below folder (a full path
// ending in a backslash), or nothing when it could name anything outside:
// an empty entry, an absolute path, a drive ("C:", "C:x"), a stream (any
// ":"), a component of dots and blanks only (".", "..", "..."), a path that
// the system's own path rules resolve outside the folder (device names
// among them), or one that passes through a linked folder (a junction or a
// symbolic link may lead anywhere). "/" counts as a separator like "\".
std::optional<std::wstring> ResolveInsideFolder(const std::wstring& folder, const std::wstring& entry);

// The system's full form of a path ("" when it has none).
std::wstring FullPath(const std::wstring& path);
// Whether two paths name the same file, by the file system's letter-case rule.
bool SamePath(const std::wstring& a, const std::wstring& b);
