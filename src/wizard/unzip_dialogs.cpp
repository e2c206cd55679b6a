#include "wizard/unzip_dialogs.h"

#include "ui/dialogs.h"
#include "util/code_page.h"

bool TUnZipDialogs::ChooseFolder(const std::string&, std::string& chosen) {
    std::optional<std::wstring> folder = ::Dialogs().BrowseForFolder("");
    if (!folder) return false;
    chosen = WideToAnsi(*folder);
    return true;
}

bool TUnZipDialogs::AskYesNo(const std::string& text, const std::string& caption) {
    return ::Dialogs().ShowMessageBox(AnsiToWide(text), AnsiToWide(caption), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool TUnZipDialogs::AskOkCancel(const std::string& text, const std::string& caption) {
    return ::Dialogs().ShowMessageBox(AnsiToWide(text), AnsiToWide(caption), MB_OKCANCEL) == IDOK;
}

void TUnZipDialogs::ShowMessage(const std::string& text, const std::string& caption) {
    ::Dialogs().ShowMessageBox(AnsiToWide(text), AnsiToWide(caption), MB_OK);
}
