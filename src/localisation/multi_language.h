// The language catalogue: which languages the setup folder's "lang\" offers
// (Language.ini), which one is current, where each one's text file lies, and
// which one to start with. One instance lives from program start to end.
#pragma once

#include <memory>
#include <string>

#include "localisation/ini_file.h"
#include "util/string_list.h"

class TComponent;

class TMultiLanguage {
public:
    // The catalogue of the running program's setup folder.
    TMultiLanguage();
    // The catalogue of the setup program at setupProgramPath (its folder is
    // the setup folder).
    explicit TMultiLanguage(const std::wstring& setupProgramPath);
    ~TMultiLanguage();
    TMultiLanguage(const TMultiLanguage&) = delete;
    TMultiLanguage& operator=(const TMultiLanguage&) = delete;

    // The language to start with, from section "Abbreviate" ("1042", then "2057").
    int StartLanguageIndex() const;
    // Makes the language current when its text file exists; otherwise nothing.
    void SetLanguage(int index);
    // The text file of a language; empty for a number outside the list.
    std::wstring ResFilePath(int index) const;
    // The current language's abbreviation, or empty when there are none.
    std::wstring CurrentAbbreviation() const;

    // A message text: key id of section "Res" of the current language's text
    // file, read afresh; empty without a language or for an empty id.
    std::wstring GetText(const std::wstring& id) const;
    // A control text: key id of section "FormRes" of the current language.
    std::wstring GetFormText(const std::wstring& id) const;
    // The text of a control by the two-step lookup: its id from FormRes.ini
    // (section, key), then that id's text in the current language.
    std::wstring LookupFormText(const std::wstring& section, const std::wstring& key) const;
    // Applies the current language's texts to a form and its components.
    void ApplyToForm(TComponent& form) const;

    // The accessor of the current language's text file, or null while no
    // language is loaded (for the text lookups).
    const TIniFile* ResIni() const { return resIni_.get(); }
    const std::wstring& SetupFolderPath() const { return setupFolder_; }

    std::wstring LanguageIniPath;
    int CurrentIndex = 0;
    TWideStringList Languages;
    TWideStringList LanguageNames;
    std::wstring ResFileName;
    std::wstring FormResPath;

private:
    void LoadCatalogue();
    void LoadLanguageNames(const TIniFile& catalogue, int index);

    std::wstring setupFolder_;
    std::unique_ptr<TIniFile> resIni_;
};

// The program-wide catalogue, made on first use (the program's entry makes it
// before any window) and kept until the process ends.
TMultiLanguage& MultiLanguage();
