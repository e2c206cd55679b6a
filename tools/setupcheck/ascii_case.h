// Names compared without regard to the case of ASCII letters: the names of
// sections, keys, controls, languages and the setup folder's files are
// ASCII, and for them this is what Windows' comparison does.
#pragma once

#include <string>

namespace setupcheck {

template <class Char>
bool SameName(const std::basic_string<Char>& a, const std::basic_string<Char>& b) {
    if (a.size() != b.size()) return false;
    auto fold = [](Char c) { return c >= Char('a') && c <= Char('z') ? static_cast<Char>(c - Char('a') + Char('A')) : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

}  // namespace setupcheck
