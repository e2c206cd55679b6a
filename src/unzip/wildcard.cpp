#include "unzip/wildcard.h"

#include <cctype>

namespace {

std::string Lower(const std::string& s) {
    std::string r = s;
    for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

// Matches c against the set starting after '<' at p[i]; sets end to the
// index after '>' and returns whether it matched; end = npos for an empty or
// unterminated set.
bool MatchSet(const std::string& p, size_t i, char c, size_t& end) {
    bool negate = false;
    if (i < p.size() && (p[i] == '^' || p[i] == '!')) {
        negate = true;
        ++i;
    }
    bool hit = false, any = false;
    while (i < p.size() && p[i] != '>') {
        any = true;
        char low = p[i], high = low;
        if (i + 2 < p.size() && p[i + 1] == '-' && p[i + 2] != '>') {
            high = p[i + 2];
            i += 3;
        } else {
            ++i;
        }
        if (static_cast<unsigned char>(c) >= static_cast<unsigned char>(low) &&
            static_cast<unsigned char>(c) <= static_cast<unsigned char>(high))
            hit = true;
    }
    if (i >= p.size() || !any) {
        end = std::string::npos;
        return false;
    }
    end = i + 1;
    return hit != negate;
}

}  // namespace

bool WildcardMatch(const std::string& textIn, const std::string& patternIn) {
    if (patternIn == "*") return true;
    const std::string t = Lower(textIn), p = Lower(patternIn);
    // Iterative matching with backtracking to the last '*': linear in
    // practice, never exponential whatever the pattern.
    size_t ti = 0, pi = 0, starP = std::string::npos, starT = 0;
    while (ti < t.size()) {
        if (pi < p.size() && p[pi] == '*') {
            starP = pi++;
            starT = ti;
            continue;
        }
        if (pi < p.size()) {
            if (p[pi] == '?') {
                ++pi;
                ++ti;
                continue;
            }
            if (p[pi] == '<') {
                size_t end;
                bool hit = MatchSet(p, pi + 1, t[ti], end);
                if (end == std::string::npos) return false;
                if (hit) {
                    pi = end;
                    ++ti;
                    continue;
                }
            } else if (p[pi] == t[ti]) {
                ++pi;
                ++ti;
                continue;
            }
        }
        if (starP == std::string::npos) return false;
        pi = starP + 1;
        ti = ++starT;
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}
