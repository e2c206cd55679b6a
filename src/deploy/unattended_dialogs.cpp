#include "deploy/unattended_dialogs.h"

#include <utility>

#include "deploy/exit_codes.h"
#include "install/install_log.h"
#include "util/message_pump.h"

namespace {

// Waits, letting window messages through (a passive installation's window
// stays alive).
void WaitLettingMessagesThrough(unsigned milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT) == WAIT_OBJECT_0)
            ProcessPendingMessages();
    }
}

}  // namespace

TUnattendedDialogs::TUnattendedDialogs(std::function<void(unsigned)> endProcess, std::function<void()> firstPump,
                                       TRetryRule rule)
    : endProcess_(std::move(endProcess)), firstPump_(std::move(firstPump)), rule_(rule) {}

int TUnattendedDialogs::ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT buttonsAndIcon) {
    // Boxes that offer to try again: retried by the rule, then given up.
    struct TRetryBox {
        UINT buttons;
        int again, giveUp;
        const wchar_t* giveUpName;
    };
    static constexpr TRetryBox kRetryBoxes[] = {{MB_RETRYCANCEL, IDRETRY, IDCANCEL, L"Cancel"},
                                                {MB_CANCELTRYCONTINUE, IDTRYAGAIN, IDCANCEL, L"Cancel"},
                                                {MB_ABORTRETRYIGNORE, IDRETRY, IDABORT, L"Abort"}};
    LogLine(L"Message box \"" + caption + L"\": " + text);
    const UINT buttons = buttonsAndIcon & MB_TYPEMASK;
    if (buttons == MB_OK) {
        LogLine(L"No one to answer: OK");
        return IDOK;
    }
    for (const TRetryBox& box : kRetryBoxes) {
        if (box.buttons != buttons) continue;
        if (RetryAgain(caption + L"\n" + text)) return box.again;
        Decline(box.giveUpName);
        return box.giveUp;
    }
    if (buttons == MB_YESNO) {
        Decline(L"No");
        return IDNO;
    }
    Decline(L"Cancel");  // OK/Cancel, Yes/No/Cancel
    return IDCANCEL;
}

bool TUnattendedDialogs::ConfirmYesNo(const std::wstring& text) {
    LogLine(L"Question: " + text);
    if (RetryAgain(text)) return true;
    Decline(L"No");
    return false;
}

void TUnattendedDialogs::ShowError(const std::wstring& text) {
    failed_ = true;
    if (TInstallLog* log = InstallLog()) log->FailStep(ErrorBoxText(text));
}

std::optional<std::wstring> TUnattendedDialogs::BrowseForFolder(const std::string&) {
    LogLine(L"No one to choose a folder: none chosen");
    return std::nullopt;
}

void TUnattendedDialogs::ProcessMessages() {
    if (firstPump_) std::exchange(firstPump_, nullptr)();
    ProcessPendingMessages();
}

void TUnattendedDialogs::EndProcess(unsigned) {
    const unsigned code = failed_ ? ecFailed : ecCancelled;
    LogLine(ExitCodeLine(code));
    endProcess_(code);
}

bool TUnattendedDialogs::RetryAgain(const std::wstring& question) {
    if (question != lastQuestion_) {
        lastQuestion_ = question;
        retried_ = 0;
    }
    if (retried_ >= rule_.retries) {
        lastQuestion_.clear();  // asked again later, it is retried again
        return false;
    }
    ++retried_;
    LogLine(L"No one to answer: retrying in " + std::to_wstring(rule_.delayMs) + L" ms (retry " +
            std::to_wstring(retried_) + L" of " + std::to_wstring(rule_.retries) + L")");
    WaitLettingMessagesThrough(rule_.delayMs);
    return true;
}

void TUnattendedDialogs::Decline(const std::wstring& answer) {
    failed_ = true;
    LogLine(L"No one to answer: " + answer + L", the installation cannot complete");
}
