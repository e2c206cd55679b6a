#include "wizard/system_folders.h"

#include <windows.h>

#include "util/file_ops.h"
#include "util/path.h"

std::wstring WindowsFolder() {
    wchar_t buffer[261] = {};
    UINT length = GetWindowsDirectoryW(buffer, 261);
    std::wstring folder(buffer, length < 261 ? length : 0);
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    return folder;
}

std::wstring ProgramFilesFolder() { return WindowsFolder().substr(0, 3) + L"Program Files\\"; }

bool IsNtfsVolume(const std::wstring& root) {
    if (!FolderExists(root)) return false;
    wchar_t volumeName[255] = {}, fileSystem[255] = {};
    if (!GetVolumeInformationW(root.c_str(), volumeName, 255, nullptr, nullptr, nullptr, fileSystem, 255)) return false;
    return UpperCaseW(fileSystem) == L"NTFS";
}
