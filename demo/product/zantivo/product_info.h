// What the product's window shows: its name, where it is installed and in
// which language. Everything is read from the program's own folder (the
// language catalogue "lang\Language.ini", whose "Languare" the installer
// writes, and that language's text file), never from the program's file
// name, so the program works as Zantivo.exe and under the name a rebranded
// installation gives it.
#pragma once

#include <string>

struct TProductInfo {
    std::wstring name;           // "Res" 00000_00000, or "Zantivo"
    std::wstring heading;        // "FormRes" 00000000001, or the name
    std::wstring tagline;        // "FormRes" 00000000396, the product's slogan
    std::wstring folder;         // the program's folder, ending in a backslash
    std::wstring language;       // the installed language's display name, in that language
    std::wstring abbreviation;   // the installed language's abbreviation ("DE")
    std::wstring folderLabel;    // "Res" 00000_00002, or "Installed in:"
    std::wstring languageLabel;  // "Res" 00000_00003, or "Language:"
    std::wstring closeCaption;   // "FormRes" 00000000002, or "Close"

    // The lines of the window's information text.
    std::wstring FolderLine() const;
    std::wstring LanguageLine() const;
};

TProductInfo ReadProductInfo(const std::wstring& programPath);
