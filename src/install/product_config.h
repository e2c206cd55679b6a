// The installation steps that adapt the installed product's own files to the
// machine and to the user's choices: the data and documents folders in its
// System.ini, the folders of its scanning batches, the language chosen in the
// wizard, the setup's product name, the help files, and the Celartem
// component's settings file. destination is the install folder and
// setupFolder the folder of the running setup, both ending in a backslash.
#pragma once

#include <cstdint>
#include <string>

class TMultiLanguage;

// Copies destination + "defaults.dprepo" to the common application-data
// folder + "\Celartem\", creating that folder; every failure is ignored.
void CopyCelartemDefaults(const std::wstring& destination);

// The product's data folder: the drive root of destination + "Zantivo\" when
// that root is an existing folder, else destination + "Zantivo\".
std::wstring DataFolder(const std::wstring& destination);

// Creates the data folder (raising EInOutError when it cannot), records it
// and the documents folder in destination + "System.ini" (raising
// EIniFileError on a refused write), grants every user access to it when the
// destination is on NTFS, and prepares the batch folders inside it.
void UpdateSystemIni(const std::wstring& destination, const std::wstring& setupFolder, bool ntfs);

// The user's documents folder ("Personal" of the "Shell Folders" key) with a
// trailing backslash; defaultFolder when the key cannot be opened, empty when
// it has no "Personal" value. A value that is not a string raises
// ERegistryException.
std::wstring DocumentsFolder(const std::wstring& defaultFolder);

// Makes a folder below dataFolder for each name in setupFolder +
// "BatchName.dat" that has none yet, and appends the new names to
// dataFolder + "Index.dat".
void PrepareBatchFolders(const std::wstring& dataFolder, const std::wstring& setupFolder);

// Creates a new batch folder (ending in a backslash) with its subfolders and
// an empty Index.txt; false when it already existed or cannot be created.
bool PrepareBatchFolder(const std::wstring& folder);

// Records the wizard's language as the installed product's start language
// (key "Languare" of section "System" in destination + "Lang\Language.ini").
void WriteInstalledLanguage(int32_t language, const std::wstring& destination);

// Records the product name the setup used ("Setup"/"Setupname" of System.ini).
void WriteSetupName(const std::wstring& destination, const TMultiLanguage& catalogue);

// Copies the help files that setupFolder + "Config.ini" names into the
// install folder and records each copied name in System.ini.
void CopyHelpFiles(const std::wstring& destination, const std::wstring& setupFolder);
