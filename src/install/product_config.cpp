#include "install/product_config.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "install/folder_permissions.h"
#include "localisation/ini_file.h"
#include "localisation/message_texts.h"
#include "util/change_recorder.h"
#include "util/code_page.h"
#include "util/file_ops.h"
#include "util/path.h"
#include "util/registry.h"
#include "util/text_list.h"
#include "util/win_error.h"

namespace {

// Made, in this order, in every new batch folder.
const wchar_t* const kBatchSubfolders[] = {L"Barcode", L"KeyWord", L"temp"};

std::wstring SystemIniPath(const std::wstring& destination) { return destination + L"System.ini"; }

// Creates one folder level through the ANSI code page, where the product's
// folders pass through 8 bits. A name the code page cannot carry is refused
// rather than turned into a different folder by a best-fit character.
bool CreateFolderThroughAnsi(const std::wstring& folder) {
    std::optional<std::string> ansi = WideToAnsiExact(folder);
    if (!ansi) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    return CreateFolder(AnsiToWide(*ansi));
}

// Copies source over target (replacing it) as an optional step does: a
// failure is only the result. The target's change is recorded first, and
// only when there is something to copy, so that a missing source leaves an
// earlier target exactly as it was.
bool CopyRecordedFile(const std::wstring& source, const std::wstring& target) {
    if (!FileExistsW(source) || !RecordFileChange(target, TFileChange::Edit)) return false;
    return CopyFileW(source.c_str(), target.c_str(), FALSE) != FALSE;
}

}  // namespace

void CopyCelartemDefaults(const std::wstring& destination) {
    const std::wstring appData = CommonAppDataFolder();
    // Without the shell's folder the path would name "\Celartem" on the current drive.
    if (appData.empty()) return;
    const std::wstring celartem = appData + L"\\Celartem";
    if (!FolderExists(celartem)) CreateFolderThroughAnsi(celartem);  // a failure shows as a failed copy
    CopyRecordedFile(destination + L"defaults.dprepo", celartem + L"\\defaults.dprepo");
}

std::wstring DataFolder(const std::wstring& destination) {
    const std::wstring root = destination.substr(0, 3);
    return (FolderExists(root) ? root : destination) + L"Zantivo\\";
}

void UpdateSystemIni(const std::wstring& destination, const std::wstring& setupFolder, bool ntfs) {
    const std::wstring dataFolder = DataFolder(destination);
    if (!FolderExists(dataFolder) && !CreateFolderThroughAnsi(dataFolder))
        throw EInOutError(GetLastError(), dataFolder);

    TIniFile systemIni(SystemIniPath(destination));
    systemIni.WriteString(L"batch", L"root_path", dataFolder);
    systemIni.WriteString(L"batch", L"CurrOutPicDir", DocumentsFolder(destination));
    systemIni.WriteString(L"Sealed", L"edtContent", L"Quendral WorkShop");

    if (ntfs) GrantFolderPermissions(dataFolder);
    PrepareBatchFolders(dataFolder, setupFolder);
}

std::wstring DocumentsFolder(const std::wstring& defaultFolder) {
    std::wstring folder = defaultFolder;
    TRegKey shellFolders = TRegKey::Open(HKEY_CURRENT_USER, kShellFoldersKey);
    if (shellFolders.IsOpen()) folder = shellFolders.ReadString(L"Personal");
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

void PrepareBatchFolders(const std::wstring& dataFolder, const std::wstring& setupFolder) {
    const std::wstring batchNames = setupFolder + L"BatchName.dat";
    if (!FileExistsW(batchNames)) return;
    const std::vector<std::wstring> names = ReadTextList(batchNames);

    const std::wstring indexPath = dataFolder + L"Index.dat";
    std::vector<std::wstring> index;
    if (FileExistsW(indexPath)) index = ReadTextList(indexPath);

    for (const std::wstring& name : names)
        if (PrepareBatchFolder(dataFolder + name + L"\\")) index.push_back(name);
    // The whole list is written back, so an earlier Index.dat becomes UTF-16 too.
    if (!index.empty()) WriteTextList(indexPath, index);
}

bool PrepareBatchFolder(const std::wstring& folder) {
    if (FolderExists(folder) || !CreateFolder(folder)) return false;
    for (const wchar_t* subfolder : kBatchSubfolders) CreateFolder(folder + subfolder);
    WriteTextList(folder + L"Index.txt", {});
    return true;
}

void WriteInstalledLanguage(int32_t language, const std::wstring& destination) {
    TIniFile(destination + L"Lang\\Language.ini").WriteInteger(L"System", L"Languare", language);
}

void WriteSetupName(const std::wstring& destination, const TMultiLanguage& catalogue) {
    TIniFile(SystemIniPath(destination)).WriteString(L"Setup", L"Setupname", ProductName(catalogue));
}

void CopyHelpFiles(const std::wstring& destination, const std::wstring& setupFolder) {
    const TIniFile config(setupFolder + L"Config.ini");
    if (!FileExistsW(config.FileName())) return;
    TIniFile systemIni(SystemIniPath(destination));
    for (int i = 1; i <= 5; ++i) {
        const std::wstring key = L"HelpFileName_" + std::to_wstring(i);
        const std::wstring helpFile = setupFolder + config.ReadString(L"HelpFile", key, L"");
        if (!FileExistsW(helpFile)) continue;
        const std::wstring name = ExtractName(helpFile);
        if (CopyRecordedFile(helpFile, destination + name)) systemIni.WriteString(L"HelpFile", key, name);
    }
}
