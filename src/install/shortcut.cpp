#include "install/shortcut.h"

#include <windows.h>
#include <shlobj.h>

#include "localisation/multi_language.h"
#include "util/change_recorder.h"
#include "util/code_page.h"
#include "util/file_ops.h"
#include "util/handles.h"
#include "util/path.h"
#include "util/registry.h"
#include "util/win_error.h"

namespace {

// The folder of a location as the "Shell Folders" key gives it (not
// expanded); empty for a missing value or an unknown code.
std::wstring ShellFolder(const TRegKey& shellFolders, ShortcutLocation location) {
    switch (location) {
    case slDesktop: return shellFolders.ReadString(L"Desktop");
    case slStartMenu: return shellFolders.ReadString(L"Start Menu");
    case slPrograms: return shellFolders.ReadString(L"Programs");
    case slStartup: return shellFolders.ReadString(L"Startup");
    case slQuickLaunch: {
        // Without an "AppData" value there is no folder, rather than a
        // "\Microsoft\..." path on whatever drive is current.
        std::wstring appData = shellFolders.ReadString(L"AppData");
        return appData.empty() ? appData : appData + L"\\Microsoft\\Internet Explorer\\Quick Launch";
    }
    }
    return {};
}

// Every user's folder of a location, as the shell gives it; empty when it
// has none.
std::wstring CommonShellFolder(ShortcutLocation location) {
    int csidl = -1;
    switch (location) {
    case slDesktop: csidl = CSIDL_COMMON_DESKTOPDIRECTORY; break;
    case slStartMenu: csidl = CSIDL_COMMON_STARTMENU; break;
    case slPrograms: csidl = CSIDL_COMMON_PROGRAMS; break;
    case slStartup: csidl = CSIDL_COMMON_STARTUP; break;
    case slQuickLaunch: break;
    }
    wchar_t folder[MAX_PATH] = {};
    if (csidl < 0 || FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return {};
    return folder;
}

TShortcutOwner owner = TShortcutOwner::CurrentUser;

// The shortcut's name, also its description.
std::wstring ShortcutName(const TMultiLanguage& catalogue, const std::wstring& target, const std::wstring& name) {
    if (target.empty()) return catalogue.GetText(L"00000_00016");
    if (!name.empty()) return name;
    return AnsiToWide(WideToAnsi(ExtractName(target)));
}

}  // namespace

void SetShortcutOwner(TShortcutOwner newOwner) { owner = newOwner; }

std::wstring ShortcutFolder(ShortcutLocation location) {
    if (owner == TShortcutOwner::AllUsers) return CommonShellFolder(location);
    const TRegKey shellFolders = TRegKey::Open(HKEY_CURRENT_USER, kShellFoldersKey);
    return shellFolders.IsOpen() ? ShellFolder(shellFolders, location) : std::wstring();
}

TShortcutOwner ShortcutOwner() { return owner; }

bool CreateShortcut(const TMultiLanguage& catalogue, const std::wstring& target, const std::wstring& name,
                    ShortcutLocation location, const std::wstring& group, const std::wstring& arguments) {
    ComPtr<IShellLinkW> link;
    CheckHResult(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                  IID_IShellLinkW, link.put_void()),
                 L"Creating the shell link object");
    ComPtr<IPersistFile> file;
    CheckHResult(link->QueryInterface(IID_IPersistFile, file.put_void()), L"Asking the shell link for IPersistFile");
    link->SetPath(target.c_str());
    link->SetWorkingDirectory(ExtractFolder(target).c_str());
    if (!arguments.empty()) link->SetArguments(arguments.c_str());

    const bool allUsers = owner == TShortcutOwner::AllUsers;
    TRegKey shellFolders;
    if (!allUsers) {
        shellFolders = TRegKey::Open(HKEY_CURRENT_USER, kShellFoldersKey);
        if (!shellFolders.IsOpen()) return false;
    }
    std::wstring title = ShortcutName(catalogue, target, name);
    link->SetDescription(title.c_str());
    // The link file's name passes through the ANSI code page: a letter it
    // lacks becomes "?", which no file name may hold, so the save fails.
    std::wstring fileName = ChangeExtension(AnsiToWide(WideToAnsi(title)), L".lnk");

    std::wstring folder = allUsers ? CommonShellFolder(location) : ShellFolder(shellFolders, location);
    if (folder.empty()) return false;
    if (!group.empty()) {
        folder += L"\\" + group;
        if (!FolderExists(folder) && !CreateFolder(folder)) return false;
    }
    const std::wstring linkPath = folder + L"\\" + fileName;
    // An earlier link of that name is kept aside whole (and stays should the save fail).
    return RecordFileChange(linkPath, TFileChange::Edit) && SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
}
