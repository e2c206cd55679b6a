#include "util/file_ops.h"

#include <shlobj.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "util/change_recorder.h"
#include "util/path.h"
#include "util/win_error.h"

std::wstring ModulePath() {
    wchar_t buffer[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (n == 0) RaiseLastOSError(L"GetModuleFileNameW");
    return std::wstring(buffer, n);
}

std::wstring SetupFolder() { return ExtractFolder(ModulePath()); }

std::wstring FullPathName(const std::wstring& path) {
    DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), size, full.data(), nullptr));
    return full;
}

bool FileExistsW(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    UniqueHFind find(FindFirstFileW(path.c_str(), &data));
    return find && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateFolder(const std::wstring& path) {
    return RecordFolderCreation(path) && CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

bool RenameFile(const std::wstring& oldPath, const std::wstring& newPath) {
    return MoveFileW(oldPath.c_str(), newPath.c_str()) != FALSE;
}

bool RenameFileByHandle(const std::wstring& oldPath, const std::wstring& newPath) {
    UniqueHFile file(CreateFileW(oldPath.c_str(), DELETE | SYNCHRONIZE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return false;
    const size_t nameBytes = newPath.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(offsetof(FILE_RENAME_INFO, FileName) + nameBytes + sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(rename->FileName, newPath.c_str(), nameBytes);
    return SetFileInformationByHandle(file.get(), FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != FALSE;
}

bool RemoveFile(const std::wstring& path) { return DeleteFileW(path.c_str()) != FALSE; }

std::wstring CommonAppDataFolder() {
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer))) return {};
    return buffer;
}

TFindEntries::TFindEntries(const std::wstring& pattern, DWORD wantedAttributes)
    : excluded_((faHidden | faSystem | faVolumeLabel | faDirectory) & ~wantedAttributes) {
    find_.reset(FindFirstFileW(pattern.c_str(), &data_));
    pending_ = static_cast<bool>(find_);
}

bool TFindEntries::Next(TFindEntry& entry) {
    while (find_) {
        if (!pending_ && !FindNextFileW(find_.get(), &data_)) break;
        pending_ = false;
        if (Skipped()) continue;
        entry.name = data_.cFileName;
        entry.attributes = data_.dwFileAttributes;
        entry.size = (uint64_t{data_.nFileSizeHigh} << 32) | data_.nFileSizeLow;
        FILETIME local;
        WORD date = 0, time = 0;
        if (FileTimeToLocalFileTime(&data_.ftLastWriteTime, &local)) FileTimeToDosDateTime(&local, &date, &time);
        entry.time = (uint32_t{date} << 16) | time;
        return true;
    }
    find_.reset();
    return false;
}
