// What a program's version resource says about it.
#pragma once

#include <optional>
#include <string>

struct TVersionInfo {
    std::wstring productVersion;  // "ProductVersion", else the fixed product version "a.b.c.d"
    std::wstring companyName;     // "CompanyName"; empty when the resource has none
};

// The version resource of the file at path; nothing when it has none.
std::optional<TVersionInfo> ReadVersionInfo(const std::wstring& path);
