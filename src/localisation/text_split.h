// The list operations of the language files: values made of parts joined by
// the list separator "||", for lists of wide and of 8-bit texts alike.
#pragma once

#include <string>
#include <type_traits>

#include "util/string_list.h"

inline const wchar_t* const kListSeparator = L"||";

// Fills list with the parts of text at each (case-sensitive) separator; the
// last part is added even when empty, so an empty text gives one empty entry.
template <class Text>
void SplitText(TTaggedList<Text>& list, const Text& text, const Text& separator) {
    list.Clear();
    size_t from = 0;
    for (size_t at; !separator.empty() && (at = text.find(separator, from)) != Text::npos;
         from = at + separator.size())
        list.Add(text.substr(from, at - from));
    list.Add(text.substr(from));
}

// Each entry followed by the separator, the last separator cut off.
template <class Text>
Text JoinText(const TTaggedList<Text>& list, const Text& separator) {
    Text joined;
    for (const auto& item : list.items) joined += item.text + separator;
    if (!joined.empty()) joined.resize(joined.size() - separator.size());
    return joined;
}

// Removes the entries that are empty once blanks and control characters are
// trimmed (the kept ones stay untrimmed) and tags the rest with their positions.
template <class Text>
void CleanList(TTaggedList<Text>& list) {
    auto blank = [](const Text& text) {
        for (auto c : text)
            if (static_cast<unsigned>(static_cast<std::make_unsigned_t<decltype(c)>>(c)) > L' ') return false;
        return true;
    };
    for (size_t i = list.items.size(); i-- > 0;)
        if (blank(list.items[i].text)) list.items.erase(list.items.begin() + static_cast<std::ptrdiff_t>(i));
    for (size_t i = 0; i < list.items.size(); ++i) list.items[i].tag = static_cast<int>(i);
}

inline void SplitText(TWideStringList& list, const std::wstring& text) { SplitText(list, text, std::wstring(kListSeparator)); }
inline std::wstring JoinText(const TWideStringList& list) { return JoinText(list, std::wstring(kListSeparator)); }
