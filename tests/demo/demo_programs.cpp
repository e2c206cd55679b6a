#include "demo/demo_programs.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace {

struct WindowSearch {
    DWORD process;
    const wchar_t* windowClass;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (process == search->process && IsWindowVisible(window) && wcscmp(className, search->windowClass) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::wstring DemoBuildFile(const std::wstring& relative) {
    std::wstring build = EnvironmentPath(L"DEMO_BUILD");
    if (build.empty()) ADD_FAILURE() << "DEMO_BUILD is not set";
    return build + L"\\" + relative;
}

TStartedProgram::TStartedProgram(const std::wstring& program, const std::wstring& arguments,
                                 const std::wstring& folder) {
    std::wstring commandLine = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process_)) {
        ADD_FAILURE() << "cannot start the program, error " << GetLastError();
        process_ = {};
    }
}

TStartedProgram::~TStartedProgram() {
    if (!process_.hProcess) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

std::optional<DWORD> TStartedProgram::WaitForExit(DWORD timeoutMs) {
    if (!process_.hProcess || WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return {};
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

HWND TStartedProgram::WaitForWindow(const wchar_t* windowClass, DWORD timeoutMs) const {
    WindowSearch search{process_.dwProcessId, windowClass, nullptr};
    for (DWORD waited = 0; !search.found && waited <= timeoutMs; waited += 50) {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(50);
    }
    return search.found;
}

std::wstring WindowText(HWND window) {
    // WM_GETTEXT reads the text of another process's window as the window itself gives it.
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000,
                        &copied);
    text.resize(copied);
    return text;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool WaitUntilGone(const std::wstring& path, DWORD timeoutMs) {
    for (DWORD waited = 0; waited <= timeoutMs; waited += 100) {
        if (!Exists(path)) return true;
        Sleep(100);
    }
    return false;
}
