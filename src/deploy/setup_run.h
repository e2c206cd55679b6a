// Setup started with switches (command_line.h): the usage, the log, the
// language and folder given, and the installation attended by a person (the
// wizard) or by nobody (silent, passive). An unattended installation walks
// the wizard's own pages, hidden, and presses Install: the very same
// handlers and installation sequence as a person's, with dialogs that
// answer by rule (unattended_dialogs.h).
#pragma once

#include "deploy/command_line.h"

// Runs Setup as the command line asks and gives the exit code: Windows
// Installer's for an unattended installation, a bad command line and the
// usage; the wizard's own (0) when a person installs.
unsigned RunWithSwitches(const TCommandLine& commandLine);
