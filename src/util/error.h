// The one base of every serious failure: an exception carrying the wide text
// that the standard error box shows. Portable (the ZIP component's errors
// derive from it in the native build too).
#pragma once

#include <exception>
#include <string>

class EError : public std::exception {
public:
    explicit EError(std::wstring message);
    const std::wstring& Message() const noexcept { return message_; }
    // The message in UTF-8, for logs, tests and the command-line tools.
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    std::wstring message_;
    std::string utf8_;
};

// A wide text (UTF-16 on Windows, UTF-32 elsewhere) as UTF-8.
std::string WideToUtf8(const std::wstring& text);
// UTF-8 to wide text; malformed bytes become U+FFFD.
std::wstring Utf8ToWide(const std::string& text);
