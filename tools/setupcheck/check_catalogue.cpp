#include "checks.h"

#include "localisation/ini_integer.h"
#include "localisation/text_split.h"
#include "windows_names.h"

namespace setupcheck {
namespace {

const std::wstring kCatalogue = L"lang\\Language.ini";

// Why an abbreviation cannot name its text file, or the empty text.
std::wstring AbbreviationProblem(const std::wstring& abbreviation) {
    for (wchar_t c : abbreviation)
        if (c < 0x20 || c > 0x7E)
            return L"holds characters beyond plain ASCII, and the name of its text file is made through the 8-bit "
                   L"code page";
    const std::wstring problem = WindowsNameProblem(L"Res" + abbreviation + L".ini");
    if (!problem.empty()) return L"cannot be part of the text file's name Res" + abbreviation + L".ini: " + problem;
    return L"";
}

void CheckStartLanguage(TCheckContext& c, const TIniReader& ini, const std::vector<TLanguage>& languages) {
    const std::optional<std::wstring> stored = ini.Read(L"System", L"Languare");
    if (!stored) return;
    const TPlace place{kCatalogue, L"System", L"Languare", L""};
    const std::wstring fallback = L"the installer starts in language 0 (" + languages[0].abbreviation +
                                  L") unless [Abbreviate] names another";
    int number = 0;
    if (!ParseIniInteger(*stored, number))
        c.findings.Warning(place, L"\"" + *stored + L"\" is not a number: " + fallback);
    else if (number < 0 || number >= static_cast<int>(languages.size()))
        c.findings.Warning(place, std::to_wstring(number) + L" is not a language number (0 to " +
                                      std::to_wstring(languages.size() - 1) + L"): " + fallback);
}

void CheckDisplayNames(TCheckContext& c, const TIniReader& ini, const std::vector<TLanguage>& languages) {
    const size_t count = languages.size();
    for (const TLanguage& language : languages) {
        const TPlace place{kCatalogue, L"System", language.abbreviation, language.abbreviation};
        TWideStringList names;
        SplitText(names, ini.ReadString(L"System", language.abbreviation));
        CleanList(names);
        const std::wstring counts = L"lists " + std::to_wstring(names.Count()) + L" display name" +
                                    (names.Count() == 1 ? L"" : L"s") + L" for " + std::to_wstring(count) + L" language" +
                                    (count == 1 ? L"" : L"s");
        if (names.Empty())
            c.findings.Warning(place, L"gives no display names: the language box is empty while " +
                                          language.abbreviation + L" is current");
        else if (names.Count() < count)
            c.findings.Error(place, counts + L": the languages past the last name get no item in the language box, "
                                             L"and a wizard that starts in one of them switches to the first language");
        else if (names.Count() > count)
            c.findings.Warning(place, counts + L": the installer drops the names beyond the last language");
    }
}

void CheckAbbreviate(TCheckContext& c, const TIniReader& ini, const std::vector<TLanguage>& languages) {
    for (const std::wstring& key : ini.Keys(L"Abbreviate")) {
        const std::wstring value = ini.ReadString(L"Abbreviate", key);
        if (value.empty()) continue;
        bool listed = false;
        for (const TLanguage& language : languages) listed = listed || SameName(value, language.abbreviation);
        if (listed) continue;
        std::wstring message = L"names \"" + value + L"\", which LanguageList does not list";
        if (key == L"1042" || key == L"2057")
            message += L": the installer then starts in the first language, " + languages[0].abbreviation;
        c.findings.Warning({kCatalogue, L"Abbreviate", key, L""}, message);
    }
}

}  // namespace

std::vector<TLanguage> CheckCatalogue(TCheckContext& c) {
    const std::unique_ptr<TIniReader> ini =
        OpenSetupIni(c, {kCatalogue, L"", L"", L""},
                     L"is missing: the wizard has no language, shows no message texts and keeps the form's design texts");
    if (!ini) return {};

    const TPlace listPlace{kCatalogue, L"System", L"LanguageList", L""};
    TWideStringList list;
    SplitText(list, ini->ReadString(L"System", L"LanguageList"));
    CleanList(list);
    if (list.Empty()) {
        c.findings.Error(listPlace, L"names no language: the wizard shows no message texts and keeps the form's "
                                    L"design texts");
        return {};
    }
    std::vector<TLanguage> languages;
    for (size_t i = 0; i < list.Count(); ++i) {
        const std::wstring& abbreviation = list[i];
        const std::wstring problem = AbbreviationProblem(abbreviation);
        // A language whose file name cannot be made is not looked at further.
        if (!problem.empty()) c.findings.Error({kCatalogue, L"System", L"LanguageList", abbreviation}, problem);
        languages.push_back({abbreviation, problem.empty() ? L"lang\\Res" + abbreviation + L".ini" : L"", nullptr});
    }
    CheckStartLanguage(c, *ini, languages);
    CheckDisplayNames(c, *ini, languages);
    CheckAbbreviate(c, *ini, languages);
    return languages;
}

}  // namespace setupcheck
