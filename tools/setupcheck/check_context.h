// What every check of a setup folder shares: the folder, the code page of
// its 8-bit files, the findings so far, and opening its files the way the
// installer does, with a finding when a file is missing, unreadable or in
// an encoding Windows does not read.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ascii_case.h"
#include "findings.h"
#include "ini_reader.h"
#include "platform.h"

namespace setupcheck {

struct TCheckContext {
    std::wstring folder;  // ends in a separator
    unsigned codePage;
    TFindings findings;

    std::optional<std::wstring> Find(const std::wstring& relative) const { return FindFile(folder, relative); }
};

// The bytes of a file of the setup folder (found at path); an error finding
// and nothing when it cannot be read.
std::optional<std::string> ReadSetupFile(TCheckContext& c, const TPlace& place, const std::wstring& path);

// An INI file of the setup folder, or null: when it is missing (an error
// with whenMissing unless that is empty), unreadable, or in an encoding the
// installer cannot read. Findings about its encoding are made on the way.
std::unique_ptr<TIniReader> OpenSetupIni(TCheckContext& c, const TPlace& place, const std::wstring& whenMissing);

}  // namespace setupcheck
