// The recursive file search: every entry of a folder tree that matches a mask,
// depth first, appended to a list.
#pragma once

#include <string>
#include <vector>

#include "util/string_list.h"

// Appends to list the entries of folder matching mask, then searches each
// visible sub-folder the same way. In the starting folder only: namesOnly
// gives bare names without extension (skipping excludedNames) instead of full
// paths, and mark tags the entries 1. Pending window messages are processed
// once per match, so a large tree does not freeze the window.
void SearchFiles(const std::wstring& folder, TWideStringList& list, const std::wstring& mask,
                 const std::vector<std::wstring>& excludedNames = {}, bool namesOnly = false, bool mark = false);
