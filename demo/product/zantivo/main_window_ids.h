// How Zantivo.exe's window can be found from outside (the tests do): its
// window class and the identifiers of its text controls.
#pragma once

inline constexpr wchar_t kMainWindowClass[] = L"ZantivoMainWindow";
inline constexpr int kHeadingId = 100;
inline constexpr int kTaglineId = 101;
inline constexpr int kFolderLineId = 102;    // "Installed in: <folder>"
inline constexpr int kLanguageLineId = 103;  // "Language: <name> (<abbreviation>)"
