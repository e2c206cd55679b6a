// Errors from Win32 calls: EOSError carries the system's error code and text.
// The Check* helpers are named after the result convention they check and
// raise an EOSError that says what failed on which object.
#pragma once

#include <windows.h>

#include <string>

#include "util/error.h"

class EOSError : public EError {
public:
    EOSError(DWORD code, const std::wstring& what);
    DWORD Code() const noexcept { return code_; }

private:
    DWORD code_;
};

// An input/output failure of a file the installer writes (the data folder,
// data folder): "I/O error <code>", or a short text for the common codes,
// followed by the path it concerns.
class EInOutError : public EError {
public:
    EInOutError(DWORD code, const std::wstring& path);
    DWORD Code() const noexcept { return code_; }

private:
    DWORD code_;
};

// The system's text for an error code, without the trailing line break.
std::wstring SystemErrorText(DWORD code);

// A BOOL-returning call: raises with GetLastError() when ok is FALSE.
void CheckWin32Bool(BOOL ok, const std::wstring& what);
// A call returning an LSTATUS (the registry): raises unless ERROR_SUCCESS.
void CheckLStatus(LSTATUS status, const std::wstring& what);
// A COM call: raises unless SUCCEEDED(hr).
void CheckHResult(HRESULT hr, const std::wstring& what);
// Raises with GetLastError() unconditionally, for calls with other conventions.
[[noreturn]] void RaiseLastOSError(const std::wstring& what);
