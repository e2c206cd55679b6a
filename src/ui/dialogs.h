// Modal interaction and ending the process go through one interface, so
// that tests can answer a dialog or observe an exit. The program's own
// implementation calls MessageBoxW, SHBrowseForFolderW and ExitProcess.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // A message box; the result is the button pressed (IDOK, IDYES, ...).
    virtual int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT buttonsAndIcon) = 0;
    // The standard confirmation: "&Yes" and "&No", caption "Confirm", the
    // question icon, centred on the screen; true for Yes.
    virtual bool ConfirmYesNo(const std::wstring& text) = 0;
    // The standard error box: error icon, OK, the application title as
    // caption; a full stop is added when the text's last character sorts after ".".
    virtual void ShowError(const std::wstring& text) = 0;
    // The folder-browse dialog (file-system folders only) with a prompt (8-bit
    // text); nothing when cancelled, an empty path for an item with none.
    virtual std::optional<std::wstring> BrowseForFolder(const std::string& prompt) = 0;
    // Lets pending window messages through.
    virtual void ProcessMessages() = 0;
    // Ends the process at once with the exit code.
    virtual void EndProcess(unsigned code) = 0;
};

// The error box's text: a full stop added when the last character sorts after ".".
std::wstring ErrorBoxText(const std::wstring& text);

// The program's dialogs, or those a test installed.
TDialogs& Dialogs();
// Installs dialogs (null restores the program's) and returns the previous ones.
TDialogs* SetDialogs(TDialogs* dialogs);
