#include "unzip/errors.h"

#ifdef _WIN32
#include "util/code_page.h"
#endif

namespace {

// The component's texts are ASCII; file names in them are the platform's
// 8-bit text: the ANSI code page on Windows, UTF-8 elsewhere.
std::wstring Widen(const std::string& text) {
#ifdef _WIN32
    return AnsiToWide(text);
#else
    return Utf8ToWide(text);
#endif
}

}  // namespace

EZipError::EZipError(const std::string& message) : EError(Widen(message)) {}

EWriteError::EWriteError(const std::string& path, const std::string& reason)
    : EStreamError("Cannot write file \"" + path + "\". " + reason), path_(path), reason_(reason) {}
