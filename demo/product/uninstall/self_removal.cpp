#include "uninstall/self_removal.h"

#include <windows.h>

#include <cstdint>

#include "uninstall/inside_folder.h"
#include "util/file_ops.h"
#include "util/handles.h"
#include "util/path.h"
#include "util/private_folder.h"

namespace {

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

std::wstring WithoutBackslash(std::wstring path) {
    if (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

constexpr wchar_t kCopyFolderPrefix[] = L"ZantivoUninstall-";

std::wstring TempFolderPath() {
    wchar_t temp[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) return {};
    return std::wstring(temp, n);
}

// Copies of earlier runs wait for the next restart; remove those whose run
// has ended now, so that they never pile up. Only folders this program made:
// not a link (a user may point one of that name anywhere, and the uninstaller
// may run as SYSTEM), and not one that a user owns.
void RemoveEndedCopies(const std::wstring& temp, const std::wstring& programName) {
    TFindEntries folders(temp + kCopyFolderPrefix + L"*", faDirectory);
    for (TFindEntry entry; folders.Next(entry);) {
        if (!(entry.attributes & faDirectory) || (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        std::wstring folder = temp + entry.name + L"\\";
        if (!OwnedByThisAccountOrAdministrators(folder)) continue;
        DeleteFileW((folder + programName).c_str());
        RemoveDirectoryW(folder.c_str());
    }
}

// A folder of this process's own under the temporary folder, created fresh
// with an access list of its own (SYSTEM, Administrators and this account),
// so nothing (a planted DLL, say) can be waiting in it for the copy, nor be
// put into it before the copy starts: as SYSTEM the temporary folder is
// C:\Windows\Temp, whose inherited list lets users add files to folders
// that others create there.
std::wstring NewPrivateFolder(const std::wstring& temp) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        std::wstring folder = temp + kCopyFolderPrefix + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(attempt) + L"\\";
        if (CreatePrivateFolder(folder)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

bool StartCopy(const std::wstring& copy, const std::wstring& folder, const std::wstring& program) {
    HANDLE self = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, SYNCHRONIZE, TRUE, 0))
        return false;
    UniqueKernelHandle selfHandle(self);
    std::wstring commandLine = Quoted(copy) + L" " + kRemoveOriginalSwitch + L" " +
                               std::to_wstring(reinterpret_cast<uintptr_t>(self)) + L" " + Quoted(program);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // The copy's current folder is its own, so that no process keeps the
    // product folder in use while the copy removes it.
    if (!CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(),
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace

bool StartSelfRemoval(const std::wstring& program) {
    const std::wstring temp = TempFolderPath();
    if (temp.empty()) return false;
    RemoveEndedCopies(temp, ExtractName(program));
    std::wstring folder = NewPrivateFolder(temp);
    if (folder.empty()) return false;
    std::wstring copy = folder + ExtractName(program);
    if (CopyFileW(program.c_str(), copy.c_str(), TRUE) && StartCopy(copy, folder, program)) return true;
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(folder.c_str());
    return false;
}

int FinishSelfRemoval(const std::wstring& originalHandle, const std::wstring& program) {
    UniqueKernelHandle original(
        reinterpret_cast<HANDLE>(static_cast<uintptr_t>(wcstoull(originalHandle.c_str(), nullptr, 10))));
    const std::wstring self = ModulePath();
    // This mode deletes the uninstaller and nothing else.
    if (!SamePath(ExtractName(program), ExtractName(self))) return 2;
    if (original) WaitForSingleObject(original.get(), INFINITE);

    // The system may hold the program's file for a moment after its process has ended.
    bool removed = false;
    for (int attempt = 0; attempt < 50 && !removed; ++attempt) {
        removed = DeleteFileW(program.c_str()) || GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES;
        if (!removed) Sleep(100);
    }
    if (removed) RemoveDirectoryW(WithoutBackslash(ExtractFolder(program)).c_str());

    MoveFileExW(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExW(WithoutBackslash(ExtractFolder(self)).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return removed ? 0 : 1;
}
