#include "ini_text.h"

#include "ascii_case.h"

namespace setupcheck {
namespace {

constexpr size_t kMaxValueChars = 2047;  // the installer's read buffer holds 2,048 characters

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f'; }

std::wstring Trim(const std::wstring& text) {
    size_t from = 0, to = text.size();
    while (from < to && IsBlank(text[from])) ++from;
    while (to > from && IsBlank(text[to - 1])) --to;
    return text.substr(from, to - from);
}

}  // namespace

TIniText::TIniText(const std::wstring& text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty()) continue;
        if (line[0] == L'[') {
            const size_t close = line.rfind(L']');
            if (close != std::wstring::npos) {
                sections_.push_back({Trim(line.substr(1, close - 1)), {}});
                continue;
            }
        }
        // Lines before the first section belong to a nameless one.
        if (sections_.empty()) sections_.push_back({});
        const size_t equals = line.find(L'=');
        // A line without "=" is kept by Windows but neither read nor listed.
        if (equals != std::wstring::npos)
            sections_.back().keys.push_back({Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))});
    }
}

const TIniText::Section* TIniText::FindSection(const std::wstring& name) const {
    for (const Section& section : sections_)
        if (SameName(section.name, name)) return &section;
    return nullptr;
}

std::optional<std::wstring> TIniText::Read(const std::wstring& section, const std::wstring& key) const {
    const Section* found = FindSection(section);
    if (!found) return std::nullopt;
    for (const Key& k : found->keys) {
        if (!SameName(k.name, key)) continue;
        std::wstring value = k.value;
        if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0])
            value = value.substr(1, value.size() - 2);
        if (value.size() > kMaxValueChars) value.resize(kMaxValueChars);
        return value;
    }
    return std::nullopt;
}

std::vector<std::wstring> TIniText::Keys(const std::wstring& section) const {
    std::vector<std::wstring> names;
    // Keys that begin with ";" are comments to the listing, though they can be read.
    if (const Section* found = FindSection(section))
        for (const Key& k : found->keys)
            if (k.name.empty() || k.name[0] != L';') names.push_back(k.name);
    return names;
}

std::vector<std::wstring> TIniText::Sections() const {
    std::vector<std::wstring> names;
    // The nameless section of the lines before the first header is not listed.
    for (const Section& section : sections_)
        if (!section.name.empty()) names.push_back(section.name);
    return names;
}

}  // namespace setupcheck
