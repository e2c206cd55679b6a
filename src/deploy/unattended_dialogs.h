// The dialogs of an installation that no person attends (/S, /SILENT and
// their kin): no box is shown; every question a person would answer gets
// the answer that loses nothing, and the log says what was asked and
// answered. A question asked again and again about the same thing (a file
// that cannot be written, retry or quit) is answered "retry" a few times,
// a moment apart, then "quit". The wizard's "end the process now" ends with
// Windows Installer's code instead of the wizard's 0: 1603 when a question
// was answered "no" or an error was shown (the installation failed), 1602
// otherwise (a person closed the passive window).
#pragma once

#include <functional>
#include <string>

#include "ui/dialogs.h"

struct TRetryRule {
    int retries = 5;            // "retry" answers to one question before "quit"
    unsigned delayMs = 1000;    // waited (letting messages through) before each retry
};

class TUnattendedDialogs : public TDialogs {
public:
    // endProcess ends the process with the code (ExitProcess in the program).
    // firstPump runs the first time the installation lets messages through:
    // a passive installation shows its window there, once the installing
    // page is the one shown.
    TUnattendedDialogs(std::function<void(unsigned)> endProcess, std::function<void()> firstPump = {},
                       TRetryRule rule = {});

    // Whether a question was answered "no" or an error reported: the
    // installation cannot complete.
    bool Failed() const { return failed_; }

    int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT buttonsAndIcon) override;
    bool ConfirmYesNo(const std::wstring& text) override;
    void ShowError(const std::wstring& text) override;
    std::optional<std::wstring> BrowseForFolder(const std::string& prompt) override;
    void ProcessMessages() override;
    void EndProcess(unsigned code) override;

private:
    // True ("retry") while the same question has been retried fewer times
    // than the rule allows, after the rule's delay; false ("quit") then.
    bool RetryAgain(const std::wstring& question);
    void Decline(const std::wstring& answer);

    std::function<void(unsigned)> endProcess_;
    std::function<void()> firstPump_;
    TRetryRule rule_;
    std::wstring lastQuestion_;
    int retried_ = 0;
    bool failed_ = false;
};
