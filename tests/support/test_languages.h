// Language files for tests of the wizard, written as a shipper would: two
// languages, EN and DE, whose every message text names its language and
// number ("EN message 11"), the formatted ones ending in " for %s".
#pragma once

#include <string>

// Writes lang\Language.ini, lang\FormRes.ini, lang\ResEN.ini and
// lang\ResDE.ini below setupFolder (ending in a backslash). start is the
// language section "Abbreviate" picks; alternateName is message 00000_00023.
void WriteTestLanguages(const std::wstring& setupFolder, const std::wstring& start = L"EN",
                        const std::wstring& alternateName = L"");
