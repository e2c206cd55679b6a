// Starting other programs, and the two small system queries the
// installation needs before it touches the machine.
#pragma once

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
// waits; without it the program shows as it chooses. (Batch files go through
// RunBatchFile, which keeps their path off the interpreter's command line.)
bool RunProcess(const std::wstring& path, bool wait);

// Runs a batch file through the system folder's command interpreter, hidden,
// and returns when it has ended (no time limit). The interpreter starts in
// the batch file's own folder and is given only ".\<name>", so no "%", "&",
// space or letter of the path passes through its command-line parsing, and
// "%CD%" in the batch file is that folder. Its environment is this process's
// without a variable named CD (which would stand in for "%CD%") and with
// NoDefaultCurrentDirectoryInExePath set, so the commands the batch file
// names are not looked up in its folder (Windows honours it; Wine's cmd does
// not). It shares this process's console, or is given one without a window
// when this process has none. True when the interpreter was started.
bool RunBatchFile(const std::wstring& path);

// True when the running Windows is not of the NT family.
bool IsNonNtWindows();

// Enables "SeShutdownPrivilege" in this process's token; every failure is silent.
void EnableShutdownPrivilege();
