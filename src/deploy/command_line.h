// Setup's command line, in the conventions that deployment tools already
// know from NSIS, Inno Setup and Windows Installer. Switch names are not
// case-sensitive and begin with "/" or "-". A value may be quoted, in whole
// or in part ("/DIR=C:\Program Files\X" quoted as /DIR="C:\Program Files\X\");
// quotes are removed and backslashes are taken as they stand. NSIS's /D=
// takes the rest of the line, spaces included, without quotes; it ends only
// where a later switch begins (a blank followed by "/", or by "-" and a
// switch's name), so "/D=C:\Fleet\Zantivo\ /LOG=C:\fleet.log" gives both.
#pragma once

#include <optional>
#include <string>

enum class TInstallMode {
    Wizard,   // the wizard, as without switches
    Passive,  // /SILENT, /passive: the installing page only, no question, closes itself
    Silent,   // /S, /VERYSILENT, /quiet: no window and no message box at all
};

struct TCommandLine {
    TInstallMode mode = TInstallMode::Wizard;
    std::optional<std::wstring> destination;  // /D=, /DIR=
    std::optional<std::wstring> language;     // /LANG=, an abbreviation such as "DE"
    std::optional<std::wstring> logFile;      // /LOG=
    bool allUsers = false;                    // /ALLUSERS
    bool help = false;                        // /?, /help
    std::wstring arguments;                   // everything after the program's name, as given
    std::wstring error;                       // why the line is not understood; empty when it is

    // No arguments at all: the wizard exactly as it has always been.
    bool Empty() const { return arguments.empty(); }
    bool Unattended() const { return mode != TInstallMode::Wizard; }
};

// The whole command line as the system gives it, the program's name first.
TCommandLine ParseCommandLine(const std::wstring& commandLine);

// The switches and exit codes, for the usage box and the log.
std::wstring UsageText();
