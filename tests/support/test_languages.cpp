#include "support/test_languages.h"

#include <cwchar>

#include "support/temp_folder.h"

namespace {

// Message texts: 1 to 4, 6 to 9 and 15 are formatted with the product name.
std::wstring ResFile(const std::wstring& language, const std::wstring& alternateName) {
    std::wstring text = L"[Res]\r\n";
    for (int id = 1; id <= 24; ++id) {
        wchar_t key[16];
        swprintf(key, 16, L"00000_%05d", id);
        std::wstring value = language + L" message " + std::to_wstring(id);
        if ((id <= 9 && id != 5) || id == 15) value += L" for %s";
        if (id == 19) value += L" %s";  // the status line, formatted with the file
        if (id == 23) value = alternateName;
        if (id == 24) value = L"";
        text += std::wstring(key) + L"=" + value + L"\r\n";
    }
    return text + L"[FormRes]\r\nT1=" + language + L" caption\r\nT2=" + language + L" &Next\r\nT3=" + language +
           L" heading\r\nT4=" + language + L" instruction\r\nT5=" + language + L" language\r\nT6=" + language +
           L" &Back\r\n";
}

}  // namespace

void WriteTestLanguages(const std::wstring& setupFolder, const std::wstring& start, const std::wstring& alternateName) {
    MakeFolders(setupFolder + L"lang");
    WriteUtf16File(setupFolder + L"lang\\Language.ini",
                   L"[System]\r\nLanguageList=EN||DE\r\nLanguare=0\r\nEN=English||German\r\nDE=Englisch||Deutsch\r\n"
                   L"[Abbreviate]\r\n2057=" + start + L"\r\n");
    WriteUtf16File(setupFolder + L"lang\\FormRes.ini",
                   L"[Form1]\r\nCaption=T1\r\nButtonNext1=T2\r\nButtonNext2=T2\r\nButtonPrior2=T6\r\nLabel3=T3\r\n"
                   L"Label4=T4\r\nlbl1=T5\r\n");
    WriteUtf16File(setupFolder + L"lang\\ResEN.ini", ResFile(L"EN", alternateName));
    WriteUtf16File(setupFolder + L"lang\\ResDE.ini", ResFile(L"DE", alternateName));
}
