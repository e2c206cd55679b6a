// The one accessor for every INI file (language files, the product's
// configuration files), over the wide private-profile functions: a missing
// file, section or key gives the caller's default, names match without regard
// to case, a UTF-16LE file with a byte-order mark keeps its encoding when
// written, and every write goes to the file at once (announced to the change
// recorder first, which may refuse it: "Unable to write to").
#pragma once

#include <string>
#include <vector>

#include "localisation/ini_integer.h"
#include "util/error.h"

// A write the system refused: "Unable to write to <path>".
class EIniFileError : public EError {
public:
    explicit EIniFileError(const std::wstring& path);
};

class TIniFile {
public:
    // Values longer than this minus one are cut.
    static constexpr unsigned kReadBufferChars = 2048;

    explicit TIniFile(std::wstring fileName) : fileName_(std::move(fileName)) {}
    const std::wstring& FileName() const { return fileName_; }

    // An empty key gives the empty text.
    std::wstring ReadString(const std::wstring& section, const std::wstring& key,
                            const std::wstring& defaultValue) const;
    // As ReadString, but never cut: for a value that is read to be written back.
    std::wstring ReadWholeString(const std::wstring& section, const std::wstring& key,
                                 const std::wstring& defaultValue) const;
    // Decimal, or hexadecimal after "0x", "0X" or "$"; anything else gives defaultValue.
    int ReadInteger(const std::wstring& section, const std::wstring& key, int defaultValue) const;
    // The key names of a section, and the section names, in file order.
    std::vector<std::wstring> ReadSection(const std::wstring& section) const;
    std::vector<std::wstring> ReadSections() const;
    void WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value);
    void WriteInteger(const std::wstring& section, const std::wstring& key, int value);

private:
    std::wstring fileName_;
};
