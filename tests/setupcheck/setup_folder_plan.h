// Setup folders made by the tests: a good one that checks clean, described
// as data so that each test can break one field of it before writing it out.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "unzip/crafted_archive.h"

// An INI file in the making: sections of keys, in order.
class TIniPlan {
public:
    // Replaces the key's value, or adds the key (and its section) at the end.
    TIniPlan& Set(const std::wstring& section, const std::wstring& key, const std::wstring& value);
    TIniPlan& Remove(const std::wstring& section, const std::wstring& key);
    // "[section]" and "key=value" lines, each ending in CR LF.
    std::wstring Text() const;

private:
    using Keys = std::vector<std::pair<std::wstring, std::wstring>>;
    std::vector<std::pair<std::wstring, Keys>> sections_;
};

enum class TEncoding { Ansi, Utf16Le, Utf16Be, Utf8WithMark, Utf8WithoutMark };

// Text as a file's bytes: Ansi takes characters below 256 as single bytes;
// the UTF-16 and marked forms begin with their byte-order mark.
std::string Encode(const std::wstring& text, TEncoding encoding);

struct TIniFilePlan {
    TIniPlan ini;
    TEncoding encoding;
};

struct TSetupPlan {
    std::map<std::string, TIniFilePlan> inis;  // by path, '/' separators
    std::map<std::string, std::string> files;   // any other file, by path
    std::vector<CraftedEntry> payload;          // Setup.dat, unless files holds one or this is empty

    TIniPlan& Ini(const std::string& path) { return inis.at(path).ini; }
    CraftedEntry& Entry(const std::string& name);
    void Write(const std::filesystem::path& folder) const;
};

inline const char kPayloadPassword[] = "417263";

// Languages EN (UTF-16LE) and DE (UTF-16LE, with umlauts) with every message
// text, form texts for a few controls, a payload with the product's files,
// and SoftwareList.dat, BatchName.dat and Config.ini naming what is there.
TSetupPlan GoodSetup();
