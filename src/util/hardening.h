// The first thing a program started from a folder anyone may write to does
// (from a constructor of the first priority, before the others run):
// such a folder (a download folder, the temporary folder) may hold DLLs
// named like system ones. DLLs load from System32 only, never from the
// program's folder or the current one, and heap corruption ends the process
// instead of letting it run on.
#pragma once

void HardenProcess();
