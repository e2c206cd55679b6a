// Starting the demo programs as a user would, and watching them from outside:
// their exit codes, their windows, the files they leave.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// A file of the demo build (DEMO_BUILD, the win32 build tree), such as
// L"demo-product\\UnInstall.exe".
std::wstring DemoBuildFile(const std::wstring& relative);

// A program started with arguments in a current folder (the program's own
// when empty). The process is ended if it still runs when the object goes.
class TStartedProgram {
public:
    TStartedProgram(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder = L"");
    ~TStartedProgram();
    TStartedProgram(const TStartedProgram&) = delete;
    TStartedProgram& operator=(const TStartedProgram&) = delete;

    bool Started() const { return process_.hProcess != nullptr; }
    DWORD Id() const { return process_.dwProcessId; }
    // The exit code, or nothing when the program still runs after timeoutMs.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = 60000);
    // A visible top-level window of the program with that window class
    // ("#32770" for a message box), or null after timeoutMs.
    HWND WaitForWindow(const wchar_t* windowClass, DWORD timeoutMs = 30000) const;

private:
    PROCESS_INFORMATION process_{};
};

std::wstring WindowText(HWND window);
// Whether the path is gone within timeoutMs (a program may need a moment).
bool WaitUntilGone(const std::wstring& path, DWORD timeoutMs = 30000);
bool Exists(const std::wstring& path);
