#include "install/product_config.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "install/folder_permissions.h"
#include "localisation/ini_file.h"
#include "localisation/multi_language.h"
#include "support/temp_folder.h"
#include "util/file_ops.h"
#include "util/registry.h"
#include "util/win_error.h"

// The permission step changes access lists (tested on its own); here it only
// records which folder it was given. This
// definition takes the place of the installer's own: the linker takes the
// test's object before the library's.
std::vector<std::wstring> grantedFolders;
void GrantFolderPermissions(const std::wstring& folder) { grantedFolders.push_back(folder); }

namespace {

std::wstring IniValue(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    return TIniFile(file).ReadString(section, key, L"<none>");
}

// A folder whose first three characters are no drive root, as on a network
// share: "\\?\" + a temporary folder.
std::wstring WithoutDriveRoot(const TempFolder& dir) { return L"\\\\?\\" + dir.Path(); }

std::string Utf16(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

// Saves every value of the "Shell Folders" key and puts them back, so a test
// may change the key that the whole test prefix shares.
class ShellFoldersSnapshot {
public:
    ShellFoldersSnapshot() {
        HKEY key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kShellFoldersKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
        existed_ = true;
        for (DWORD i = 0;; ++i) {
            wchar_t name[512];
            BYTE data[4096];
            DWORD nameLength = 512, size = sizeof data, type = 0;
            if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
            values_.push_back({std::wstring(name, nameLength), type, std::string(reinterpret_cast<char*>(data), size)});
        }
        RegCloseKey(key);
    }
    ~ShellFoldersSnapshot() {
        RegDeleteKeyW(HKEY_CURRENT_USER, kShellFoldersKey);
        if (!existed_) return;
        HKEY key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kShellFoldersKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return;
        for (const Value& v : values_)
            RegSetValueExW(key, v.name.c_str(), 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()),
                           static_cast<DWORD>(v.data.size()));
        RegCloseKey(key);
    }
    static void SetPersonal(DWORD type, const void* data, DWORD size) {
        HKEY key;
        ASSERT_EQ(
            RegCreateKeyExW(HKEY_CURRENT_USER, kShellFoldersKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        RegSetValueExW(key, L"Personal", 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
    static void SetPersonal(const std::wstring& folder) {
        SetPersonal(REG_SZ, folder.c_str(), static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    }

private:
    struct Value {
        std::wstring name;
        DWORD type;
        std::string data;
    };
    bool existed_ = false;
    std::vector<Value> values_;
};

// A setup folder with two languages whose product names are "Viewer" and empty.
struct CatalogueFolder {
    TempFolder dir;
    CatalogueFolder() {
        CreateDirectoryW((dir / L"lang").c_str(), nullptr);
        WriteBytes(dir / L"lang\\Language.ini", "[System]\r\nLanguageList=EN||DE\r\n");
        WriteBytes(dir / L"lang\\ResEN.ini", "[Res]\r\n00000_00023=Viewer\r\n");
        WriteBytes(dir / L"lang\\ResDE.ini", "[Res]\r\n00000_00023=\r\n");
    }
};

}  // namespace

TEST(ProductConfigTest, TheDataFolderLiesOnTheDriveRootWhenThereIsOne) {
    EXPECT_EQ(DataFolder(L"C:\\Program Files\\ZantivoSys\\"), L"C:\\Zantivo\\");
    EXPECT_EQ(DataFolder(L"\\\\server\\share\\Scan\\"), L"\\\\server\\share\\Scan\\Zantivo\\");
    wchar_t missing[] = L"?:\\";
    for (wchar_t letter = L'Y'; letter > L'C'; --letter) {
        missing[0] = letter;
        if (GetDriveTypeW(missing) == DRIVE_NO_ROOT_DIR) break;
    }
    EXPECT_EQ(DataFolder(std::wstring(missing) + L"Apps\\Scan\\"), std::wstring(missing) + L"Apps\\Scan\\Zantivo\\");
}

TEST(ProductConfigTest, ADataFolderThatCannotBeMadeIsAnInputOutputError) {
    TempFolder dir;
    // A file where the folder should be.
    const std::wstring destination = WithoutDriveRoot(dir);
    WriteBytes(dir / L"Zantivo", "");
    try {
        UpdateSystemIni(destination, dir.Path(), false);
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), L"I/O error 183: " + destination + L"Zantivo\\");
    }
    // A name the ANSI code page cannot carry.
    CreateDirectoryW((dir / L"\u03a9").c_str(), nullptr);
    try {
        UpdateSystemIni(destination + L"\u03a9\\", dir.Path(), false);
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Code(), static_cast<DWORD>(ERROR_INVALID_NAME));
    }
    EXPECT_FALSE(FileExistsW(dir / L"System.ini"));
    EXPECT_FALSE(FolderExists(dir / L"\u03a9\\Zantivo"));
}

TEST(ProductConfigTest, ARefusedSystemIniWriteRaisesUnableToWrite) {
    TempFolder dir;
    const std::wstring destination = WithoutDriveRoot(dir);
    LockedFile lock(dir / L"System.ini");
    try {
        UpdateSystemIni(destination, dir.Path(), false);
        ADD_FAILURE() << "no error";
    } catch (const EIniFileError& e) {
        EXPECT_EQ(e.Message(), L"Unable to write to " + destination + L"System.ini");
    }
    try {
        CatalogueFolder setup;
        WriteSetupName(destination, TMultiLanguage(setup.dir / L"Setup.exe"));
        ADD_FAILURE() << "no error";
    } catch (const EIniFileError& e) {
        EXPECT_EQ(e.Message(), L"Unable to write to " + destination + L"System.ini");
    }
}

TEST(ProductConfigTest, ANewBatchFolderGetsItsSubfoldersAndAnEmptyIndex) {
    TempFolder dir;
    EXPECT_TRUE(PrepareBatchFolder(dir / L"Invoices\\"));
    for (const wchar_t* sub : {L"Barcode", L"KeyWord", L"temp"}) EXPECT_TRUE(FolderExists(dir / L"Invoices\\" + sub));
    EXPECT_EQ(ReadBytes(dir / L"Invoices\\Index.txt"), "\xFF\xFE");

    CreateDirectoryW((dir / L"Letters").c_str(), nullptr);
    EXPECT_FALSE(PrepareBatchFolder(dir / L"Letters\\"));
    EXPECT_FALSE(FolderExists(dir / L"Letters\\Barcode"));
    EXPECT_FALSE(FileExistsW(dir / L"Letters\\Index.txt"));
    EXPECT_FALSE(PrepareBatchFolder(dir / L"missing\\Parent\\"));
}

TEST(ProductConfigTest, BatchFoldersAreMadeForNewNamesOnlyAndAppendedToTheIndex) {
    TempFolder setup, data;
    // No BatchName.dat: nothing happens.
    WriteBytes(data / L"Index.dat", "Old\r\n");
    PrepareBatchFolders(data.Path(), setup.Path());
    EXPECT_EQ(ReadBytes(data / L"Index.dat"), "Old\r\n");

    WriteBytes(setup / L"BatchName.dat", "Invoices\r\nLetters\r\n");
    CreateDirectoryW((data / L"Letters").c_str(), nullptr);
    PrepareBatchFolders(data.Path(), setup.Path());
    EXPECT_TRUE(FolderExists(data / L"Invoices\\KeyWord"));
    EXPECT_EQ(ReadBytes(data / L"Invoices\\Index.txt"), "\xFF\xFE");
    EXPECT_FALSE(FolderExists(data / L"Letters\\Barcode"));
    const std::string index = Utf16(L"Old\r\nInvoices\r\n");
    EXPECT_EQ(ReadBytes(data / L"Index.dat"), index);

    // Again: nothing is new, and the index is written back as it was.
    PrepareBatchFolders(data.Path(), setup.Path());
    EXPECT_EQ(ReadBytes(data / L"Index.dat"), index);

    // Without an index and without a new folder, no index is made.
    TempFolder other;
    CreateDirectoryW((other / L"Invoices").c_str(), nullptr);
    CreateDirectoryW((other / L"Letters").c_str(), nullptr);
    PrepareBatchFolders(other.Path(), setup.Path());
    EXPECT_FALSE(FileExistsW(other / L"Index.dat"));
}

TEST(ProductConfigTest, HelpFilesNamedInConfigIniAreCopiedAndRecorded) {
    TempFolder setup, destination;
    // No Config.ini: nothing happens.
    CopyHelpFiles(destination.Path(), setup.Path());
    EXPECT_FALSE(FileExistsW(destination / L"System.ini"));

    CreateDirectoryW((setup / L"docs").c_str(), nullptr);
    WriteBytes(setup / L"docs\\guide.pdf", "%PDF guide");
    // Only keys 1 to 5 count.
    WriteBytes(setup / L"Config.ini",
               "[HelpFile]\r\nHelpFileName_2=docs\\guide.pdf\r\nHelpFileName_7=docs\\guide.pdf\r\n");
    CopyHelpFiles(destination.Path(), setup.Path());
    EXPECT_EQ(ReadBytes(destination / L"guide.pdf"), "%PDF guide");
    wchar_t section[256] = {};
    DWORD n = GetPrivateProfileSectionW(L"HelpFile", section, 256, (destination / L"System.ini").c_str());
    EXPECT_EQ(std::wstring(section, n), std::wstring(L"HelpFileName_2=guide.pdf\0", 25));

    // A file that is named but missing is neither copied nor recorded.
    WriteBytes(setup / L"Config.ini", "[HelpFile]\r\nHelpFileName_1=docs\\missing.pdf\r\n");
    CopyHelpFiles(destination.Path(), setup.Path());
    EXPECT_EQ(IniValue(destination / L"System.ini", L"HelpFile", L"HelpFileName_1"), L"<none>");
}

TEST(ProductConfigTest, TheWizardsLanguageAndProductNameAreRecorded) {
    TempFolder destination;
    try {
        WriteInstalledLanguage(1, destination.Path());
        ADD_FAILURE() << "no error without a Lang folder";
    } catch (const EIniFileError& e) {
        EXPECT_EQ(e.Message(), L"Unable to write to " + destination.Path() + L"Lang\\Language.ini");
    }
    CreateDirectoryW((destination / L"Lang").c_str(), nullptr);
    WriteBytes(destination / L"Lang\\Language.ini", "[System]\r\nLanguageList=EN||DE\r\nLanguare=0\r\n");
    WriteInstalledLanguage(1, destination.Path());
    EXPECT_EQ(IniValue(destination / L"Lang\\Language.ini", L"System", L"Languare"), L"1");
    EXPECT_EQ(IniValue(destination / L"Lang\\Language.ini", L"System", L"LanguageList"), L"EN||DE");

    CatalogueFolder setup;
    TMultiLanguage catalogue(setup.dir / L"Setup.exe");
    WriteSetupName(destination.Path(), catalogue);
    EXPECT_EQ(IniValue(destination / L"System.ini", L"Setup", L"Setupname"), L"Viewer");
    catalogue.SetLanguage(1);
    WriteSetupName(destination.Path(), catalogue);
    EXPECT_EQ(IniValue(destination / L"System.ini", L"Setup", L"Setupname"), L"Zantivo");
}

// Tests below change places the whole test prefix shares (the "Shell Folders"
// key, C:\Zantivo, the common application-data folder) and hold the
// "machine_state" lock.

TEST(MachineWideTest, TheDocumentsFolderComesFromPersonalInShellFolders) {
    ShellFoldersSnapshot snapshot;
    ShellFoldersSnapshot::SetPersonal(L"C:\\Docs");
    EXPECT_EQ(DocumentsFolder(L"D:\\App\\"), L"C:\\Docs\\");
    ShellFoldersSnapshot::SetPersonal(L"C:\\My Docs\\");
    EXPECT_EQ(DocumentsFolder(L"D:\\App\\"), L"C:\\My Docs\\");

    const DWORD number = 5;
    ShellFoldersSnapshot::SetPersonal(REG_DWORD, &number, sizeof number);
    try {
        DocumentsFolder(L"D:\\App\\");
        ADD_FAILURE() << "no error";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), L"Invalid data type for 'Personal'");
    }

    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kShellFoldersKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegDeleteValueW(key, L"Personal");
    RegCloseKey(key);
    EXPECT_EQ(DocumentsFolder(L"D:\\App\\"), L"");

    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, kShellFoldersKey), ERROR_SUCCESS);
    EXPECT_EQ(DocumentsFolder(L"D:\\App\\"), L"D:\\App\\");
}

TEST(MachineWideTest, SystemIniGetsTheDataAndDocumentsFolders) {
    ShellFoldersSnapshot snapshot;
    ShellFoldersSnapshot::SetPersonal(L"C:\\users\\me\\Documents");
    TempFolder dir, setup;
    WriteBytes(setup / L"BatchName.dat", "Invoices\r\n");
    const std::wstring destination = WithoutDriveRoot(dir);
    const std::wstring dataFolder = destination + L"Zantivo\\";

    for (bool ntfs : {false, true}) {
        grantedFolders.clear();
        UpdateSystemIni(destination, setup.Path(), ntfs);
        EXPECT_EQ(grantedFolders, ntfs ? std::vector<std::wstring>{dataFolder} : std::vector<std::wstring>{});
    }
    const std::wstring systemIni = dir / L"System.ini";
    EXPECT_EQ(IniValue(systemIni, L"batch", L"root_path"), dataFolder);
    EXPECT_EQ(IniValue(systemIni, L"batch", L"CurrOutPicDir"), L"C:\\users\\me\\Documents\\");
    EXPECT_EQ(IniValue(systemIni, L"Sealed", L"edtContent"), L"Quendral WorkShop");
    EXPECT_TRUE(FolderExists(dir / L"Zantivo\\Invoices\\temp"));
    EXPECT_EQ(ReadBytes(dir / L"Zantivo\\Index.dat"), Utf16(L"Invoices\r\n"));

    // No "Personal" value: the documents folder is written empty.
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kShellFoldersKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegDeleteValueW(key, L"Personal");
    RegCloseKey(key);
    UpdateSystemIni(destination, setup.Path(), false);
    EXPECT_EQ(IniValue(systemIni, L"batch", L"CurrOutPicDir"), L"");
}

TEST(MachineWideTest, OnADriveTheDataFolderIsMadeInItsRoot) {
    TempFolder dir, setup;
    ASSERT_EQ(dir.Path().substr(1, 2), L":\\");
    const std::wstring dataFolder = dir.Path().substr(0, 3) + L"Zantivo\\";
    const bool existed = FolderExists(dataFolder);
    UpdateSystemIni(dir.Path(), setup.Path(), false);
    EXPECT_TRUE(FolderExists(dataFolder));
    EXPECT_EQ(IniValue(dir / L"System.ini", L"batch", L"root_path"), dataFolder);
    if (!existed) RemoveTree(dataFolder);
}

TEST(MachineWideTest, CelartemDefaultsGoToTheCommonApplicationDataFolder) {
    const std::wstring celartem = CommonAppDataFolder() + L"\\Celartem";
    ASSERT_FALSE(CommonAppDataFolder().empty());
    const bool existed = FolderExists(celartem);
    const std::wstring target = celartem + L"\\defaults.dprepo";
    const bool hadFile = FileExistsW(target);
    const std::string saved = hadFile ? ReadBytes(target) : std::string();
    RemoveTree(celartem);

    TempFolder destination;
    CopyCelartemDefaults(destination.Path());  // none in the payload: nothing, silently
    EXPECT_FALSE(FileExistsW(target));
    WriteBytes(destination / L"defaults.dprepo", "first");
    CopyCelartemDefaults(destination.Path());
    EXPECT_EQ(ReadBytes(target), "first");
    WriteBytes(destination / L"defaults.dprepo", "second");
    CopyCelartemDefaults(destination.Path());
    EXPECT_EQ(ReadBytes(target), "second");

    RemoveTree(celartem);
    if (existed) CreateDirectoryW(celartem.c_str(), nullptr);
    if (hadFile) WriteBytes(target, saved);
}
