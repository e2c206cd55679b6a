// Reading a shell link (".lnk") back through IShellLinkW, as the shell would.
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
