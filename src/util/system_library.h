// Windows' own DLLs that are not KnownDLLs (comctl32, version, ...), loaded
// from the system folder only. A DLL that a program imports statically is
// looked for first in the program's own folder, before the program's first
// instruction runs, unless its name is a KnownDLL; Setup.exe starts from a
// download folder with administrator rights, so a DLL of such a name put
// beside it would run with those rights. So the elevated programs import
// only KnownDLLs and load the others through this, after HardenProcess.
#pragma once

#include <windows.h>

// The DLL of that name from the system folder (System32, or SysWOW64 for a
// 32-bit program on 64-bit Windows), loaded once and kept for the process's
// life; null when the system has none.
HMODULE LoadSystemLibrary(const wchar_t* name);

// A function of such a DLL, as a pointer of the given type; null when the
// DLL or the function is missing.
template <class Function>
Function SystemFunction(const wchar_t* library, const char* name) {
    HMODULE module = LoadSystemLibrary(library);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
