#include "localisation/ini_file.h"

#include <windows.h>

#include "util/change_recorder.h"

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

namespace {

// A list of names from a private-profile call that fills a buffer with
// NUL-terminated names and a final NUL; the buffer grows until it all fits.
template <class Call>
std::vector<std::wstring> ReadNames(Call call) {
    for (DWORD size = 4096;; size *= 2) {
        std::wstring buffer(size, L'\0');
        const DWORD n = call(buffer.data(), size);
        if (n + 2 >= size && size < (1u << 24)) continue;  // cut: the call leaves two characters spare
        std::vector<std::wstring> names;
        // Names may be empty (a key written "=value"), so the count, not an
        // empty name, ends the list.
        for (size_t at = 0; at < n;) {
            const size_t end = buffer.find(L'\0', at);
            names.push_back(buffer.substr(at, end - at));
            at = end + 1;
        }
        return names;
    }
}

}  // namespace

std::vector<std::wstring> TIniFile::ReadSection(const std::wstring& section) const {
    return ReadNames([&](wchar_t* buffer, DWORD size) {
        return GetPrivateProfileStringW(section.c_str(), nullptr, L"", buffer, size, fileName_.c_str());
    });
}

std::vector<std::wstring> TIniFile::ReadSections() const {
    return ReadNames([&](wchar_t* buffer, DWORD size) {
        return GetPrivateProfileSectionNamesW(buffer, size, fileName_.c_str());
    });
}

void TIniFile::WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    if (!RecordFileChange(fileName_, TFileChange::Edit) ||
        !WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), fileName_.c_str()))
        throw EIniFileError(fileName_);
}

void TIniFile::WriteInteger(const std::wstring& section, const std::wstring& key, int value) {
    WriteString(section, key, std::to_wstring(value));
}
