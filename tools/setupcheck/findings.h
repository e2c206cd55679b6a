// What the checker reports: one finding per fault, with the file, section,
// key and language it concerns, as report lines or as a JSON array, and the
// exit code they add up to.
#pragma once

#include <string>
#include <vector>

namespace setupcheck {

enum class TSeverity { Warning, Error };

// Where a finding lies; every part but the file may be empty.
struct TPlace {
    std::wstring file;      // relative to the setup folder, as the installer names it ("lang\ResEN.ini")
    std::wstring section;
    std::wstring key;       // an INI key, an archive entry, a line of a list
    std::wstring language;  // the abbreviation of the language concerned
};

struct TFinding {
    TSeverity severity;
    TPlace place;
    std::wstring message;
};

class TFindings {
public:
    void Add(TSeverity severity, TPlace place, std::wstring message) {
        list_.push_back({severity, std::move(place), std::move(message)});
    }
    void Error(TPlace place, std::wstring message) { Add(TSeverity::Error, std::move(place), std::move(message)); }
    void Warning(TPlace place, std::wstring message) { Add(TSeverity::Warning, std::move(place), std::move(message)); }
    const std::vector<TFinding>& List() const { return list_; }

private:
    std::vector<TFinding> list_;
};

// 0 without findings, 1 with warnings only, 2 with errors.
int ExitCodeOf(const std::vector<TFinding>& findings);
// One line per finding, "error: lang\ResDE.ini [Res] 00000_00007 (DE): ...",
// then a summary line; UTF-8.
std::string ReportLines(const std::vector<TFinding>& findings);
// The findings as a JSON array of objects with the keys severity, file,
// section, key, language and message; UTF-8.
std::string ReportJson(const std::vector<TFinding>& findings);

}  // namespace setupcheck
