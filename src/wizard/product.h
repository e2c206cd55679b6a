// The product's fixed names, and the registry key where an installation
// records its folder for the next one.
#pragma once

#include <string>

inline constexpr wchar_t kProductName[] = L"Zantivo";
// The folder the wizard proposes below "Program Files\".
inline constexpr wchar_t kProductFolder[] = L"ZantivoSys";
inline constexpr wchar_t kInstallPathValue[] = L"InstallPath";

// Below HKEY_CURRENT_USER: "Software\Zantivo\", or "Software\" + the
// alternate product name + "\" when the language files give one.
inline std::wstring ProductKeyPath(const std::wstring& alternateName) {
    return L"Software\\" + (alternateName.empty() ? std::wstring(kProductName) : alternateName) + L"\\";
}

// The product's own uninstaller, in the root of the payload and the install folder.
inline constexpr wchar_t kUninstallerFile[] = L"UnInstall.exe";
// The switch that makes the uninstaller ask nothing.
inline constexpr wchar_t kUninstallerQuietSwitch[] = L"/quiet";
