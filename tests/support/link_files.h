// Reading a shell link (".lnk") back through IShellLinkW, as the shell would, and making one.
#pragma once

#include <ostream>
#include <string>

struct LinkFields {
    std::wstring target, folder, description, arguments;
    bool operator==(const LinkFields&) const = default;
};

void PrintTo(const LinkFields& f, std::ostream* out);
// The link's fields; a link that cannot be loaded fails the test.
LinkFields ReadLink(const std::wstring& path);
// Saves a link to target at path (a link a user made); a failure fails the test.
void WriteLink(const std::wstring& path, const std::wstring& target);
