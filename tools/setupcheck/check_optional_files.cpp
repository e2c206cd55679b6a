#include "checks.h"

#include "text_encoding.h"
#include "ui/jpeg.h"
#include "util/text_lines.h"
#include "windows_names.h"

namespace setupcheck {
namespace {

// The lines of an optional text list, or nothing when it is absent or unreadable.
std::optional<std::vector<std::wstring>> ReadList(TCheckContext& c, const std::wstring& file) {
    const std::optional<std::wstring> path = c.Find(file);
    if (!path) return std::nullopt;
    const std::optional<std::string> bytes = ReadSetupFile(c, {file, L"", L"", L""}, *path);
    if (!bytes) return std::nullopt;
    return SplitTextLines(DecodeListText(*bytes, c.codePage));
}

std::wstring LineNumber(size_t index) { return L"line " + std::to_wstring(index + 1); }

// Further installers: a line naming no file is skipped without a word.
void CheckSoftwareList(TCheckContext& c) {
    const std::wstring file = L"SoftwareList.dat";
    const auto lines = ReadList(c, file);
    if (!lines) return;
    for (size_t i = 0; i < lines->size(); ++i) {
        const std::wstring& line = (*lines)[i];
        if (line.empty() || c.Find(line)) continue;
        c.findings.Warning({file, L"", line, L""},
                           LineNumber(i) + L" names a file the setup folder does not hold: the installer skips it");
    }
}

// Batch folders are made below the product's data folder, one level, under
// the names as they stand.
void CheckBatchNames(TCheckContext& c) {
    const std::wstring file = L"BatchName.dat";
    const auto lines = ReadList(c, file);
    if (!lines) return;
    for (size_t i = 0; i < lines->size(); ++i) {
        const std::wstring& name = (*lines)[i];
        if (name.empty()) continue;
        const TPlace place{file, L"", name, L""};
        if (name.find(L"..") != std::wstring::npos) {
            c.findings.Error(place, LineNumber(i) + L" holds \"..\": the batch folder would lie outside the data folder");
            continue;
        }
        const std::wstring problem = WindowsNameProblem(name);
        if (!problem.empty())
            c.findings.Error(place, LineNumber(i) + L" is not a valid folder name (" + problem +
                                        L"): the installer cannot make that batch folder");
    }
}

// Help files: keys HelpFileName_1 to HelpFileName_5 of [HelpFile], paths
// relative to the setup folder, copied when they exist.
void CheckHelpFiles(TCheckContext& c) {
    const std::wstring file = L"Config.ini";
    const std::unique_ptr<TIniReader> ini = OpenSetupIni(c, {file, L"", L"", L""}, L"");
    if (!ini) return;
    for (const std::wstring& key : ini->Keys(L"HelpFile")) {
        const TPlace place{file, L"HelpFile", key, L""};
        bool read = false;
        for (int i = 1; i <= 5; ++i) read = read || SameName(key, L"HelpFileName_" + std::to_wstring(i));
        if (!read) {
            c.findings.Warning(place, L"is not read: the installer reads only HelpFileName_1 to HelpFileName_5");
            continue;
        }
        const std::wstring value = ini->ReadString(L"HelpFile", key);
        if (!value.empty() && !c.Find(value))
            c.findings.Warning(place, L"names \"" + value + L"\", which the setup folder does not hold: no help file is copied");
    }
}

// The welcome picture: one that does not decode stops the wizard's start-up
// with an error box.
void CheckPicture(TCheckContext& c) {
    const std::wstring file = L"Lang\\setup.jpg";
    const std::optional<std::wstring> path = c.Find(file);
    if (!path) return;
    const TPlace place{file, L"", L"", L""};
    const std::optional<std::string> bytes = ReadSetupFile(c, place, *path);
    if (!bytes) return;
    try {
        DecodeJpeg(*bytes);
    } catch (const EJpegError& error) {
        c.findings.Error(place, L"does not decode (\"" + error.Message() +
                                    L"\"): the wizard's start-up stops at it with an error box");
    }
}

}  // namespace

void CheckOptionalFiles(TCheckContext& c) {
    CheckSoftwareList(c);
    CheckBatchNames(c);
    CheckHelpFiles(c);
    CheckPicture(c);
}

}  // namespace setupcheck
