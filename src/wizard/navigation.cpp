// Moving between the first three pages, and the destination folder: the box
// EditDir is the one place it lives, checked and created when the user
// leaves the destination page (the folders made for it are remembered).
#include "wizard/U1.h"

#include <windows.h>

#include <vector>

#include "ui/dialogs.h"
#include "util/code_page.h"
#include "wizard/destination_folder.h"
#include "wizard/product.h"

bool CreateFolderChain(const std::string& path) {
    const std::wstring wide = AnsiToWide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
    if (CreateDirectoryW(wide.c_str(), nullptr)) return true;
    // The parent ends at the last separator before the final character (the
    // trailing backslash), searched no further left than the fourth character.
    for (size_t i = path.size() >= 2 ? path.size() - 2 : 0; i >= 3 && i < path.size(); --i) {
        if (path[i] != '\\' && path[i] != '/') continue;
        const std::string parent = path.substr(0, i + 1);
        return CreateFolderChain(parent) && CreateDirectoryW(wide.c_str(), nullptr);
    }
    return false;
}

namespace {

// The levels of folder (ending in a backslash) that do not exist, parents first.
std::vector<std::wstring> MissingFolders(const std::wstring& folder) {
    std::vector<std::wstring> missing;
    std::wstring level = folder;
    while (level.size() > 3) {
        if (level.back() == L'\\') level.pop_back();
        if (GetFileAttributesW(level.c_str()) != INVALID_FILE_ATTRIBUTES) break;
        missing.insert(missing.begin(), level);
        const size_t slash = level.find_last_of(L'\\');
        if (slash == std::wstring::npos) break;
        level.resize(slash + 1);
    }
    return missing;
}

}  // namespace

bool BrowseForFolder(const std::string& title, std::string& folder) {
    folder.clear();
    try {
        std::optional<std::wstring> chosen = Dialogs().BrowseForFolder(title);
        if (!chosen) return false;
        folder = WideToAnsi(*chosen);
        if (!folder.empty() && folder.back() != '\\') folder += '\\';
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void TForm1::ButtonNext1Click(TControl&) {
    Label4->SetText(L"");
    Label3->SetText(L"");
    ShowPage(PageControl1->ActivePageIndex() + 1);
}

void TForm1::ButtonPrior2Click(TControl&) { ShowPage(PageControl1->ActivePageIndex() - 1); }

void TForm1::ButtonPrior3Click(TControl&) { ShowPage(PageControl1->ActivePageIndex() - 1); }

void TForm1::ButtonChgDirClick(TControl&) {
    std::string folder;
    if (BrowseForFolder(WideToAnsi(catalogue_.GetText(L"00000_00014")), folder))
        EditDir->SetText(AnsiToWide(folder) + kProductFolder + L"\\");
}

void TForm1::ButtonNext2Click(TControl&) {
    std::wstring folder = EditDir->Text();
    if (!folder.empty() && folder.back() != L'\\') {
        folder += L'\\';
        EditDir->SetText(folder);
    }
    // A folder the ANSI code page cannot name exactly is refused, never
    // created under a look-alike name.
    const std::optional<std::string> narrow = WideToAnsiExact(folder);
    const std::vector<std::wstring> missing = MissingFolders(folder);
    if (!narrow || !CreateFolderChain(*narrow))
        throw EError(AnsiToWide(WideToAnsi(catalogue_.GetText(L"00000_00010"))));
    // Made here for the destination: an installation that is undone, or a
    // wizard left before it installs, removes them again.
    foldersMadeForDestination_.insert(foldersMadeForDestination_.end(), missing.begin(), missing.end());

    const std::wstring paragraph = L"\r\n\r\n";
    MemoInfo->SetText(catalogue_.GetText(L"00000_00011") + paragraph + catalogue_.GetText(L"00000_00012") + paragraph +
                      catalogue_.GetText(L"00000_00013") + paragraph + L"    " + EditDir->Text() + paragraph);
    ShowPage(PageControl1->ActivePageIndex() + 1);
}
