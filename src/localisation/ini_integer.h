// The integer rule of the INI accessor: decimal, or hexadecimal after "0x",
// "0X" or "$", with an optional sign. Portable: the shipping checker reads
// numbers in language files by the same rule.
#pragma once

#include <string>

// False (value untouched) for anything else, or a number out of 32 bits.
bool ParseIniInteger(const std::wstring& text, int& value);
