// The common controls (the progress bar, the list view), whose window classes
// comctl32 registers. Setup does not import comctl32 statically, since it is
// no KnownDLL (see util/system_library.h): it is loaded from the system
// folder the first time a control needs it, long after the hardening.
#pragma once

#include <windows.h>

// Registers the common control classes named by ICC_ flags; false when
// comctl32 cannot be loaded or refuses.
bool InitCommonControlClasses(DWORD classes);
