// Which files an installation put into the product folder, as the product's
// uninstaller learns it: the entries of Uninstall.log, which the setup writes
// while it extracts, and what the setup records in the product's System.ini
// when it places files of its own beside them.
#pragma once

#include <string>
#include <vector>

inline constexpr wchar_t kUninstallLogName[] = L"Uninstall.log";

// The paths of the log's numbered keys (section "Zantivo", keys 0, 1, 2 ...,
// each a path relative to the product folder), in the order of their
// numbers; numbers may be missing. The file times of the "D" keys beside them
// are not used: the setup itself rewrites several files after extracting
// them, and they are removed all the same. The log is 8-bit text in the
// system code page.
std::vector<std::wstring> ReadUninstallLog(const std::wstring& logPath);

// The files that System.ini in folder records: the main program under the
// name a rebranded setup gave it ("Setup"/"Setupname" + ".exe", when that is
// not the extracted Zantivo.exe) and the help files the setup copied
// ("HelpFile"/"HelpFileName_1" to "_5"). Paths relative to folder.
std::vector<std::wstring> ReadSetupRecords(const std::wstring& folder);

// The product's name as the setup recorded it in System.ini, or "Zantivo".
std::wstring InstalledProductName(const std::wstring& folder);
