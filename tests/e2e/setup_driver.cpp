#include "e2e/setup_driver.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>
#include <vector>

#include "ui/dpi.h"
#include "wizard/form_layout.h"

namespace {

struct WindowSearch {
    DWORD process;
    const wchar_t* className;
    HWND found = nullptr;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (process == search->process && std::wstring(className) == search->className && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForProcessWindow(DWORD process, const wchar_t* className, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        WindowSearch search{process, className};
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(25);
    }
}

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
    return TRUE;
}

std::vector<HWND> Descendants(HWND window) {
    std::vector<HWND> all;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::wstring WindowText(HWND window) {
    if (!window) return {};
    // WM_GETTEXT works across processes, where GetWindowText would not ask the window.
    const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(got));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

}  // namespace

TSetupDriver::TSetupDriver(const std::wstring& setupExe, const std::wstring& arguments, bool console) {
    std::wstring folder = setupExe.substr(0, setupExe.find_last_of(L'\\') + 1);
    std::wstring commandLine = L"\"" + setupExe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(setupExe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, console ? 0 : DETACHED_PROCESS,
                        nullptr, folder.c_str(), &startup, &info_))
        info_ = {};
    else
        WaitForInputIdle(info_.hProcess, 20000);
}

TSetupDriver::~TSetupDriver() {
    if (!info_.hProcess) return;
    if (Running()) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 10000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

HWND TSetupDriver::Window(DWORD timeoutMs) {
    if (!window_ || !IsWindow(window_)) window_ = info_.hProcess ? WaitForProcessWindow(info_.dwProcessId, wizard::kFormClass, timeoutMs) : nullptr;
    return window_;
}

std::wstring TSetupDriver::Caption() { return WindowText(Window()); }

HWND TSetupDriver::Control(const wchar_t* name, int page) {
    const wizard::TControlLayout* row = wizard::FindLayout(name);
    HWND form = Window();
    if (!row || !form) return nullptr;
    std::vector<HWND> candidates;
    if (page < 0) {
        candidates = Descendants(form);
    } else {
        std::vector<HWND> sheets = Pages();
        if (page >= static_cast<int>(sheets.size())) return nullptr;
        candidates = Descendants(sheets[static_cast<size_t>(page)]);
    }
    // Controls keep the form's layout: a page fills the client area, so a
    // control's place in the client area is its place in the table, scaled
    // to the window's DPI as the form scales it.
    const RECT place = ScaleRectToDpi(row->left, row->top, row->width, row->height, WindowDpi(form));
    HWND best = nullptr;
    for (HWND child : candidates) {
        if (page < 0 && !IsWindowVisible(child)) continue;
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
        if (r.left != place.left || r.top != place.top) continue;
        const bool sameWidth = r.right == place.right, sameHeight = r.bottom == place.bottom;
        if (sameWidth && sameHeight) return child;
        if (sameWidth || (row->options & wizard::loAutoSize)) best = child;
    }
    return best;
}

std::wstring TSetupDriver::Text(const wchar_t* name, int page) { return WindowText(Control(name, page)); }

void TSetupDriver::SetText(const wchar_t* name, const std::wstring& text) {
    SendMessageW(Control(name), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool TSetupDriver::IsEnabled(const wchar_t* name) {
    HWND control = Control(name);
    return control && IsWindowEnabled(control);
}

bool TSetupDriver::IsChecked(const wchar_t* name) { return SendMessageW(Control(name), BM_GETCHECK, 0, 0) == BST_CHECKED; }

int TSetupDriver::ProgressPosition() {
    return static_cast<int>(SendMessageW(Control(L"ProgressBar1", 3), PBM_GETPOS, 0, 0));
}

bool TSetupDriver::TryProgressPosition(int& position, UINT timeoutMs) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(Control(L"ProgressBar1", 3), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result))
        return false;
    position = static_cast<int>(result);
    return true;
}

std::vector<HWND> TSetupDriver::Pages() {
    // The pages are the page control's children (the form's grandchildren);
    // made in page order, their identifiers order them. They live as long as
    // the window, so they are looked up once.
    if (pages_.empty() && Window()) {
        for (HWND child : Descendants(Window()))
            if (GetParent(GetParent(child)) == Window()) pages_.push_back(child);
        std::sort(pages_.begin(), pages_.end(),
                  [](HWND a, HWND b) { return GetWindowLongPtrW(a, GWLP_ID) < GetWindowLongPtrW(b, GWLP_ID); });
    }
    return pages_;
}

int TSetupDriver::Page() {
    std::vector<HWND> sheets = Pages();
    for (size_t i = 0; i < sheets.size(); ++i)
        if (IsWindowVisible(sheets[i])) return static_cast<int>(i);
    return -1;
}

void TSetupDriver::Press(const wchar_t* name) {
    HWND button = Control(name);
    // Posted, not sent: the click's handler may run for the whole installation.
    PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

void TSetupDriver::Tick(const wchar_t* name, bool checked) {
    SendMessageW(Control(name), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TSetupDriver::WaitForPage(int page, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (Page() != page) {
        if (GetTickCount() - start > timeoutMs || !Running()) return false;
        Sleep(25);
    }
    return true;
}

HWND TSetupDriver::WaitForDialog(DWORD timeoutMs) { return WaitForProcessWindow(info_.dwProcessId, L"#32770", timeoutMs); }

std::wstring TSetupDriver::DialogCaption(HWND dialog) { return WindowText(dialog); }

std::wstring TSetupDriver::DialogText(HWND dialog) {
    std::wstring text;
    for (HWND child : Descendants(dialog)) {
        if (ClassOf(child) != L"Static") continue;
        const std::wstring part = WindowText(child);
        if (part.empty()) continue;
        if (!text.empty()) text += L"\n";
        text += part;
    }
    return text;
}

std::wstring TSetupDriver::DialogButton(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

void TSetupDriver::Answer(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void TSetupDriver::Type(WORD key, bool alt) {
    // Posted to the control with the focus, as the system queues a key
    // press: independent of which window is in the foreground while other
    // programs run beside the test.
    HWND focus = Focus();
    if (!focus) return;
    const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    if (alt) {
        // Alt with a letter: the menu-character message that "&" accelerators answer.
        // (The key-down message is left out: translating it would queue a second one.)
        PostMessageW(focus, WM_SYSCHAR, static_cast<WPARAM>(towlower(key)), 1 | (scan << 16) | (1u << 29));
    } else {
        PostMessageW(focus, WM_KEYDOWN, key, 1 | (scan << 16));
        PostMessageW(focus, WM_KEYUP, key, 1 | (scan << 16) | (3u << 30));
    }
}

HWND TSetupDriver::Focus() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(info_.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

bool TSetupDriver::WaitForFocus(const wchar_t* name, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (Focus() != Control(name) || !Focus()) {
        if (GetTickCount() - start > timeoutMs || !Running()) return false;
        Sleep(25);
    }
    return true;
}

bool TSetupDriver::WaitForExit(DWORD timeoutMs, DWORD& exitCode) {
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(info_.hProcess, &exitCode);
    return true;
}

bool TSetupDriver::Running() { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
