#include "util/win_error.h"

namespace {

std::wstring Describe(DWORD code, const std::wstring& what) {
    std::wstring text = SystemErrorText(code);
    if (text.empty()) text = L"System error " + std::to_wstring(code);
    return what.empty() ? text : what + L": " + text;
}

}  // namespace

namespace {

std::wstring InOutText(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND: return L"File not found";
    case ERROR_PATH_NOT_FOUND: return L"Path not found";
    case ERROR_ACCESS_DENIED: return L"File access denied";
    case ERROR_SHARING_VIOLATION: return L"File is in use";
    case ERROR_INVALID_NAME: return L"Invalid filename";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return L"Disk full";
    default: return L"I/O error " + std::to_wstring(code);
    }
}

}  // namespace

EInOutError::EInOutError(DWORD code, const std::wstring& path)
    : EError(path.empty() ? InOutText(code) : InOutText(code) + L": " + path), code_(code) {}

EOSError::EOSError(DWORD code, const std::wstring& what) : EError(Describe(code, what)), code_(code) {}

std::wstring SystemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", length);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return text;
}

void CheckWin32Bool(BOOL ok, const std::wstring& what) {
    if (!ok) RaiseLastOSError(what);
}

void CheckLStatus(LSTATUS status, const std::wstring& what) {
    if (status != ERROR_SUCCESS) throw EOSError(static_cast<DWORD>(status), what);
}

void CheckHResult(HRESULT hr, const std::wstring& what) {
    if (FAILED(hr)) throw EOSError(static_cast<DWORD>(hr), what);
}

void RaiseLastOSError(const std::wstring& what) { throw EOSError(GetLastError(), what); }
