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

// The finish page's and the batch files' start: with wait set the window is
// hidden and the caller waits; without it the program shows as it chooses.
bool RunProcess(const std::wstring& path, bool wait);

// True when the running Windows is not of the NT family.
bool IsNonNtWindows();

// Enables "SeShutdownPrivilege" in this process's token; every failure is silent.
void EnableShutdownPrivilege();
