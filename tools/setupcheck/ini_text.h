// An INI file's text read by the rules of Windows' private-profile
// functions (as Wine implements them), for platforms that have none: section
// and key names match without regard to case, the first section and the
// first key of a name win, names and values are trimmed, a value in matching
// quotes loses them, a line without "=" is no key, and at most 2,047
// characters of a value come back.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace setupcheck {

class TIniText {
public:
    explicit TIniText(const std::wstring& text);

    // The value, or nothing when the section or the key is missing.
    std::optional<std::wstring> Read(const std::wstring& section, const std::wstring& key) const;
    // The key names of a section and the section names, in file order.
    std::vector<std::wstring> Keys(const std::wstring& section) const;
    std::vector<std::wstring> Sections() const;

private:
    struct Key {
        std::wstring name;
        std::wstring value;
    };
    struct Section {
        std::wstring name;
        std::vector<Key> keys;
    };
    const Section* FindSection(const std::wstring& name) const;

    std::vector<Section> sections_;
};

}  // namespace setupcheck
