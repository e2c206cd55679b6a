// One installation of the product at a time on a machine. Two at once would
// interleave their writes (the same files, the uninstall log, the registry,
// the shortcuts), so an installation holds a named mutex from its start until
// its process ends, when the system releases it however the process ends (a
// mutex left by a killed process is taken over). The mutex lives in the
// global namespace, so a person's Setup and a deployment engine's (run as
// SYSTEM, in another session) meet at it.
#pragma once

#include <functional>

// Takes the lock when it is free or already this process's; false when
// another process holds it.
bool TryLockInstallation();
// Takes the lock, waiting as long as another process holds it (the log says
// so) and calling pump at least every tenth of a second meanwhile (the
// wizard stays alive, and Cancel still ends it).
void LockInstallation(const std::function<void()>& pump);
// Lets the lock go again (the wizard's start-up holds it only while it
// undoes an interrupted installation, and takes it again at Install).
void UnlockInstallation();
