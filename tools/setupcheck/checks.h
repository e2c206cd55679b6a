// The checks of a setup folder, one file each, in the order they run.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "check_context.h"

namespace setupcheck {

// A language that lang\Language.ini offers.
struct TLanguage {
    std::wstring abbreviation;
    std::wstring textFile;              // "lang\Res<abbreviation>.ini"; empty when no file can have its name
    std::unique_ptr<TIniReader> texts;  // null until opened, or when it cannot be read
};

// lang\Language.ini: the languages, the start language, display names, [Abbreviate].
std::vector<TLanguage> CheckCatalogue(TCheckContext& c);
// Each language's text file: present, readable, decodable, every message
// text there and fit for the way it is shown; the alternate product name.
void CheckMessageTexts(TCheckContext& c, std::vector<TLanguage>& languages);
// lang\FormRes.ini: controls that exist and take texts, ids in every language.
void CheckFormTexts(TCheckContext& c, const std::vector<TLanguage>& languages);
// Setup.dat: opens, every entry decrypts and passes its CRC, the expected
// files are there, no entry name that the installer changes.
void CheckPayload(TCheckContext& c);
// SoftwareList.dat, BatchName.dat, Config.ini and Lang\setup.jpg.
void CheckOptionalFiles(TCheckContext& c);

}  // namespace setupcheck
