// Windows' rules for one file or folder name, for the names a setup folder
// makes the installer create: batch folders, the renamed program and its
// links, the payload's entries.
#pragma once

#include <string>

namespace setupcheck {

// Why Windows cannot create a file or folder of this name (one component,
// no separators allowed), or the empty text when it can.
std::wstring WindowsNameProblem(const std::wstring& name);

}  // namespace setupcheck
