// The pattern match of FilesList: "?" one character, "*" any run, "<...>" a
// set of characters and ranges (negated by a leading "^" or "!"); both texts
// are lower-cased first.
#pragma once

#include <string>

bool WildcardMatch(const std::string& text, const std::string& pattern);
