// The fleet test's hands inside each Wine prefix (tests/e2e/fleet_test.py
// drives it from Linux; one prefix is one machine). It starts a program
// exactly as a deployment engine does, by a whole command line given to
// CreateProcess, and watches its windows; it holds a file open as a program
// in use does; and it reports what an installation left in the shell and
// the registry, as JSON on its standard output.
//
//   fleet_probe run COMMAND_LINE_FILE SECONDS   the command line read from a UTF-8 file, so that no
//                                               quoting of Wine's changes it; the exit code, the
//                                               visible windows of the program, whether it timed out
//   fleet_probe hold FILE SECONDS               creates FILE, holds it open without sharing, prints "held"
//   fleet_probe report PRODUCT                  the Apps & Features entry, the InstallPath value, the
//                                               shell folders and every link on the desktops and in the
//                                               Start menus (groups included)
//   fleet_probe uninstall PRODUCT SECONDS       runs the entry's QuietUninstallString, as an engine does
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "util/error.h"
#include "util/registry.h"
#include "wizard/product.h"

namespace {

std::wstring Json(const std::wstring& text) {
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        if (c == L'"' || c == L'\\') out += L'\\', out += c;
        else if (c < 0x20) {
            wchar_t escaped[8];
            swprintf(escaped, 8, L"\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else out += c;
    }
    return out + L"\"";
}

void Print(const std::wstring& text) {
    const std::string bytes = WideToUtf8(text + L"\n");
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring ReadUtf8File(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw EError(L"cannot read " + path);
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r')) bytes.pop_back();
    return Utf8ToWide(bytes);
}

struct TWatch {
    DWORD processId;
    std::set<std::wstring> windows;
};

BOOL CALLBACK NoteWindow(HWND window, LPARAM data) {
    auto* watch = reinterpret_cast<TWatch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != watch->processId || !IsWindowVisible(window)) return TRUE;
    wchar_t windowClass[256] = {}, title[512] = {};
    GetClassNameW(window, windowClass, 256);
    GetWindowTextW(window, title, 512);
    watch->windows.insert(std::wstring(windowClass) + L": " + title);
    return TRUE;
}

// Starts the command line and waits up to seconds, noting the program's visible windows.
std::wstring Run(std::wstring commandLine, DWORD seconds, bool watchWindows) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return L"{\"started\": false, \"error\": " + std::to_wstring(GetLastError()) + L"}";
    CloseHandle(process.hThread);
    TWatch watch{process.dwProcessId, {}};
    const ULONGLONG start = GetTickCount64(), deadline = start + seconds * 1000ull;
    bool timedOut = false;
    while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
        if (watchWindows) EnumWindows(NoteWindow, reinterpret_cast<LPARAM>(&watch));
        if (GetTickCount64() > deadline) {
            timedOut = true;
            TerminateProcess(process.hProcess, 9999);
            WaitForSingleObject(process.hProcess, INFINITE);
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    std::wstring windows;
    for (const std::wstring& window : watch.windows) windows += (windows.empty() ? L"" : L", ") + Json(window);
    wchar_t elapsed[32];
    swprintf(elapsed, 32, L"%.2f", (GetTickCount64() - start) / 1000.0);
    return L"{\"started\": true, \"command\": " + Json(commandLine) + L", \"exit_code\": " + std::to_wstring(code) +
           L", \"timed_out\": " + (timedOut ? L"true" : L"false") + L", \"seconds\": " + elapsed +
           L", \"windows\": [" + windows + L"]}";
}

int Hold(const std::wstring& path, DWORD seconds) {
    SHCreateDirectoryExW(nullptr, path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    Print(L"held");
    Sleep(seconds * 1000);
    CloseHandle(file);
    return 0;
}

std::wstring Folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return path;
}

std::wstring LinkJson(const std::wstring& path) {
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    wchar_t target[MAX_PATH] = {}, folder[MAX_PATH] = {}, description[INFOTIPSIZE] = {}, arguments[1024] = {};
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
        link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
        link->GetWorkingDirectory(folder, MAX_PATH);
        link->GetDescription(description, INFOTIPSIZE);
        link->GetArguments(arguments, 1024);
    }
    if (file) file->Release();
    if (link) link->Release();
    return L"{\"path\": " + Json(path) + L", \"target\": " + Json(target) + L", \"folder\": " + Json(folder) +
           L", \"description\": " + Json(description) + L", \"arguments\": " + Json(arguments) + L"}";
}

// The links in folder and, to the given depth, its subfolders.
void Links(const std::wstring& folder, int depth, std::vector<std::wstring>& links) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName, path = folder + L"\\" + name;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (depth > 0) Links(path, depth - 1, links);
        } else if (name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".lnk") == 0) {
            links.push_back(LinkJson(path));
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

std::wstring ValueJson(const wchar_t* name, DWORD type, const BYTE* data, DWORD size) {
    if (type == REG_DWORD && size == 4)
        return Json(name) + L": {\"type\": \"REG_DWORD\", \"value\": " +
               std::to_wstring(*reinterpret_cast<const DWORD*>(data)) + L"}";
    std::wstring text(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
    if (size_t nul = text.find(L'\0'); nul != std::wstring::npos) text.resize(nul);
    return Json(name) + L": {\"type\": " + Json(type == REG_SZ ? L"REG_SZ" : L"type " + std::to_wstring(type)) +
           L", \"value\": " + Json(text) + L"}";
}

std::wstring KeyJson(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return L"null";
    std::wstring values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        BYTE data[4096];
        DWORD nameLength = 256, type = 0, size = sizeof data;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        values += (values.empty() ? L"" : L", ") + ValueJson(name, type, data, size);
    }
    RegCloseKey(key);
    return L"{" + values + L"}";
}

std::wstring Report(const std::wstring& product) {
    const struct {
        const wchar_t* name;
        int csidl;
        int depth;
    } folders[] = {{L"desktop", CSIDL_DESKTOPDIRECTORY, 0},
                   {L"programs", CSIDL_PROGRAMS, 1},
                   {L"common_desktop", CSIDL_COMMON_DESKTOPDIRECTORY, 0},
                   {L"common_programs", CSIDL_COMMON_PROGRAMS, 1}};
    std::wstring folderJson, linksJson;
    for (const auto& folder : folders) {
        const std::wstring path = Folder(folder.csidl);
        folderJson += (folderJson.empty() ? L"" : L", ") + Json(folder.name) + L": " + Json(path);
        std::vector<std::wstring> links;
        if (!path.empty()) Links(path, folder.depth, links);
        for (const std::wstring& link : links) linksJson += (linksJson.empty() ? L"" : L", ") + link;
    }
    return L"{\"uninstall_entry\": " + KeyJson(HKEY_LOCAL_MACHINE, kUninstallKey + product) +
           L", \"product_key\": " + KeyJson(HKEY_CURRENT_USER, ProductKeyPath(product)) + L", \"folders\": {" +
           folderJson + L"}, \"links\": [" + linksJson + L"]}";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::wstring command = argc > 1 ? argv[1] : L"";
    try {
        if (command == L"run" && argc == 4) {
            Print(Run(ReadUtf8File(argv[2]), _wtoi(argv[3]), true));
            return 0;
        }
        if (command == L"hold" && argc == 4) return Hold(argv[2], _wtoi(argv[3]));
        if (command == L"report" && argc == 3) {
            Print(Report(argv[2]));
            return 0;
        }
        if (command == L"uninstall" && argc == 4) {
            const std::wstring quiet =
                TRegKey::Open(HKEY_LOCAL_MACHINE, kUninstallKey + std::wstring(argv[2])).ReadString(
                    L"QuietUninstallString");
            if (quiet.empty()) {
                Print(L"{\"started\": false, \"error\": \"no QuietUninstallString\"}");
                return 0;
            }
            Print(Run(quiet, _wtoi(argv[3]), false));
            return 0;
        }
    } catch (const EError& error) {
        Print(L"{\"error\": " + Json(error.Message()) + L"}");
        return 1;
    }
    fwprintf(stderr, L"usage: fleet_probe run FILE SECONDS | hold FILE SECONDS | report PRODUCT | "
                     L"uninstall PRODUCT SECONDS\n");
    return 2;
}
