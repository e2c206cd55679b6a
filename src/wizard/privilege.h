// The two small system queries the installation makes before it touches the
// machine.
#pragma once

// True when the running Windows is not of the NT family.
bool IsNonNtWindows();

// Enables "SeShutdownPrivilege" in this process's token; every failure is silent.
void EnableShutdownPrivilege();
