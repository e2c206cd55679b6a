#include "localisation/multi_language.h"

#include "localisation/text_split.h"
#include "util/code_page.h"
#include "util/file_ops.h"
#include "util/path.h"

namespace {

const wchar_t kSystem[] = L"System";
const wchar_t kAbbreviate[] = L"Abbreviate";

}  // namespace

TMultiLanguage::TMultiLanguage() : TMultiLanguage(ModulePath()) {}

// The setup folder passes through the 8-bit code page: a folder whose name
// the code page cannot carry gives paths that do not exist, and the catalogue
// behaves as with missing files.
TMultiLanguage::TMultiLanguage(const std::wstring& setupProgramPath)
    : setupFolder_(ExtractFolder(AnsiToWide(WideToAnsi(setupProgramPath)))) {
    LanguageIniPath = setupFolder_ + L"lang\\Language.ini";
    LoadCatalogue();
}

TMultiLanguage::~TMultiLanguage() = default;

void TMultiLanguage::LoadCatalogue() {
    TIniFile catalogue(LanguageIniPath);
    SplitText(Languages, catalogue.ReadString(kSystem, L"LanguageList", L""));
    CleanList(Languages);
    if (Languages.Empty()) return;

    int stored = catalogue.ReadInteger(kSystem, L"Languare", 0);
    if (stored < 0 || stored >= static_cast<int>(Languages.Count())) stored = 0;
    CurrentIndex = stored;
    LoadLanguageNames(catalogue, CurrentIndex);

    FormResPath = setupFolder_ + L"lang\\FormRes.ini";
    // The file need not exist: a missing one reads as empty.
    ResFileName = ResFilePath(CurrentIndex);
    resIni_ = std::make_unique<TIniFile>(ResFileName);
}

void TMultiLanguage::LoadLanguageNames(const TIniFile& catalogue, int index) {
    SplitText(LanguageNames, catalogue.ReadString(kSystem, Languages[static_cast<size_t>(index)], L""));
    CleanList(LanguageNames);
}

int TMultiLanguage::StartLanguageIndex() const {
    TIniFile catalogue(LanguageIniPath);
    std::wstring wanted = catalogue.ReadString(kAbbreviate, L"1042", L"");
    if (wanted.empty()) wanted = catalogue.ReadString(kAbbreviate, L"2057", L"");
    for (size_t i = 0; i < Languages.Count(); ++i)
        if (NameInList(Languages[i], {wanted})) return static_cast<int>(i);
    return 0;
}

void TMultiLanguage::SetLanguage(int index) {
    std::wstring path = ResFilePath(index);
    if (path.empty() || !FileExistsW(path)) return;
    CurrentIndex = index;
    ResFileName = path;
    resIni_ = std::make_unique<TIniFile>(path);
    LoadLanguageNames(TIniFile(LanguageIniPath), index);
}

std::wstring TMultiLanguage::ResFilePath(int index) const {
    if (index < 0 || index >= static_cast<int>(Languages.Count())) return {};
    // The name is formed in 8 bits, so abbreviations are plain ASCII.
    std::string name = "Res" + WideToAnsi(Languages[static_cast<size_t>(index)]) + ".ini";
    return setupFolder_ + L"lang\\" + AnsiToWide(name);
}

std::wstring TMultiLanguage::CurrentAbbreviation() const {
    if (Languages.Empty()) return {};
    return Languages[static_cast<size_t>(CurrentIndex)];
}

std::wstring TMultiLanguage::GetText(const std::wstring& id) const {
    if (!resIni_ || id.empty()) return {};
    return resIni_->ReadString(L"Res", id, L"");
}

TMultiLanguage& MultiLanguage() {
    static TMultiLanguage catalogue;
    return catalogue;
}
