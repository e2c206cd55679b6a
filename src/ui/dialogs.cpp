#include "ui/dialogs.h"

#include <shlobj.h>

#include "ui/form.h"
#include "util/message_pump.h"

std::wstring ErrorBoxText(const std::wstring& text) {
    if (!text.empty() && text.back() > L'.') return text + L'.';
    return text;
}

namespace {

// While the confirmation is up, a computer-based-training hook renames its
// buttons and centres it, as the toolkit's own dialog looks.
HHOOK confirmHook = nullptr;

LRESULT CALLBACK ConfirmHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        SetDlgItemTextW(box, IDYES, L"&Yes");
        SetDlgItemTextW(box, IDNO, L"&No");
        RECT r;
        GetWindowRect(box, &r);
        const int w = r.right - r.left, h = r.bottom - r.top;
        SetWindowPos(box, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0,
                     0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        UnhookWindowsHookEx(confirmHook);
        confirmHook = nullptr;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class TWin32Dialogs : public TDialogs {
public:
    int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT buttonsAndIcon) override {
        return MessageBoxW(GetActiveWindow(), text.c_str(), caption.c_str(), buttonsAndIcon);
    }
    bool ConfirmYesNo(const std::wstring& text) override {
        confirmHook = SetWindowsHookExW(WH_CBT, ConfirmHookProc, nullptr, GetCurrentThreadId());
        const int answer = MessageBoxW(GetActiveWindow(), text.c_str(), L"Confirm", MB_YESNO | MB_ICONQUESTION);
        if (confirmHook) UnhookWindowsHookEx(confirmHook), confirmHook = nullptr;
        return answer == IDYES;
    }
    void ShowError(const std::wstring& text) override {
        MessageBoxW(GetActiveWindow(), ErrorBoxText(text).c_str(), Application().Title().c_str(), MB_OK | MB_ICONERROR);
    }
    std::optional<std::wstring> BrowseForFolder(const std::string& prompt) override {
        BROWSEINFOA info{};
        info.hwndOwner = GetActiveWindow();
        info.lpszTitle = prompt.c_str();
        info.ulFlags = BIF_RETURNONLYFSDIRS;
        PIDLIST_ABSOLUTE list = SHBrowseForFolderA(&info);
        if (!list) return std::nullopt;
        // A chosen item that has no file-system path gives the empty path.
        wchar_t path[MAX_PATH + 1] = {};
        if (!SHGetPathFromIDListW(list, path)) path[0] = L'\0';
        CoTaskMemFree(list);
        return std::wstring(path);
    }
    void ProcessMessages() override { ProcessPendingMessages(); }
    void EndProcess(unsigned code) override { ExitProcess(code); }
};

TWin32Dialogs& ProgramDialogs() {
    static TWin32Dialogs dialogs;
    return dialogs;
}

TDialogs* current = nullptr;

}  // namespace

TDialogs& Dialogs() { return current ? *current : ProgramDialogs(); }

TDialogs* SetDialogs(TDialogs* dialogs) {
    TDialogs* previous = current;
    current = dialogs;
    return previous;
}
