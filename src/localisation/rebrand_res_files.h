// Rewrites the installed product's language text files with the product name
// the setup gives it: every "*.ini" below the install folder whose name
// begins with "Res" gets the name in its four fixed places.
#pragma once

#include <string>

// Rebrands each matching file, a folder's files before its subfolders'. A
// refused write raises EIniFileError at once: files done stay done, later
// files are not visited.
void RebrandResFiles(const std::wstring& installFolder, const std::wstring& productName);

// Writes productName to "Res"/"00000_00000", "Res"/"00000_00001" and
// "FormRes"/"00000000001", and replaces every "Qorvix" in
// "FormRes"/"00000000396" (the product name when missing) by it.
void RebrandResFile(const std::wstring& fileName, const std::wstring& productName);
