// Conversions between wide text and 8-bit text in the system's ANSI code page,
// used exactly where a value passes through 8 bits.
#pragma once

#include <optional>
#include <string>

// Wide to ANSI as the system does it: a character the code page lacks becomes
// its default character ('?').
std::string WideToAnsi(const std::wstring& text);
// Wide to ANSI, or nothing when any character is not in the code page.
std::optional<std::string> WideToAnsiExact(const std::wstring& text);
std::wstring AnsiToWide(const std::string& text);
// 8-bit text in the given code page (CP_OEMCP, CP_UTF8, ...) to wide text.
std::wstring CodePageToWide(unsigned codePage, const char* data, size_t length);
