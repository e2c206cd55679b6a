#include "localisation/ini_file.h"

#include <windows.h>

#include <cstdint>

EIniFileError::EIniFileError(const std::wstring& path) : EError(L"Unable to write to " + path) {}

std::wstring TIniFile::ReadString(const std::wstring& section, const std::wstring& key,
                                  const std::wstring& defaultValue) const {
    if (key.empty()) return {};
    wchar_t buffer[kReadBufferChars];
    DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue.c_str(), buffer,
                                       kReadBufferChars, fileName_.c_str());
    return std::wstring(buffer, n);
}

std::wstring TIniFile::ReadWholeString(const std::wstring& section, const std::wstring& key,
                                       const std::wstring& defaultValue) const {
    if (key.empty()) return {};
    // A full buffer may mean a cut value: ask again with twice the room.
    for (DWORD size = kReadBufferChars;; size *= 2) {
        std::wstring buffer(size, L'\0');
        DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(), size,
                                           fileName_.c_str());
        if (n + 1 < size) return buffer.substr(0, n);
    }
}

int TIniFile::ReadInteger(const std::wstring& section, const std::wstring& key, int defaultValue) const {
    int value;
    return ParseIniInteger(ReadString(section, key, L""), value) ? value : defaultValue;
}

void TIniFile::WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    if (!WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), fileName_.c_str()))
        throw EIniFileError(fileName_);
}

void TIniFile::WriteInteger(const std::wstring& section, const std::wstring& key, int value) {
    WriteString(section, key, std::to_wstring(value));
}

bool ParseIniInteger(const std::wstring& text, int& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    unsigned base = 10;
    if (i < text.size() && text[i] == L'$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) return false;
    // Decimal must fit a signed 32-bit number; hexadecimal may use all 32 bits.
    const uint64_t limit = base == 16 ? 0xFFFFFFFFull : negative ? 0x80000000ull : 0x7FFFFFFFull;
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        wchar_t c = text[i];
        unsigned digit;
        if (c >= L'0' && c <= L'9') digit = c - L'0';
        else if (base == 16 && c >= L'a' && c <= L'f') digit = c - L'a' + 10;
        else if (base == 16 && c >= L'A' && c <= L'F') digit = c - L'A' + 10;
        else return false;
        magnitude = magnitude * base + digit;
        if (magnitude > limit) return false;
    }
    uint32_t bits = static_cast<uint32_t>(magnitude);
    if (negative) bits = 0u - bits;
    value = static_cast<int>(bits);
    return true;
}
