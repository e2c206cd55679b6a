#include "util/win_error.h"

namespace {

std::wstring Describe(DWORD code, const std::wstring& what) {
    std::wstring text = SystemErrorText(code);
    if (text.empty()) text = L"System error " + std::to_wstring(code);
    return what.empty() ? text : what + L": " + text;
}

}  // namespace

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
