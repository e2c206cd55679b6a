// setupcheck: checks a setup folder before it ships, for the faults that
// would otherwise show only in the field (an empty button, a format error in
// front of the user, a language that disappears, a payload that installs
// nothing).
//   setupcheck [--json] [--code-page N] SETUPFOLDER
// Exit status: 0 clean, 1 warnings only, 2 errors (or a folder that is none,
// or a usage error).
#pragma once

#include <string>
#include <vector>

#include "findings.h"

namespace setupcheck {

// Every finding about the setup folder, in the order the checks run; 8-bit
// files are read in codePage where the platform leaves that open.
std::vector<TFinding> CheckSetupFolder(const std::wstring& folder, unsigned codePage);

// The command with its arguments (without the program's name): the report
// goes to out, usage errors to err; the result is the exit status.
int RunSetupCheck(const std::vector<std::wstring>& arguments, std::string& out, std::string& err);

}  // namespace setupcheck
