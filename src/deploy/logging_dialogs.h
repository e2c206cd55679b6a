// The wizard's dialogs when a log is asked for (/LOG without a silent
// switch): the person answers as always, and the log records every box,
// question and error with its answer, and the exit code.
#pragma once

#include "ui/dialogs.h"

class TLoggingDialogs : public TDialogs {
public:
    // Logs to the program's log and lets person answer.
    explicit TLoggingDialogs(TDialogs& person) : person_(person) {}

    int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT buttonsAndIcon) override;
    bool ConfirmYesNo(const std::wstring& text) override;
    void ShowError(const std::wstring& text) override;
    std::optional<std::wstring> BrowseForFolder(const std::string& prompt) override;
    void ProcessMessages() override { person_.ProcessMessages(); }
    void EndProcess(unsigned code) override;

private:
    TDialogs& person_;
};
