#include "install/plain_profile.h"

#include <windows.h>

#include <algorithm>

#include "util/code_page.h"

namespace {

// What the system's profile code trims from the ends of lines, names and
// values, taken widely: any character that is or may be a space counts.
bool IsProfileSpace(wchar_t c) {
    if (c <= L' ' || c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200B) || c == 0x2028 ||
        c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF)
        return true;
    WORD type = 0;
    return GetStringTypeW(CT_CTYPE1, &c, 1, &type) && (type & C1_SPACE);
}

bool HasControlCharacter(const std::wstring& text) {
    return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c < L' '; });
}

bool HasSpaceAtAnEnd(const std::wstring& text) {
    return !text.empty() && (IsProfileSpace(text.front()) || IsProfileSpace(text.back()));
}

bool IsAscii(const std::wstring& text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; });
}

// Names are compared ignoring the case of their (ASCII) letters.
std::wstring Folded(const std::wstring& name) {
    std::wstring folded = name;
    for (wchar_t& c : folded)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return folded;
}

std::wstring KeyLine(const std::wstring& name, const std::optional<std::wstring>& value) {
    return value ? name + L"=" + *value + L"\r\n" : name + L"\r\n";
}

std::wstring HeaderLine(const std::wstring& name) { return L"[" + name + L"]\r\n"; }

bool StartsWith(const std::string& bytes, const char* mark) { return bytes.rfind(mark, 0) == 0; }

}  // namespace

std::optional<TPlainProfile> TPlainProfile::Parse(const std::string& bytes) {
    // A byte-order mark makes the system keep the file in UTF-8 or UTF-16.
    if (StartsWith(bytes, "\xEF\xBB\xBF") || StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF"))
        return std::nullopt;
    const std::wstring text = AnsiToWide(bytes);
    if (WideToAnsi(text) != bytes) return std::nullopt;

    TPlainProfile profile;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) return std::nullopt;  // a last line without its line break
        const std::wstring line = text.substr(start, end - start);
        start = end + 2;
        if (line.empty() || HasControlCharacter(line) || HasSpaceAtAnEnd(line)) return std::nullopt;

        if (line.front() == L'[') {
            if (line.back() != L']') return std::nullopt;
            std::wstring name = line.substr(1, line.size() - 2);
            if (name.empty() || HasSpaceAtAnEnd(name) || !IsAscii(name) ||
                name.find_first_of(L"[]") != std::wstring::npos)
                return std::nullopt;
            profile.AddSection(std::move(name), true);
            continue;
        }

        const size_t equals = line.find(L'=');
        std::wstring name = line.substr(0, equals);
        std::optional<std::wstring> value;
        if (equals != std::wstring::npos) value = line.substr(equals + 1);
        if (name.empty() || IsProfileSpace(name.back()) || !IsAscii(name) || (value && HasSpaceAtAnEnd(*value)))
            return std::nullopt;
        if (profile.sections_.empty()) profile.AddSection(L"", false);
        profile.AddKey(profile.sections_.back(), std::move(name), std::move(value));
    }
    profile.bytes_ = bytes;
    return profile;
}

bool TPlainProfile::IsPlainValue(const std::wstring& value) {
    return !HasControlCharacter(value) && !HasSpaceAtAnEnd(value);
}

TPlainProfile::TSection& TPlainProfile::AddSection(std::wstring name, bool hasHeader) {
    sectionIndex_.try_emplace(Folded(name), sections_.size());
    TSection& section = sections_.emplace_back();
    section.name = std::move(name);
    section.hasHeader = hasHeader;
    return section;
}

void TPlainProfile::AddKey(TSection& section, std::wstring name, std::optional<std::wstring> value) {
    section.keyIndex.try_emplace(Folded(name), section.keys.size());
    section.keys.push_back({std::move(name), std::move(value)});
}

void TPlainProfile::Set(const std::wstring& sectionName, const std::wstring& keyName, const std::wstring& value) {
    TSection* section;
    if (auto found = sectionIndex_.find(Folded(sectionName)); found != sectionIndex_.end()) {
        section = &sections_[found->second];
    } else {
        section = &AddSection(sectionName, true);
        appended_ += HeaderLine(sectionName);
    }

    if (auto found = section->keyIndex.find(Folded(keyName)); found != section->keyIndex.end()) {
        TKey& key = section->keys[found->second];
        if (key.value == value) return;  // the system leaves the file alone then
        key.value = value;
        rewritten_ = true;
        return;
    }
    AddKey(*section, keyName, value);
    if (section == &sections_.back()) appended_ += KeyLine(keyName, value);
    else rewritten_ = true;
}

std::wstring TPlainProfile::Text() const {
    std::wstring text;
    for (const TSection& section : sections_) {
        if (section.hasHeader) text += HeaderLine(section.name);
        for (const TKey& key : section.keys) text += KeyLine(key.name, key.value);
    }
    return text;
}

std::optional<TPlainProfile::TChange> TPlainProfile::TakeChange() {
    if (rewritten_) {
        std::string old = std::move(bytes_);
        bytes_ = WideToAnsi(Text());
        appended_.clear();
        rewritten_ = false;
        if (bytes_ == old) return std::nullopt;
        const size_t same = static_cast<size_t>(
            std::mismatch(old.begin(), old.end(), bytes_.begin(), bytes_.end()).first - old.begin());
        return TChange{same, bytes_.substr(same)};
    }
    if (appended_.empty()) return std::nullopt;
    TChange change{bytes_.size(), WideToAnsi(appended_)};
    bytes_ += change.bytes;
    appended_.clear();
    return change;
}
