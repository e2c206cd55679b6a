#include "support/machine_state.h"

#include "install/system_integration.h"
#include "support/temp_folder.h"
#include "util/file_ops.h"
#include "util/handles.h"
#include "util/registry.h"

namespace {

void AddTree(const std::wstring& folder, TMachineState& machine) {
    WIN32_FIND_DATAW data;
    UniqueHFind find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) return;
    do {
        const std::wstring name = data.cFileName, path = folder + L"\\" + name;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            machine[L"folder " + path] = "";
            AddTree(path, machine);
        } else {
            machine[L"file " + path] = ReadBytes(path);
        }
    } while (FindNextFileW(find.get(), &data));
}

void AddKey(HKEY root, const std::wstring& path, const std::wstring& name, TMachineState& machine) {
    UniqueHKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    machine[L"key " + name] = "";
    wchar_t entry[512];
    BYTE bytes[4096];
    for (DWORD i = 0;; ++i) {
        DWORD length = 512, size = sizeof bytes, type = 0;
        if (RegEnumValueW(key.get(), i, entry, &length, nullptr, &type, bytes, &size) != ERROR_SUCCESS) break;
        machine[L"value " + name + L"\\" + entry] = std::to_string(type) + ":" + std::string(bytes, bytes + size);
    }
    for (DWORD i = 0;; ++i) {
        DWORD length = 512;
        if (RegEnumKeyExW(key.get(), i, entry, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        AddKey(root, path + L"\\" + entry, name + L"\\" + entry, machine);
    }
}

std::wstring WithoutBackslash(std::wstring folder) {
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

}  // namespace

TMachineState ProductMachineState(const std::vector<std::wstring>& folders) {
    TMachineState machine;
    for (const std::wstring& folder : folders) AddTree(WithoutBackslash(folder), machine);
    AddTree(L"C:\\Zantivo", machine);
    AddTree(CommonAppDataFolder() + L"\\Celartem", machine);
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring memoryManager = std::wstring(windows) + L"\\System\\borlndmm.dll";
    if (GetFileAttributesW(memoryManager.c_str()) != INVALID_FILE_ATTRIBUTES)
        machine[L"file " + memoryManager] = ReadBytes(memoryManager);
    AddKey(HKEY_CURRENT_USER, L"Software\\Zantivo", L"HKCU\\Software\\Zantivo", machine);
    AddKey(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + L"Zantivo", L"Apps & Features", machine);
    AddKey(HKEY_CLASSES_ROOT, kBarcodeClassKey, L"the barcode class", machine);
    return machine;
}

std::wstring FirstDifference(const TMachineState& expected, const TMachineState& actual) {
    for (const auto& [what, content] : expected) {
        if (!actual.count(what)) return L"gone: " + what;
        if (actual.at(what) != content) return L"changed: " + what;
    }
    for (const auto& [what, content] : actual)
        if (!expected.count(what)) return L"left behind: " + what;
    return L"";
}
