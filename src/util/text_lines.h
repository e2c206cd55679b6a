// The line rule of text lists, on text already decoded: lines end at CR LF,
// CR, LF or U+2028 (a CR LF pair counts once); a NUL ends the text; a final
// break gives no empty last line; lines are not trimmed. Portable: the
// shipping checker reads text lists by the same rule.
#pragma once

#include <string>
#include <vector>

inline std::vector<std::wstring> SplitTextLines(std::wstring text) {
    if (size_t nul = text.find(L'\0'); nul != std::wstring::npos) text.resize(nul);
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c != L'\r' && c != L'\n' && c != L'\x2028') continue;
        lines.emplace_back(text, start, i - start);
        if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text, start, std::wstring::npos);
    return lines;
}
