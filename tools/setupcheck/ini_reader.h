// The one interface through which the checker reads INI files: Windows'
// own private-profile functions on Windows (TIniFile), and TIniText over the
// file's decoded text elsewhere, so that both read a file as the installer does.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace setupcheck {

class TIniReader {
public:
    virtual ~TIniReader() = default;
    // The value, or nothing when the section or the key is missing.
    virtual std::optional<std::wstring> Read(const std::wstring& section, const std::wstring& key) const = 0;
    // The key names of a section and the section names, in file order.
    virtual std::vector<std::wstring> Keys(const std::wstring& section) const = 0;
    virtual std::vector<std::wstring> Sections() const = 0;

    std::wstring ReadString(const std::wstring& section, const std::wstring& key) const {
        return Read(section, key).value_or(std::wstring());
    }
};

// A reader of the file at path; 8-bit files are read in codePage where the
// platform does not decide that itself.
std::unique_ptr<TIniReader> OpenIniReader(const std::wstring& path, unsigned codePage);

}  // namespace setupcheck
