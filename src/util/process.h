// Starting other programs and waiting for them: the wizard starts the
// installed program from its finish page; the installation starts the
// system's regsvr32 and the further installers.
#pragma once

#include <optional>
#include <string>

// How a started program's window first shows.
enum class TStartWindow { AsItChooses, Hidden };

// Starts exactly the program file at path (a full path), with no arguments,
// the default error mode, this process's environment and current folder.
// The path is given to the system as the program to run, and quoted on the
// command line, so "C:\Program Files\x.exe" can never start C:\Program.exe.
// With wait set, returns only when the program has ended (no time limit).
// True when the process was created.
bool StartProgram(const std::wstring& path, TStartWindow window, bool wait);

// The finish page's start: with wait set the window is hidden and the caller
// waits; without it the program shows as it chooses.
bool RunProcess(const std::wstring& path, bool wait);

// Starts the program at path (a full path, given to the system as the file
// to run) with arguments after its quoted name on the command line, hidden,
// and waits for it to end (no time limit). Its exit code; nothing when it
// could not be started.
std::optional<unsigned long> RunHiddenAndWait(const std::wstring& path, const std::wstring& arguments);

// The system folder (System32; SysWOW64 for a 32-bit program on 64-bit
// Windows, through the file system's redirection), without a final
// backslash; empty when the system names none.
std::wstring SystemFolder();
