// The exit codes of a run with switches: Windows Installer's, which every
// deployment engine reads (Intune and Configuration Manager retry on 1618).
// The wizard run without switches keeps its own: 0 however it ends.
#pragma once

#include <string>

enum TInstallerExitCode : unsigned {
    ecSuccess = 0,                // ERROR_SUCCESS
    ecCancelled = 1602,           // ERROR_INSTALL_USEREXIT
    ecFailed = 1603,              // ERROR_INSTALL_FAILURE
    ecAlreadyRunning = 1618,      // ERROR_INSTALL_ALREADY_RUNNING
    ecInvalidCommandLine = 1639,  // ERROR_INVALID_COMMAND_LINE
};

// What a code means, for the log: "1603 (the installation failed)".
inline const wchar_t* ExitCodeMeaning(unsigned code) {
    switch (code) {
    case ecSuccess: return L"success";
    case ecCancelled: return L"cancelled";
    case ecFailed: return L"the installation failed";
    case ecAlreadyRunning: return L"another installation of the product is running on this machine";
    case ecInvalidCommandLine: return L"invalid command line";
    }
    return L"";
}

// The log's last line.
inline std::wstring ExitCodeLine(unsigned code) {
    std::wstring line = L"Exit code: " + std::to_wstring(code);
    if (*ExitCodeMeaning(code)) line += std::wstring(L" (") + ExitCodeMeaning(code) + L")";
    return line;
}
