#include "findings.h"

#include <algorithm>
#include <cstdio>

#include "util/error.h"

namespace setupcheck {
namespace {

const char* SeverityName(TSeverity severity) { return severity == TSeverity::Error ? "error" : "warning"; }

std::string JsonString(const std::wstring& text) {
    std::string out = "\"";
    for (unsigned char c : WideToUtf8(text)) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string Count(size_t n, const char* noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

}  // namespace

int ExitCodeOf(const std::vector<TFinding>& findings) {
    int code = 0;
    for (const TFinding& finding : findings) code = std::max(code, finding.severity == TSeverity::Error ? 2 : 1);
    return code;
}

std::string ReportLines(const std::vector<TFinding>& findings) {
    std::string out;
    size_t errors = 0;
    for (const TFinding& f : findings) {
        if (f.severity == TSeverity::Error) ++errors;
        std::wstring line = f.place.file.empty() ? L"setup folder" : f.place.file;
        if (!f.place.section.empty()) line += L" [" + f.place.section + L"]";
        if (!f.place.key.empty()) line += L" " + f.place.key;
        if (!f.place.language.empty()) line += L" (" + f.place.language + L")";
        out += std::string(SeverityName(f.severity)) + ": " + WideToUtf8(line + L": " + f.message) + "\n";
    }
    if (findings.empty()) return out + "setupcheck: clean, no findings\n";
    return out + "setupcheck: " + Count(errors, "error") + ", " + Count(findings.size() - errors, "warning") + "\n";
}

std::string ReportJson(const std::vector<TFinding>& findings) {
    std::string out = "[";
    for (size_t i = 0; i < findings.size(); ++i) {
        const TFinding& f = findings[i];
        out += i ? ",\n  " : "\n  ";
        out += std::string("{\"severity\": \"") + SeverityName(f.severity) + "\", \"file\": " + JsonString(f.place.file) +
               ", \"section\": " + JsonString(f.place.section) + ", \"key\": " + JsonString(f.place.key) +
               ", \"language\": " + JsonString(f.place.language) + ", \"message\": " + JsonString(f.message) + "}";
    }
    return out + (findings.empty() ? "]\n" : "\n]\n");
}

}  // namespace setupcheck
