#include "util/code_page.h"

#include <windows.h>

namespace {

std::string ToCodePage(UINT codePage, const std::wstring& text, BOOL* usedDefault) {
    if (text.empty()) return {};
    const DWORD flags = usedDefault ? WC_NO_BEST_FIT_CHARS : 0;
    int n = WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                usedDefault);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        usedDefault);
    return out;
}

std::optional<std::string> ToCodePageExact(UINT codePage, const std::wstring& text) {
    BOOL usedDefault = FALSE;
    std::string out = ToCodePage(codePage, text, &usedDefault);
    if (usedDefault) return std::nullopt;
    return out;
}

}  // namespace

std::string WideToAnsi(const std::wstring& text) { return ToCodePage(CP_ACP, text, nullptr); }

std::optional<std::string> WideToAnsiExact(const std::wstring& text) { return ToCodePageExact(CP_ACP, text); }

std::wstring AnsiToWide(const std::string& text) { return CodePageToWide(CP_ACP, text.data(), text.size()); }

std::wstring CodePageToWide(unsigned codePage, const char* data, size_t length) {
    if (length == 0) return {};
    int n = MultiByteToWideChar(codePage, 0, data, static_cast<int>(length), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, data, static_cast<int>(length), out.data(), n);
    return out;
}
