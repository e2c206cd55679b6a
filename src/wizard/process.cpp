#include "wizard/process.h"

#include <windows.h>

#include "util/handles.h"

bool StartProgram(const std::wstring& path, TStartWindow window, bool wait) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (window == TStartWindow::Hidden) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    // The program named twice: as the file to run, which the system takes as
    // it stands, and quoted as the command line the program sees as argv[0].
    std::wstring commandLine = L"\"" + path + L"\"";
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr,
                        nullptr, &startup, &info))
        return false;
    UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    if (wait) WaitForSingleObject(process.get(), INFINITE);
    return true;
}

bool RunProcess(const std::wstring& path, bool wait) {
    return StartProgram(path, wait ? TStartWindow::Hidden : TStartWindow::AsItChooses, wait);
}

bool IsNonNtWindows() {
    // GetVersionEx is the call that reports the platform family; on every
    // Windows that can run this program it says NT.
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&version)) return false;
#pragma GCC diagnostic pop
    return version.dwPlatformId != VER_PLATFORM_WIN32_NT;
}

void EnableShutdownPrivilege() {
    UniqueKernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) return;
    TOKEN_PRIVILEGES wanted{};
    if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &wanted.Privileges[0].Luid)) return;
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    TOKEN_PRIVILEGES previous{};
    DWORD previousSize = sizeof previous;
    AdjustTokenPrivileges(token.get(), FALSE, &wanted, sizeof previous, &previous, &previousSize);
}
