#include "localisation/rebrand_res_files.h"

#include "localisation/ini_file.h"
#include "util/path.h"
#include "util/search_files.h"

void RebrandResFiles(const std::wstring& installFolder, const std::wstring& productName) {
    TWideStringList files;
    SearchFiles(installFolder, files, L"*.ini");
    for (const std::wstring& path : files.Texts())
        // Case-sensitive: FormRes.ini, Language.ini and res*.ini stay as they are.
        if (ExtractName(path).starts_with(L"Res")) RebrandResFile(path, productName);
}

void RebrandResFile(const std::wstring& fileName, const std::wstring& productName) {
    TIniFile file(fileName);
    file.WriteString(L"Res", L"00000_00000", productName);
    file.WriteString(L"Res", L"00000_00001", productName);
    file.WriteString(L"FormRes", L"00000000001", productName);
    // Read whole: this text is written back, so a cut would lose its end.
    const std::wstring text = file.ReadWholeString(L"FormRes", L"00000000396", productName);
    file.WriteString(L"FormRes", L"00000000396", ReplaceAll(text, L"Qorvix", productName));
}
