// The payload's entry names that the installer does not install under their
// own name: the extraction component re-roots absolute names, drops drives
// and ".." folders and turns ':' into '_' (so that nothing reaches outside the
// install folder), and Windows refuses some names outright.
#pragma once

#include <string>

namespace setupcheck {

// Why an entry (its stored name, '\' separators) would not be installed as
// its name says, or the empty text.
std::wstring EntryNameProblem(const std::wstring& path);

}  // namespace setupcheck
