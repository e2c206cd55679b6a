#include "install/installed_files.h"

#include <windows.h>

#include <algorithm>

#include "localisation/ini_file.h"

namespace {

constexpr wchar_t kLogSection[] = L"Zantivo";
constexpr wchar_t kSystemIni[] = L"System.ini";

// The whole section as "key=value" texts; the buffer grows until it holds it.
std::vector<std::wstring> SectionLines(const std::wstring& path, const wchar_t* section) {
    std::vector<wchar_t> buffer(1 << 16);
    for (;;) {
        DWORD n = GetPrivateProfileSectionW(section, buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
        if (n + 2 < buffer.size()) {
            std::vector<std::wstring> lines;
            for (const wchar_t* line = buffer.data(); *line; line += wcslen(line) + 1) lines.emplace_back(line);
            return lines;
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool IsNumber(const std::wstring& text) {
    return !text.empty() && text.size() < 10 && std::all_of(text.begin(), text.end(), [](wchar_t c) {
               return c >= L'0' && c <= L'9';
           });
}

}  // namespace

std::vector<std::wstring> ReadUninstallLog(const std::wstring& logPath) {
    std::vector<std::pair<long, std::wstring>> numbered;
    for (const std::wstring& line : SectionLines(logPath, kLogSection)) {
        size_t equals = line.find(L'=');
        if (equals == std::wstring::npos) continue;
        std::wstring key = line.substr(0, equals);
        if (IsNumber(key)) numbered.emplace_back(std::stol(key), line.substr(equals + 1));
    }
    std::stable_sort(numbered.begin(), numbered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::wstring> paths;
    for (auto& entry : numbered) paths.push_back(std::move(entry.second));
    return paths;
}

std::vector<std::wstring> ReadSetupRecords(const std::wstring& folder) {
    TIniFile system(folder + kSystemIni);
    std::vector<std::wstring> paths;
    std::wstring name = system.ReadString(L"Setup", L"Setupname", L"");
    if (!name.empty() && CompareStringOrdinal(name.c_str(), -1, L"Zantivo", -1, TRUE) != CSTR_EQUAL)
        paths.push_back(name + L".exe");
    for (int i = 1; i <= 5; ++i) {
        std::wstring help = system.ReadString(L"HelpFile", L"HelpFileName_" + std::to_wstring(i), L"");
        if (!help.empty()) paths.push_back(help);
    }
    return paths;
}

std::wstring InstalledProductName(const std::wstring& folder) {
    std::wstring name = TIniFile(folder + kSystemIni).ReadString(L"Setup", L"Setupname", L"");
    return name.empty() ? L"Zantivo" : name;
}
