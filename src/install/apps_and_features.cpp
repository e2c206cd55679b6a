#include "install/apps_and_features.h"

#include <windows.h>

#include <cstdio>

#include "install/install_log.h"
#include "unzip/unzipper.h"
#include "util/change_recorder.h"
#include "util/code_page.h"
#include "util/file_ops.h"
#include "util/registry.h"
#include "util/version_info.h"
#include "wizard/product.h"

namespace {

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

std::wstring Today() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t text[16];
    swprintf(text, 16, L"%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return text;
}

struct TPayloadSummary {
    bool holdsUninstaller = false;
    uint64_t fileBytes = 0;
};

TPayloadSummary Summarise(const TUnZipper& payload) {
    TPayloadSummary summary;
    const std::string uninstaller = WideToAnsi(kUninstallerFile);
    for (int32_t i = 0; i < payload.Count(); ++i) {
        const TZipEntryInfo& entry = payload.Entry(i);
        if (entry.IsDirectory()) continue;
        summary.fileBytes += entry.uncompressedSize;
        if (entry.directory.empty() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, entry.fileName.c_str(), -1,
                                                      uninstaller.c_str(), -1) == CSTR_EQUAL)
            summary.holdsUninstaller = true;
    }
    return summary;
}

}  // namespace

bool RegisterUninstallEntry(const TUninstallEntry& entry) {
    const std::wstring path = kUninstallKey + entry.productName;
    if (!RecordKeyChange(HKEY_LOCAL_MACHINE, path)) return false;  // an earlier entry stays as it was
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, path.c_str());  // no value of an earlier version's entry stays
    TRegKey key = TRegKey::OpenOrCreate(HKEY_LOCAL_MACHINE, path, KEY_WRITE);
    if (!key.IsOpen()) return false;
    const std::wstring uninstaller = Quoted(entry.folder + kUninstallerFile);
    bool written = key.WriteString(L"DisplayName", entry.productName);
    if (const auto version = ReadVersionInfo(entry.mainProgram)) {
        if (!version->productVersion.empty()) written &= key.WriteString(L"DisplayVersion", version->productVersion);
        if (!version->companyName.empty()) written &= key.WriteString(L"Publisher", version->companyName);
    }
    written &= key.WriteString(L"InstallLocation", entry.folder);
    written &= key.WriteString(L"DisplayIcon", entry.mainProgram);
    written &= key.WriteString(L"UninstallString", uninstaller);
    written &= key.WriteString(L"QuietUninstallString", uninstaller + L" " + kUninstallerQuietSwitch);
    const uint64_t kib = (entry.installedBytes + 1023) / 1024;
    written &= key.WriteInteger(L"EstimatedSize", kib > MAXDWORD ? MAXDWORD : static_cast<DWORD>(kib));
    written &= key.WriteString(L"InstallDate", Today());
    written &= key.WriteInteger(L"NoModify", 1);
    written &= key.WriteInteger(L"NoRepair", 1);
    return written;
}

void RegisterWithAppsAndFeatures(const TUnZipper& payload, const std::wstring& folder, const std::wstring& mainProgram,
                                 const std::wstring& productName) {
    const TPayloadSummary summary = Summarise(payload);
    if (!summary.holdsUninstaller || !FileExistsW(folder + kUninstallerFile)) {
        LogLine(L"Apps & Features: nothing registered, the payload installed no " + std::wstring(kUninstallerFile));
        return;
    }
    const std::wstring where = L"HKEY_LOCAL_MACHINE\\" + std::wstring(kUninstallKey) + productName;
    if (RegisterUninstallEntry({productName, folder, mainProgram, summary.fileBytes}))
        LogLine(L"Apps & Features: registered as " + where);
    else
        LogLine(L"Apps & Features: the registry refused (some of) the entry " + where);
}
