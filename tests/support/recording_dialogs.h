// Dialogs for tests: every box is recorded and answered as the test says,
// and an exit is recorded instead of ending the process. Installed for the
// object's lifetime.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialogs.h"

class RecordingDialogs : public TDialogs {
public:
    RecordingDialogs() : previous_(SetDialogs(this)) {}
    ~RecordingDialogs() override { SetDialogs(previous_); }

    std::vector<std::wstring> shown;  // "kind: caption: text"
    int messageBoxAnswer = IDOK;
    bool confirmAnswer = false;
    std::deque<bool> confirmAnswers;  // answered first, one each, before confirmAnswer
    std::function<void()> onConfirm;  // called as a question shows: what the window shows then
    std::optional<std::wstring> folderAnswer;
    std::vector<unsigned> exits;
    int pumps = 0;

    int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT) override {
        shown.push_back(L"box: " + caption + L": " + text);
        return messageBoxAnswer;
    }
    bool ConfirmYesNo(const std::wstring& text) override {
        shown.push_back(L"confirm: " + text);
        if (onConfirm) onConfirm();
        if (confirmAnswers.empty()) return confirmAnswer;
        const bool answer = confirmAnswers.front();
        confirmAnswers.pop_front();
        return answer;
    }
    void ShowError(const std::wstring& text) override { shown.push_back(L"error: " + ErrorBoxText(text)); }
    std::optional<std::wstring> BrowseForFolder(const std::string& prompt) override {
        shown.push_back(L"folder: " + std::wstring(prompt.begin(), prompt.end()));
        return folderAnswer;
    }
    void ProcessMessages() override { ++pumps; }
    void EndProcess(unsigned code) override { exits.push_back(code); }

private:
    TDialogs* previous_;
};
