#include "zantivo/product_info.h"

#include "localisation/multi_language.h"
#include "util/path.h"

namespace {

std::wstring OrDefault(std::wstring text, const wchar_t* fallback) { return text.empty() ? fallback : text; }

}  // namespace

std::wstring TProductInfo::FolderLine() const { return folderLabel + L" " + folder; }

std::wstring TProductInfo::LanguageLine() const {
    if (language.empty()) return languageLabel + L" " + abbreviation;
    if (abbreviation.empty()) return languageLabel + L" " + language;
    return languageLabel + L" " + language + L" (" + abbreviation + L")";
}

TProductInfo ReadProductInfo(const std::wstring& programPath) {
    // The product's lang\ folder has the setup's layout, so the setup's
    // catalogue reads it; it starts in the stored language ("Languare").
    TMultiLanguage catalogue(programPath);
    TProductInfo info;
    info.folder = ExtractFolder(programPath);
    info.abbreviation = catalogue.CurrentAbbreviation();
    for (size_t i = 0; i < catalogue.LanguageNames.Count(); ++i)
        if (catalogue.LanguageNames.Tag(i) == catalogue.CurrentIndex) info.language = catalogue.LanguageNames[i];
    info.name = OrDefault(catalogue.GetText(L"00000_00000"), L"Zantivo");
    info.heading = OrDefault(catalogue.GetFormText(L"00000000001"), info.name.c_str());
    info.tagline = catalogue.GetFormText(L"00000000396");
    info.folderLabel = OrDefault(catalogue.GetText(L"00000_00002"), L"Installed in:");
    info.languageLabel = OrDefault(catalogue.GetText(L"00000_00003"), L"Language:");
    info.closeCaption = OrDefault(catalogue.GetFormText(L"00000000002"), L"Close");
    return info;
}
