#include "util/system_library.h"

#include <string>

HMODULE LoadSystemLibrary(const wchar_t* name) {
    // A name the activation context redirects (comctl32 version 6, which the
    // manifest asks for) is still redirected: the flag limits where the
    // loader searches, not which side-by-side version it takes.
    if (HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    // Windows 7 without the update that brought the flag refuses it; the
    // full path asks for the system folder's file as surely.
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    wchar_t system[MAX_PATH];
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    return LoadLibraryW((std::wstring(system, n) + L"\\" + name).c_str());
}
