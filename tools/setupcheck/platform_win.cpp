#include "platform.h"

#include <windows.h>

#include "util/code_page.h"
#include "util/file_ops.h"

namespace setupcheck {

std::wstring FolderPath(const std::wstring& given) {
    if (!given.empty() && (given.back() == L'\\' || given.back() == L'/')) return given;
    return given + L'\\';
}

// The installer's own test: folder + relative, plain concatenation.
std::optional<std::wstring> FindFile(const std::wstring& folder, const std::wstring& relative) {
    const std::wstring path = folder + relative;
    if (!FileExistsW(path)) return std::nullopt;
    return path;
}

std::filesystem::path FsPath(const std::wstring& path) { return std::filesystem::path(path); }

std::wstring WidePath(const std::filesystem::path& path) { return path.wstring(); }

unsigned DefaultCodePage() { return GetACP(); }

bool CodePageKnown(unsigned codePage) { return IsValidCodePage(codePage); }

std::optional<std::wstring> DecodeStrictly(unsigned codePage, const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                      nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return text;
}

std::wstring DecodeLeniently(unsigned codePage, const std::string& bytes) {
    return CodePageToWide(codePage, bytes.data(), bytes.size());
}

bool FitsCodePage(unsigned codePage, const std::wstring& text) {
    if (text.empty()) return true;
    if (codePage == CP_UTF8) {
        return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr) > 0;
    }
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, &usedDefault);
    return n > 0 && !usedDefault;
}

std::optional<std::string> ComponentText(const std::wstring& path) { return WideToAnsiExact(path); }

std::wstring FromComponentText(const std::string& text) { return AnsiToWide(text); }

}  // namespace setupcheck
