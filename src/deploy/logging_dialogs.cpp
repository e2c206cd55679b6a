#include "deploy/logging_dialogs.h"

#include "install/install_log.h"

namespace {

std::wstring ButtonName(int id) {
    switch (id) {
    case IDOK: return L"OK";
    case IDCANCEL: return L"Cancel";
    case IDABORT: return L"Abort";
    case IDRETRY: return L"Retry";
    case IDIGNORE: return L"Ignore";
    case IDYES: return L"Yes";
    case IDNO: return L"No";
    case IDTRYAGAIN: return L"Try Again";
    case IDCONTINUE: return L"Continue";
    }
    return L"button " + std::to_wstring(id);
}

}  // namespace

int TLoggingDialogs::ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT buttonsAndIcon) {
    LogLine(L"Message box \"" + caption + L"\": " + text);
    const int answer = person_.ShowMessageBox(text, caption, buttonsAndIcon);
    LogLine(L"Answered: " + ButtonName(answer));
    return answer;
}

bool TLoggingDialogs::ConfirmYesNo(const std::wstring& text) {
    LogLine(L"Question: " + text);
    const bool yes = person_.ConfirmYesNo(text);
    LogLine(yes ? L"Answered: Yes" : L"Answered: No");
    return yes;
}

void TLoggingDialogs::ShowError(const std::wstring& text) {
    if (TInstallLog* log = InstallLog()) log->FailStep(ErrorBoxText(text));
    person_.ShowError(text);
}

std::optional<std::wstring> TLoggingDialogs::BrowseForFolder(const std::string& prompt) {
    std::optional<std::wstring> folder = person_.BrowseForFolder(prompt);
    LogLine(folder ? L"Folder chosen: " + *folder : L"Folder dialog cancelled");
    return folder;
}

void TLoggingDialogs::EndProcess(unsigned code) {
    LogLine(L"The wizard ends the program. Exit code: " + std::to_wstring(code));
    person_.EndProcess(code);
}
