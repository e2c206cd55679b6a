// The component's file layer on the wide Win32 API: 8-bit paths are in the
// ANSI code page and converted to UTF-16 for every call.
#include "unzip/os/file.h"

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <utility>

#include "unzip/errors.h"
#include "util/code_page.h"
#include "util/message_pump.h"
#include "util/system_library.h"
#include "util/win_error.h"

namespace zipos {
namespace {

HANDLE H(intptr_t h) { return reinterpret_cast<HANDLE>(h); }
std::wstring W(const std::string& path) { return AnsiToWide(path); }
std::string LastErrorText() { return WideToAnsi(SystemErrorText(GetLastError())); }

}  // namespace

File File::OpenRead(const std::string& path) {
    HANDLE h = CreateFileW(W(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw EFOpenError("Cannot open file \"" + path + "\". " + LastErrorText());
    File f;
    f.handle_ = reinterpret_cast<intptr_t>(h);
    f.path_ = path;
    return f;
}

File File::Create(const std::string& path) {
    HANDLE h = CreateFileW(W(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw EFCreateError("Cannot create file \"" + path + "\". " + LastErrorText());
    File f;
    f.handle_ = reinterpret_cast<intptr_t>(h);
    f.path_ = path;
    return f;
}

File File::TryOpenWrite(const std::string& path) {
    HANDLE h = CreateFileW(W(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    File f;
    if (h != INVALID_HANDLE_VALUE) f.handle_ = reinterpret_cast<intptr_t>(h), f.path_ = path;
    return f;
}

bool File::IsOpen() const { return handle_ != -1; }

size_t File::Read(void* buffer, size_t count) {
    size_t total = 0;
    auto* p = static_cast<char*>(buffer);
    while (total < count) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - total, 1u << 30)), got = 0;
        if (!ReadFile(H(handle_), p + total, chunk, &got, nullptr)) throw EStreamError("Stream read error");
        if (got == 0) break;
        total += got;
    }
    return total;
}

void File::Write(const void* buffer, size_t count) {
    const auto* p = static_cast<const char*>(buffer);
    while (count > 0) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(count, 1u << 30)), done = 0;
        if (!WriteFile(H(handle_), p, chunk, &done, nullptr))
            throw EWriteError(path_, LastErrorText());
        // A write that takes nothing and reports no error: the device gave out.
        if (done == 0) throw EWriteError(path_, WideToAnsi(SystemErrorText(ERROR_WRITE_FAULT)));
        p += done;
        count -= done;
    }
}

int64_t File::Seek(int64_t offset, int origin) {
    LARGE_INTEGER distance, result;
    distance.QuadPart = offset;
    static constexpr DWORD kMethods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    if (origin < 0 || origin > 2 || !SetFilePointerEx(H(handle_), distance, &result, kMethods[origin])) return -1;
    return result.QuadPart;
}

int64_t File::Size() const {
    LARGE_INTEGER size;
    return GetFileSizeEx(H(handle_), &size) ? size.QuadPart : -1;
}

void File::Flush() { FlushFileBuffers(H(handle_)); }

uint32_t File::DosDateTime() const {
    FILETIME write, local;
    WORD date = 0, time = 0;
    if (GetFileTime(H(handle_), nullptr, nullptr, &write) && FileTimeToLocalFileTime(&write, &local))
        FileTimeToDosDateTime(&local, &date, &time);
    return (uint32_t{date} << 16) | time;
}

bool File::SetDosDateTime(uint32_t dosDateTime) {
    FILETIME local, utc;
    if (!DosDateTimeToFileTime(static_cast<WORD>(dosDateTime >> 16), static_cast<WORD>(dosDateTime), &local) ||
        !LocalFileTimeToFileTime(&local, &utc))
        return false;
    return SetFileTime(H(handle_), nullptr, nullptr, &utc) != FALSE;
}

bool File::SetTimeAndAttributes(uint32_t dosDateTime, bool setAttributes, uint32_t attributes) {
    FILE_BASIC_INFO info{};  // zero times and attributes: left as they are
    if (dosDateTime != 0) {
        FILETIME local, utc;
        if (!DosDateTimeToFileTime(static_cast<WORD>(dosDateTime >> 16), static_cast<WORD>(dosDateTime), &local) ||
            !LocalFileTimeToFileTime(&local, &utc))
            return false;
        info.LastWriteTime.LowPart = utc.dwLowDateTime;
        info.LastWriteTime.HighPart = static_cast<LONG>(utc.dwHighDateTime);
    }
    // As SetFileAttributesW passes them: the settable bits (the driver kit's
    // FILE_ATTRIBUTE_VALID_SET_FLAGS), never zero.
    constexpr DWORD kSettable = 0x31A7;
    if (setAttributes) info.FileAttributes = (attributes & kSettable) | FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(H(handle_), FileBasicInfo, &info, sizeof info) != FALSE;
}

void File::Close() {
    if (handle_ != -1) CloseHandle(H(std::exchange(handle_, -1)));
}

bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributesW(W(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    DWORD a = GetFileAttributesW(W(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '\\') p.pop_back();
    if (p.empty()) return false;
    const std::wstring wide = W(p);
    if (CreateDirectoryW(wide.c_str(), nullptr)) return true;
    if (GetLastError() == ERROR_PATH_NOT_FOUND) {
        // Parents first; a drive ("C:") or the root always exists.
        size_t sep = p.find_last_of("\\:");
        if (sep != std::string::npos && sep > 0 && !(sep == 1 && p[1] == ':') && ForceDirectories(p.substr(0, sep)) &&
            CreateDirectoryW(wide.c_str(), nullptr))
            return true;
    }
    return DirectoryExists(p);  // already there, made meanwhile, or a file in the way
}

int64_t GetAttributes(const std::string& path) {
    DWORD a = GetFileAttributesW(W(path).c_str());
    return a == INVALID_FILE_ATTRIBUTES ? -1 : int64_t{a};
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
    return SetFileAttributesW(W(path).c_str(), attributes) != FALSE;
}

bool RemoveFile(const std::string& path) { return DeleteFileW(W(path).c_str()) != FALSE; }

bool ExistingFile(const std::string& path, uint32_t& dosDateTime) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(W(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    FILETIME local;
    WORD date = 0, time = 0;
    dosDateTime = 0;
    if (FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) && FileTimeToDosDateTime(&local, &date, &time))
        dosDateTime = (uint32_t{date} << 16) | time;
    return true;
}

std::string StoredNameToNative(const std::string& name, bool utf8) {
    return WideToAnsi(CodePageToWide(utf8 ? CP_UTF8 : CP_OEMCP, name.data(), name.size()));
}

std::string CurrentFolder() {
    wchar_t buffer[MAX_PATH];
    DWORD n = GetCurrentDirectoryW(MAX_PATH, buffer);
    return n && n < MAX_PATH ? WideToAnsi(std::wstring(buffer, n)) : std::string();
}

bool IsRemovableDrive(const std::string& root) { return GetDriveTypeW(W(root).c_str()) == DRIVE_REMOVABLE; }

std::string VolumeLabel(const std::string& root) {
    wchar_t label[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(W(root).c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) return {};
    return WideToAnsi(label);
}

void ProcessMessages() { ProcessPendingMessages(); }

std::function<void()> SetMessagePump(std::function<void()> pump) { return ::SetMessagePump(std::move(pump)); }

unsigned UsableProcessors() {
    DWORD_PTR process = 0, system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) return 1;
    unsigned count = 0;
    for (; process != 0; process &= process - 1) ++count;
    return count > 0 ? count : 1;
}

bool Dialogs::ChooseZipFile(const std::string& initialFolder, std::string& chosen) {
    wchar_t file[MAX_PATH] = {};
    std::wstring folder = W(initialFolder);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = GetActiveWindow();
    ofn.lpstrFilter = L"Zip Files (*.ZIP)\0*.zip\0SFX Files (*.EXE)\0*.exe\0Jar Files (*.JAR)\0*.jar\0All Files (*.*)\0*.*\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = folder.c_str();
    ofn.lpstrTitle = L"Open a Zip File";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    // comdlg32 is loaded for this dialog alone, from the system folder
    // (util/system_library.h). It is a KnownDLL, and Windows takes a KnownDLL's
    // own imports (comctl32) from the system folder too; Wine looks for those
    // beside the program first, so Setup, which links this file, does not
    // import it at all.
    using GetOpenFileNameWFn = BOOL(WINAPI*)(OPENFILENAMEW*);
    static const auto open = SystemFunction<GetOpenFileNameWFn>(L"comdlg32.dll", "GetOpenFileNameW");
    if (!open || !open(&ofn)) return false;
    chosen = WideToAnsi(file);
    return true;
}

namespace {

int CALLBACK BrowseStart(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

}  // namespace

bool Dialogs::ChooseFolder(const std::string& startFolder, std::string& chosen) {
    std::wstring start = W(startFolder);
    BROWSEINFOW info{};
    info.hwndOwner = GetActiveWindow();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = BrowseStart;
    info.lParam = reinterpret_cast<LPARAM>(start.c_str());
    PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&info);
    if (!list) return false;
    wchar_t path[MAX_PATH] = {};
    bool ok = SHGetPathFromIDListW(list, path) != FALSE;
    CoTaskMemFree(list);
    if (ok) chosen = WideToAnsi(path);
    return ok;
}

bool Dialogs::AskYesNo(const std::string& text, const std::string& caption) {
    return MessageBoxW(GetActiveWindow(), W(text).c_str(), W(caption).c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool Dialogs::AskOkCancel(const std::string& text, const std::string& caption) {
    return MessageBoxW(GetActiveWindow(), W(text).c_str(), W(caption).c_str(), MB_OKCANCEL) == IDOK;
}

void Dialogs::ShowMessage(const std::string& text, const std::string& caption) {
    MessageBoxW(GetActiveWindow(), W(text).c_str(), W(caption).c_str(), MB_OK);
}

}  // namespace zipos
