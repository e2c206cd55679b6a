#include "uninstall/outside_traces.h"

#include <windows.h>
#include <shlobj.h>

#include "uninstall/inside_folder.h"
#include "util/file_ops.h"
#include "util/handles.h"
#include "util/path.h"
#include "util/registry.h"
#include "wizard/product.h"

namespace {

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    return !a.empty() && !b.empty() && SamePath(IncludeBackslash(FullPath(a)), IncludeBackslash(FullPath(b)));
}

// The link's target as it was saved (not resolved: a removed target is not
// looked for elsewhere); empty when the file is no link.
std::wstring LinkTarget(const std::wstring& linkPath) {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())) ||
        FAILED(file->Load(linkPath.c_str(), STGM_READ)))
        return {};
    wchar_t target[MAX_PATH] = {};
    if (link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH) != S_OK) return {};
    return target;
}

// Deletes the links in folder that lead into productFolder; true when any was.
bool RemoveLinksIn(const std::wstring& folder, const std::wstring& productFolder, TOutsideTraces& removed) {
    bool any = false;
    TFindEntries links(folder + L"*.lnk", 0);
    for (TFindEntry entry; links.Next(entry);) {
        const std::wstring link = folder + entry.name;
        const std::wstring target = LinkTarget(link);
        if (target.empty() || !LiesInside(target, productFolder)) continue;
        if (DeleteFileW(link.c_str())) {
            removed.links.push_back(link);
            any = true;
        }
    }
    return any;
}

std::wstring KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) || !path[0]) return {};
    return IncludeBackslash(path);
}

bool RemoveAppsAndFeaturesEntry(const std::wstring& folder, const std::wstring& productName) {
    const std::wstring path = kUninstallKey + productName;
    std::wstring location;
    try {
        location = TRegKey::Open(HKEY_LOCAL_MACHINE, path).ReadString(L"InstallLocation");
    } catch (const EError&) {
        return false;
    }
    return SameFolder(location, folder) && RegDeleteTreeW(HKEY_LOCAL_MACHINE, path.c_str()) == ERROR_SUCCESS;
}

bool RemoveInstallPath(const std::wstring& folder, const std::wstring& productName) {
    const std::wstring path = ProductKeyPath(productName);
    TRegKey key = TRegKey::Open(HKEY_CURRENT_USER, path, KEY_READ | KEY_WRITE);
    std::wstring recorded;
    try {
        recorded = key.ReadString(kInstallPathValue);
    } catch (const EError&) {
        return false;
    }
    if (!SameFolder(recorded, folder) || RegDeleteValueW(key.Handle(), kInstallPathValue) != ERROR_SUCCESS)
        return false;
    DWORD subKeys = 0, values = 0;
    const bool empty = RegQueryInfoKeyW(key.Handle(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                                        nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                       subKeys == 0 && values == 0;
    if (empty) {
        key = TRegKey();
        RegDeleteKeyW(HKEY_CURRENT_USER, path.substr(0, path.size() - 1).c_str());
    }
    return true;
}

}  // namespace

bool LiesInside(const std::wstring& path, const std::wstring& folder) {
    const std::wstring full = FullPath(path), inside = IncludeBackslash(FullPath(folder));
    return full.size() > inside.size() && SamePath(full.substr(0, inside.size()), inside);
}

void RemoveLinksInto(const std::wstring& productFolder, const std::vector<TLinkFolder>& linkFolders,
                     TOutsideTraces& removed) {
    for (const TLinkFolder& linkFolder : linkFolders) {
        RemoveLinksIn(linkFolder.path, productFolder, removed);
        if (!linkFolder.groups) continue;
        TFindEntries groups(linkFolder.path + L"*", faDirectory);
        for (TFindEntry entry; groups.Next(entry);) {
            if (!(entry.attributes & faDirectory) || IsDotEntry(entry.name)) continue;
            const std::wstring group = linkFolder.path + entry.name;
            // Only a group this emptied goes; the system refuses one that holds anything.
            if (RemoveLinksIn(group + L"\\", productFolder, removed) && RemoveDirectoryW(group.c_str()))
                removed.groups.push_back(group);
        }
    }
}

std::vector<TLinkFolder> ShellLinkFolders() {
    std::vector<TLinkFolder> folders;
    const struct {
        int csidl;
        bool groups;
    } known[] = {{CSIDL_DESKTOPDIRECTORY, false}, {CSIDL_STARTMENU, false},        {CSIDL_PROGRAMS, true},
                 {CSIDL_COMMON_DESKTOPDIRECTORY, false}, {CSIDL_COMMON_STARTMENU, false}, {CSIDL_COMMON_PROGRAMS, true}};
    for (const auto& folder : known)
        if (std::wstring path = KnownFolder(folder.csidl); !path.empty()) folders.push_back({path, folder.groups});
    return folders;
}

TOutsideTraces RemoveOutsideTraces(const std::wstring& folder, const std::wstring& productName) {
    TOutsideTraces removed;
    removed.appsAndFeatures = RemoveAppsAndFeaturesEntry(folder, productName);
    removed.installPath = RemoveInstallPath(folder, productName);
    RemoveLinksInto(folder, ShellLinkFolders(), removed);
    return removed;
}
