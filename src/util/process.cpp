#include "util/process.h"

#include <windows.h>

#include "util/handles.h"

namespace {

// One CreateProcessW for every start: program is the file the system runs as
// it stands, never looked up along a search path; the command line begins
// with it quoted, so the program's own parsing sees its name whole.
std::optional<DWORD> StartProcess(const std::wstring& program, const std::wstring& arguments, TStartWindow window,
                                  bool wait) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (window == TStartWindow::Hidden) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    std::wstring commandLine = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE,
                        nullptr, nullptr, &startup, &info))
        return std::nullopt;
    UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    DWORD exitCode = 0;
    if (wait) {
        WaitForSingleObject(process.get(), INFINITE);
        GetExitCodeProcess(process.get(), &exitCode);
    }
    return exitCode;
}

}  // namespace

bool StartProgram(const std::wstring& path, TStartWindow window, bool wait) {
    return StartProcess(path, {}, window, wait).has_value();
}

bool RunProcess(const std::wstring& path, bool wait) {
    return StartProgram(path, wait ? TStartWindow::Hidden : TStartWindow::AsItChooses, wait);
}

std::optional<unsigned long> RunHiddenAndWait(const std::wstring& path, const std::wstring& arguments) {
    return StartProcess(path, arguments, TStartWindow::Hidden, true);
}

std::wstring SystemFolder() {
    wchar_t buffer[MAX_PATH];
    UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}
