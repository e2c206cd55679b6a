#include "wizard/process.h"

#include <windows.h>

#include "util/handles.h"
#include "util/path.h"

namespace {

// One CreateProcessW for every start: program is the file the system runs as
// it stands; folder and environment are the caller's when empty; flags are
// added to the creation flags.
bool StartProcess(const std::wstring& program, std::wstring commandLine, const std::wstring& folder,
                  const std::wstring& environment, TStartWindow window, bool wait, DWORD flags = 0) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (window == TStartWindow::Hidden) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    flags |= CREATE_DEFAULT_ERROR_MODE | (environment.empty() ? 0 : CREATE_UNICODE_ENVIRONMENT);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags,
                        environment.empty() ? nullptr : const_cast<wchar_t*>(environment.c_str()),
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return false;
    UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    if (wait) WaitForSingleObject(process.get(), INFINITE);
    return true;
}

// The environment block for a batch file: this process's variables (in the
// form CreateProcessW takes: each entry NUL-ended, one more NUL at the end)
// without CD and with NoDefaultCurrentDirectoryInExePath=1.
std::wstring BatchEnvironment() {
    auto named = [](const wchar_t* entry, const wchar_t* name) {
        size_t length = wcslen(name);
        return _wcsnicmp(entry, name, length) == 0 && entry[length] == L'=';
    };
    std::wstring block;
    if (wchar_t* strings = GetEnvironmentStringsW()) {
        for (const wchar_t* p = strings; *p; p += wcslen(p) + 1)
            if (!named(p, L"CD") && !named(p, L"NoDefaultCurrentDirectoryInExePath")) block.append(p, wcslen(p) + 1);
        FreeEnvironmentStringsW(strings);
    }
    block.append(L"NoDefaultCurrentDirectoryInExePath=1").push_back(L'\0');
    block.push_back(L'\0');
    return block;
}

std::wstring SystemFolder() {
    wchar_t buffer[MAX_PATH];
    UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

}  // namespace

bool StartProgram(const std::wstring& path, TStartWindow window, bool wait) {
    // The program named twice: as the file to run, which the system takes as
    // it stands, and quoted as the command line the program sees as argv[0].
    return StartProcess(path, L"\"" + path + L"\"", {}, {}, window, wait);
}

bool RunProcess(const std::wstring& path, bool wait) {
    return StartProgram(path, wait ? TStartWindow::Hidden : TStartWindow::AsItChooses, wait);
}

bool RunBatchFile(const std::wstring& path) {
    std::wstring system = SystemFolder();
    if (system.empty()) return false;
    // /d: no AutoRun commands from the registry; /v:off: "!" in a path stays a
    // letter even where delayed expansion is switched on for every cmd.
    std::wstring commandLine = L"cmd.exe /d /v:off /c \".\\" + ExtractName(path) + L"\"";
    // The 32-bit program on 64-bit Windows names System32 and gets the 32-bit
    // cmd.exe from SysWOW64, so regsvr32 and cacls are the 32-bit ones, as the
    // 32-bit product needs; the 64-bit build starts the 64-bit cmd.exe, whose
    // regsvr32 hands a 32-bit control on to the 32-bit regsvr32 by itself.
    // The interpreter needs a console: it shares this process's when there is
    // one; otherwise the system makes it one, and without a window (nothing
    // is shown either way, the batch file runs hidden), which saves starting
    // a console host that connects to the display: under Wine about 60 ms for
    // each batch file.
    const DWORD console = GetConsoleCP() == 0 ? CREATE_NO_WINDOW : 0;  // 0: this process has no console
    return StartProcess(system + L"\\cmd.exe", commandLine, ExtractFolder(path),
                        BatchEnvironment(), TStartWindow::Hidden, true, console);
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
