#include "setup_check.h"

#include <filesystem>

#include "checks.h"
#include "localisation/ini_integer.h"
#include "util/error.h"

namespace setupcheck {

std::vector<TFinding> CheckSetupFolder(const std::wstring& folder, unsigned codePage) {
    TCheckContext c{FolderPath(folder), codePage, {}};
    std::error_code error;
    if (!std::filesystem::is_directory(FsPath(c.folder), error)) {
        c.findings.Error({}, L"\"" + folder + L"\" is not a folder");
        return c.findings.List();
    }
    std::vector<TLanguage> languages = CheckCatalogue(c);
    CheckMessageTexts(c, languages);
    CheckFormTexts(c, languages);
    CheckPayload(c);
    CheckOptionalFiles(c);
    return c.findings.List();
}

int RunSetupCheck(const std::vector<std::wstring>& arguments, std::string& out, std::string& err) {
    const char usage[] = "usage: setupcheck [--json] [--code-page N] SETUPFOLDER\n";
    bool json = false;
    unsigned codePage = DefaultCodePage();
    std::wstring folder;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& a = arguments[i];
        if (a == L"--json") {
            json = true;
        } else if (a == L"--code-page") {
            int number = 0;
            if (++i >= arguments.size() || !ParseIniInteger(arguments[i], number) || number <= 0 ||
                !CodePageKnown(static_cast<unsigned>(number))) {
                err += std::string("setupcheck: --code-page needs the number of a code page this system converts\n") + usage;
                return 2;
            }
            codePage = static_cast<unsigned>(number);
        } else if (a == L"-h" || a == L"--help") {
            out += usage;
            return 0;
        } else if (a.empty() || a[0] == L'-' || !folder.empty()) {
            err += "setupcheck: unexpected argument \"" + WideToUtf8(a) + "\"\n";
            err += usage;
            return 2;
        } else {
            folder = a;
        }
    }
    if (folder.empty()) {
        err += usage;
        return 2;
    }
    const std::vector<TFinding> findings = CheckSetupFolder(folder, codePage);
    out += json ? ReportJson(findings) : ReportLines(findings);
    return ExitCodeOf(findings);
}

}  // namespace setupcheck
