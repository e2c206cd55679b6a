// The automation client: drives the real Setup.exe from another process as
// a person would. It finds the wizard window by its class and caption,
// finds controls where the form's layout puts them on the visible page (at
// the window's DPI), reads their texts, presses buttons, types into the
// folder box, answers message boxes, and sees the program end.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class TSetupDriver {
public:
    // Starts the program (its folder is the setup folder and the current one),
    // with the arguments after its quoted name when there are any. It shares
    // this program's console, if any; without one, as the desktop or a
    // deployment engine starts it.
    explicit TSetupDriver(const std::wstring& setupExe, const std::wstring& arguments = L"", bool console = true);
    // Ends the program if it still runs.
    ~TSetupDriver();
    TSetupDriver(const TSetupDriver&) = delete;
    TSetupDriver& operator=(const TSetupDriver&) = delete;

    // The visible wizard window; waits for it to appear (null after the timeout).
    HWND Window(DWORD timeoutMs = 20000);
    std::wstring Caption();
    // The visible control of that form-layout name on the shown page, or null;
    // with a page index, the control on that page, shown or not.
    HWND Control(const wchar_t* name, int page = -1);
    std::wstring Text(const wchar_t* name, int page = -1);
    void SetText(const wchar_t* name, const std::wstring& text);
    bool IsEnabled(const wchar_t* name);
    bool IsChecked(const wchar_t* name);
    int ProgressPosition();
    // The bar's position without waiting long for a busy program; false when
    // the program did not answer within timeoutMs. While it extracts, the
    // program lets messages through 20 times a second, so the default waits
    // a few of those moments.
    bool TryProgressPosition(int& position, UINT timeoutMs = 200);
    // The index of the page shown (0 to 4), found by its default button; -1 when none shows.
    int Page();
    // Clicks a button as the mouse would, without waiting for its handler.
    void Press(const wchar_t* name);
    void Tick(const wchar_t* name, bool checked);
    // Waits until the page shows (false after the timeout).
    bool WaitForPage(int page, DWORD timeoutMs = 20000);

    // A message box (or any dialog) of the program; null after the timeout.
    HWND WaitForDialog(DWORD timeoutMs = 20000);
    static std::wstring DialogCaption(HWND dialog);
    // The message's text: the dialog's static texts joined by line breaks.
    static std::wstring DialogText(HWND dialog);
    // The caption of the dialog's button with that identifier (IDYES, ...).
    static std::wstring DialogButton(HWND dialog, int id);
    // Presses the dialog's button with that identifier.
    static void Answer(HWND dialog, int id);

    // A key press on the control with the focus: a virtual-key code, with Alt
    // held when asked (then key is a letter's code).
    void Type(WORD key, bool alt = false);
    // The control with the keyboard focus, or null.
    HWND Focus();
    // Waits until the control of that name has the focus (false after the timeout).
    bool WaitForFocus(const wchar_t* name, DWORD timeoutMs = 5000);

    // Waits for the program to end and gives its exit code; false after the timeout.
    bool WaitForExit(DWORD timeoutMs, DWORD& exitCode);
    bool Running();
    DWORD ProcessId() const { return info_.dwProcessId; }
    HANDLE Process() const { return info_.hProcess; }

private:
    // The five pages' windows in page order.
    std::vector<HWND> Pages();

    PROCESS_INFORMATION info_{};
    HWND window_ = nullptr;
    std::vector<HWND> pages_;
};
