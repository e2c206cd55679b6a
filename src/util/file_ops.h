// Small file-system operations shared by the wizard, the installation steps
// and the localisation code, on the wide Win32 API. The Boolean ones report
// failure only by their result.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "util/handles.h"

// Full path of the running program; raises EOSError when the system gives none.
std::wstring ModulePath();
// The setup folder: the folder of the running program, ending in a backslash.
std::wstring SetupFolder();
// The system's full form of a path (relative to the current folder); the
// path itself when the system gives none.
std::wstring FullPathName(const std::wstring& path);
// True when a find on the path yields an entry that is not a folder (so a
// wildcard pattern is true when its first match is a file).
bool FileExistsW(const std::wstring& path);
bool FolderExists(const std::wstring& path);
// Creates one folder level (no parents), announced to the change recorder first.
bool CreateFolder(const std::wstring& path);
// Moves or renames a file; fails when newPath exists.
bool RenameFile(const std::wstring& oldPath, const std::wstring& newPath);
// The same for a file (a link itself, not what it points to) through a
// handle of it: one open and one request to the system, where MoveFileExW
// asks what the file is first, for an installation that renames thousands.
bool RenameFileByHandle(const std::wstring& oldPath, const std::wstring& newPath);
bool RemoveFile(const std::wstring& path);
// The shell's folder for application data common to all users, as the shell
// gives it: no backslash added, not created when missing; empty on failure.
std::wstring CommonAppDataFolder();

// Attribute bits as the file system reports them.
enum : DWORD {
    faReadOnly = FILE_ATTRIBUTE_READONLY,
    faHidden = FILE_ATTRIBUTE_HIDDEN,
    faSystem = FILE_ATTRIBUTE_SYSTEM,
    faVolumeLabel = 0x08,
    faDirectory = FILE_ATTRIBUTE_DIRECTORY,
    faArchive = FILE_ATTRIBUTE_ARCHIVE,
    faAnyFile = faReadOnly | faHidden | faSystem | faVolumeLabel | faDirectory | faArchive,
};

struct TFindEntry {
    std::wstring name;       // the long name
    DWORD attributes = 0;
    uint64_t size = 0;
    uint32_t time = 0;       // last write, local time, packed DOS date (high word) and time
};

// The entries that match a pattern, skipping those with a hidden, system,
// volume-label or folder bit that is not among the wanted attributes.
class TFindEntries {
public:
    TFindEntries(const std::wstring& pattern, DWORD wantedAttributes);
    // The next entry; false when there are no more (the find is then closed).
    bool Next(TFindEntry& entry);

private:
    bool Skipped() const { return (data_.dwFileAttributes & excluded_) != 0; }

    UniqueHFind find_;
    WIN32_FIND_DATAW data_{};
    DWORD excluded_;
    bool pending_ = false;  // data_ holds an entry not yet given out
};
